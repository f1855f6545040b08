// Exception-to-HRESULT mapping with IErrorInfo, for the COM entry points of the shell.
#include "com_error.h"

#include <oleauto.h>

#include <cstdio>
#include <new>

#include "platform/wide_text.h"

namespace kestrel {

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

void CheckHresult(HRESULT hr, std::string_view what) {
  if (FAILED(hr)) throw ComError(hr, std::string(what) + " failed (" + HresultText(hr) + ")");
}

HRESULT SetComError(REFIID iid, HRESULT hr, std::string_view description) noexcept {
  try {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return hr;
    std::wstring text = ToWide(description);
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(L"Kestrel"));
    create->SetDescription(text.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  } catch (...) {
    // The HRESULT still reports the failure when the description cannot be attached.
  }
  return hr;
}

HRESULT CurrentExceptionToHresult(REFIID iid) noexcept {
  try {
    throw;
  } catch (const ComError& e) {
    return SetComError(iid, e.Code(), e.what());
  } catch (const std::bad_alloc&) {
    return SetComError(iid, E_OUTOFMEMORY, "out of memory");
  } catch (const std::exception& e) {
    return SetComError(iid, E_FAIL, e.what());
  } catch (...) {
    return SetComError(iid, E_UNEXPECTED, "unexpected error");
  }
}

}  // namespace kestrel
