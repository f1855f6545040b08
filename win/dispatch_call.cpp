// IDispatch property get/put by name, turning every refusal of the host into a HostError.
#include "dispatch_call.h"

#include <dispex.h>

#include <string>

#include "addin/host/host_error.h"
#include "com_error.h"
#include "wide_text.h"

namespace kestrel {
namespace {

DISPID MemberId(IDispatch* object, std::wstring_view name) {
  if (object == nullptr) throw HostError("There is no host object to ask for " + FromWide(name));
  std::wstring member(name);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    // Objects of script engines may answer names only through IDispatchEx.
    IDispatchEx* scriptObject = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&scriptObject)))) {
      BSTR memberName = SysAllocStringLen(member.data(), static_cast<UINT>(member.size()));
      if (memberName != nullptr) hr = scriptObject->GetDispID(memberName, fdexNameCaseInsensitive, &id);
      SysFreeString(memberName);
      scriptObject->Release();
    }
  }
  if (FAILED(hr)) {
    throw HostError("The host object has no member " + FromWide(name) + " (" + HresultText(hr) + ")");
  }
  return id;
}

void Invoke(IDispatch* object, std::wstring_view name, WORD flags, DISPPARAMS& params, VARIANT* result) {
  DISPID id = MemberId(object, name);
  EXCEPINFO exception = {};
  UINT argumentError = 0;
  HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, &argumentError);
  if (SUCCEEDED(hr)) return;
  std::string detail;
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    if (exception.scode != 0) hr = exception.scode;
    detail = FromBstr(exception.bstrDescription);
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  throw HostError("The host refused " + FromWide(name) + " (" + HresultText(hr) + ")" +
                  (detail.empty() ? "" : ": " + detail));
}

}  // namespace

void GetProperty(IDispatch* object, std::wstring_view name, Variant& result) {
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VariantClear(&result.Get());
  Invoke(object, name, DISPATCH_PROPERTYGET, none, &result.Get());
}

void PutProperty(IDispatch* object, std::wstring_view name, const VARIANT& value) {
  Variant argument;
  CheckHresult(VariantCopy(&argument.Get(), const_cast<VARIANT*>(&value)), "Copying a property value");
  DISPID namedPut = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&argument.Get(), &namedPut, 1, 1};
  Invoke(object, name, DISPATCH_PROPERTYPUT, params, nullptr);
}

bool VariantToBool(const VARIANT& value, std::string_view what) {
  Variant converted;
  HRESULT hr = VariantChangeType(&converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BOOL);
  if (FAILED(hr)) throw HostError(std::string(what) + " is not a Boolean (" + HresultText(hr) + ")");
  return converted.Get().boolVal != VARIANT_FALSE;
}

std::string VariantToText(const VARIANT& value, std::string_view what) {
  Variant converted;
  HRESULT hr = VariantChangeType(&converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) throw HostError(std::string(what) + " is not a text (" + HresultText(hr) + ")");
  return FromBstr(converted.Get().bstrVal);
}

}  // namespace kestrel
