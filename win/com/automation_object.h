// AutomationObject: the COM plumbing shared by the library's public automation classes.
#pragma once

#include <oaidl.h>

#include <atomic>
#include <utility>

#include "com_error.h"
#include "dual_dispatch.h"
#include "module.h"

namespace kestrel {

// IUnknown, IDispatch through the embedded type info of the dual interface I, ISupportErrorInfo,
// and the module lock that keeps the library loaded while the object lives. A class derives from
// it, implements I's members, and runs each one through Barrier:
//   class IniObject final : public AutomationObject<_Ini> {
//     HRESULT STDMETHODCALLTYPE get_INIFileName(BSTR* path) override {
//       return Barrier([&] { *path = ToBstr(path_); return S_OK; });
//     }
//   };
template <class I>
class AutomationObject : public I, public ISupportErrorInfo {
 public:
  AutomationObject() { LockModule(); }
  virtual ~AutomationObject() { UnlockModule(); }
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(I))) {
      *object = static_cast<I*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return DualGetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    return DualGetTypeInfo(__uuidof(I), index, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return DualGetIDsOfNames(__uuidof(I), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return DualInvoke(__uuidof(I), static_cast<I*>(this), member, flags, params, result, exception, argumentError);
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, __uuidof(I)) ? S_OK : S_FALSE;
  }

 protected:
  // The one exception barrier of a member: any exception becomes an HRESULT with error info.
  template <class Body>
  HRESULT Barrier(Body&& body) noexcept {
    return ComBarrier(__uuidof(I), std::forward<Body>(body));
  }

 private:
  std::atomic<ULONG> references_{1};
};

// A new object of class T, made from `arguments`, answered through interface iid.
template <class T, class... Arguments>
HRESULT CreateAutomationObject(REFIID iid, void** object, Arguments&&... arguments) {
  return ComBarrier(iid, [&] {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    T* created = new T(std::forward<Arguments>(arguments)...);
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
  });
}

// One counted reference to an interface, released when it goes.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Takes a new reference to p (which may be null).
  void Assign(T* p) {
    if (p != nullptr) p->AddRef();
    Reset();
    p_ = p;
  }
  void** OutVoid() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace kestrel
