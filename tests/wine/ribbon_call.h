// RibbonCall: presses a ribbon button of a Connect object the way the host's ribbon does.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace kestrel::testing {

// Finds the callback by name (GetIDsOfNames) and invokes it with a null control; the callbacks
// are not members of a vtable, only of Connect's IDispatch.
//   EXPECT_EQ(RibbonCall(connect.Get(), L"FunHdmOrder"), S_OK);
inline HRESULT RibbonCall(IDispatch* connect, const wchar_t* callback) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(callback)};
  HRESULT hr = connect->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  VARIANT control;
  VariantInit(&control);
  V_VT(&control) = VT_DISPATCH;
  V_DISPATCH(&control) = nullptr;
  DISPPARAMS params{&control, nullptr, 1, 0};
  EXCEPINFO exception = {};
  hr = connect->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

}  // namespace kestrel::testing
