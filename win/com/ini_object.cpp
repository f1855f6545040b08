// IniObject: the Ini class on the platform's private-profile functions, text in the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <string>

#include "automation_object.h"
#include "automation_objects.h"
#include "excel/dispatch_call.h"
#include "kestrel_h.h"
#include "platform/wide_text.h"
#include "server_context.h"

namespace kestrel {
namespace {

// Text as the ANSI private-profile functions take it.
std::string Ansi(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size, nullptr, nullptr);
  return ansi;
}

std::wstring FromAnsi(const std::string& ansi) {
  if (ansi.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
  return wide;
}

std::wstring WideOf(BSTR text) { return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text)); }

// A string argument passed by reference (any variable a caller has), as text.
std::wstring WideOf(VARIANT* v) {
  VARIANT text;
  VariantInit(&text);
  HRESULT hr = v == nullptr ? E_POINTER : VariantChangeType(&text, v, 0, VT_BSTR);
  if (FAILED(hr)) throw ComError(DISP_E_TYPEMISMATCH, "a text is wanted");
  std::wstring wide = WideOf(V_BSTR(&text));
  VariantClear(&text);
  return wide;
}

class IniObject final : public AutomationObject<_Ini> {
 public:
  explicit IniObject(ServerContext& context) : server_(context) {}

  HRESULT STDMETHODCALLTYPE get_INIFileName(BSTR* path) override {
    return Barrier([&] {
      if (path == nullptr) return E_POINTER;
      *path = SysAllocStringLen(path_.data(), static_cast<UINT>(path_.size()));
      return *path ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT STDMETHODCALLTYPE put_INIFileName(BSTR path) override {
    return Barrier([&] {
      path_ = WideOf(path);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE WriteIniKey(VARIANT* strSection, VARIANT* strKey, VARIANT* strValue, LONG* result) override {
    return Barrier([&] {
      if (result == nullptr) return E_POINTER;
      const std::string section = Ansi(WideOf(strSection)), key = Ansi(WideOf(strKey)), value = Ansi(WideOf(strValue));
      *result = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), File().c_str());
      return S_OK;
    });
  }

  // Read into a buffer of 256 characters, its terminator included: a longer value comes back cut
  // to 255 bytes of ANSI text.
  HRESULT STDMETHODCALLTYPE GetIniKey(VARIANT* strSection, VARIANT* strKey, BSTR Default, BSTR* value) override {
    return Barrier([&] {
      if (value == nullptr) return E_POINTER;
      const std::string section = Ansi(WideOf(strSection)), key = Ansi(WideOf(strKey)), fallback = Ansi(WideOf(Default));
      char buffer[256] = {};
      GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer, File().c_str());
      std::string read(buffer, sizeof buffer);
      read.erase(std::remove(read.begin(), read.end(), '\0'), read.end());
      const std::wstring wide = FromAnsi(read);
      *value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      return *value ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE DelIniKey(BSTR SectionName, BSTR KeyWord, VARIANT* result) override {
    return Barrier([&] {
      if (result != nullptr) VariantInit(result);
      const std::string section = Ansi(WideOf(SectionName)), key = Ansi(WideOf(KeyWord));
      WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, File().c_str());
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE DelIniSec(BSTR SectionName, VARIANT* result) override {
    return Barrier([&] {
      if (result != nullptr) VariantInit(result);
      const std::string section = Ansi(WideOf(SectionName));
      WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, File().c_str());
      return S_OK;
    });
  }

 private:
  std::string File() const { return Ansi(path_); }

  ServerReference server_;
  std::wstring path_;
};

}  // namespace

HRESULT CreateIniObject(ServerContext& context, REFIID iid, void** object) {
  return CreateAutomationObject<IniObject>(iid, object, context);
}

}  // namespace kestrel
