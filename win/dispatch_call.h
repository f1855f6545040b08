// Late-bound property calls on a host object by member name (IDispatch); a refused call throws HostError.
#pragma once

#include <oaidl.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace kestrel {

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT& Get() { return value_; }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// object.name, read as a property. Member names are the host's English names ("ScreenUpdating").
void GetProperty(IDispatch* object, std::wstring_view name, Variant& result);
// object.name = value.
void PutProperty(IDispatch* object, std::wstring_view name, const VARIANT& value);

// A property's value converted the way a macro converts it; HostError (naming `what`) when it cannot.
bool VariantToBool(const VARIANT& value, std::string_view what);
std::string VariantToText(const VARIANT& value, std::string_view what);

}  // namespace kestrel
