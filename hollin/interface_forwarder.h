// A vtable that forwards every method of a COM interface to another object's same interface.
#pragma once

#include <unknwn.h>

namespace kestrel {

// The most slots a forwarded interface may have (IUnknown's and IDispatch's included).
inline constexpr unsigned kMaxForwardedSlots = 64;

// An interface pointer whose methods from slot 3 on run on `inner`'s method of the same slot, with
// the same arguments and result; QueryInterface, AddRef and Release go to `owner`, the object it
// belongs to (so COM identity and lifetime stay the owner's). For a client bound early to an
// interface of an object that the owner wraps: COM's stub calls the interface's vtable directly.
// x86 only (stdcall: `this` is the first argument on the stack).
//   InterfaceForwarder forwarder(owner, innerFunCad);  // innerFunCad AddRef'd by the caller
//   *object = forwarder.Pointer();
class InterfaceForwarder {
 public:
  InterfaceForwarder(IUnknown* owner, IUnknown* inner) : vtable_(Vtable()), inner_(inner), owner_(owner) {}
  InterfaceForwarder(const InterfaceForwarder&) = delete;
  InterfaceForwarder& operator=(const InterfaceForwarder&) = delete;

  void* Pointer() { return this; }

 private:
  static const void* const* Vtable();
  static HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceForwarder* self, REFIID iid, void** object);
  static ULONG STDMETHODCALLTYPE AddRef(InterfaceForwarder* self);
  static ULONG STDMETHODCALLTYPE Release(InterfaceForwarder* self);

  // The layout the forwarding slots read: the vtable first, the inner pointer right after it.
  const void* const* vtable_;
  IUnknown* inner_;
  IUnknown* owner_;
};

}  // namespace kestrel
