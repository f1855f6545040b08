// Late-bound calls on a host object by member name (IDispatch); a refused call throws HostError.
#pragma once

#include <oaidl.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  // Takes over a VARIANT the caller owns (one made by the argument factories below).
  explicit Variant(const VARIANT& owned) : value_(owned) {}
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT& Get() { return value_; }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// One counted reference to a host object (a Range, a Font, ...), released when it goes.
class DispatchRef {
 public:
  DispatchRef() = default;
  // Takes over a reference the caller owns.
  explicit DispatchRef(IDispatch* owned) : object_(owned) {}
  ~DispatchRef() { Reset(); }
  DispatchRef(DispatchRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  DispatchRef& operator=(DispatchRef&& other) noexcept;
  DispatchRef(const DispatchRef&) = delete;
  DispatchRef& operator=(const DispatchRef&) = delete;

  // A new reference to an object someone else owns.
  static DispatchRef Share(IDispatch* object);

  IDispatch* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset();

 private:
  IDispatch* object_ = nullptr;
};

// VARIANT factories for arguments; each result is owned by whoever receives it.
VARIANT TextArg(std::string_view utf8);
VARIANT NumberArg(double value);
VARIANT LongArg(long value);
VARIANT BoolArg(bool value);
VARIANT ObjectArg(IDispatch* object);  // adds a reference
// An optional argument left out, as a macro leaves it out between commas.
VARIANT MissingArg();

// The arguments of one call: positional ones in the order a macro writes them, then named ones
// ("What:=", "Replacement:="). Owns its VARIANTs.
//   DispatchArgs args;
//   args.Named(L"What", TextArg("zk")).Named(L"Replacement", TextArg(""));
class DispatchArgs {
 public:
  DispatchArgs() = default;
  ~DispatchArgs();
  DispatchArgs(const DispatchArgs&) = delete;
  DispatchArgs& operator=(const DispatchArgs&) = delete;

  DispatchArgs& Add(VARIANT value);
  DispatchArgs& Named(std::wstring_view name, VARIANT value);

 private:
  friend void InvokeMember(IDispatch*, std::wstring_view, WORD, DispatchArgs&, VARIANT*);
  std::vector<VARIANT> positional_;
  std::vector<std::wstring> names_;
  std::vector<VARIANT> named_;
};

// The one way into the host: object.name(args) with the given DISPATCH_ flags, in locale 1033. A name the object
// lacks or a call it refuses throws HostError with the host's own description.
void InvokeMember(IDispatch* object, std::wstring_view name, WORD flags, DispatchArgs& args, VARIANT* result);

// object.name, read as a property.
void GetProperty(IDispatch* object, std::wstring_view name, Variant& result);
// object.name(args), a property with arguments (Range("A1"), Borders(9), End(xlUp)).
void GetProperty(IDispatch* object, std::wstring_view name, DispatchArgs& args, Variant& result);
// object.name(args) with plain positional arguments (numbers and Booleans, nothing to free), made
// without allocating: Range.Address(True, True, xlA1, True).
void GetProperty(IDispatch* object, std::wstring_view name, std::initializer_list<VARIANT> plainArgs,
                 Variant& result);
// object.name = value.
void PutProperty(IDispatch* object, std::wstring_view name, const VARIANT& value);
// object.name args, a method; result may be null when the caller ignores it.
void CallMethod(IDispatch* object, std::wstring_view name, DispatchArgs& args, Variant* result = nullptr);

// A property or method that answers an object; HostError when it answers anything else.
DispatchRef GetObject(IDispatch* object, std::wstring_view name);
DispatchRef GetObject(IDispatch* object, std::wstring_view name, DispatchArgs& args);
// The object a VARIANT holds, or an empty reference for Nothing; HostError for a non-object.
DispatchRef ObjectOf(const VARIANT& value, std::string_view what);

// Whether the object knows the member by name (a worksheet has Range, a chart sheet has not; a
// range has Address, a shape has not). Asks the name only, calls nothing.
bool HasMember(IDispatch* object, std::wstring_view name);

// A property's value converted the way a macro converts it; HostError (naming `what`) when it cannot.
bool VariantToBool(const VARIANT& value, std::string_view what);
std::string VariantToText(const VARIANT& value, std::string_view what);
double VariantToNumber(const VARIANT& value, std::string_view what);

}  // namespace kestrel
