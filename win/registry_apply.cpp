// Registry writes and deletions for DllRegisterServer, DllUnregisterServer and DllInstall.
#include "registry_apply.h"

#include <string>

#include "wide_text.h"

namespace kestrel {
namespace {

LONG WriteValue(const RegistryValue& value, const RegistryRoots& roots) {
  HKEY key = nullptr;
  std::wstring keyName = ToWide(value.key);
  LONG status = RegCreateKeyExW(roots.Of(value.root), keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  std::wstring name = ToWide(value.name);
  if (value.type == RegistryType::Dword) {
    DWORD data = value.dword;
    status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  } else {
    std::wstring data = ToWide(value.text);
    status = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
  return status;
}

}  // namespace

HRESULT WriteRegistryValues(const std::vector<RegistryValue>& values, const RegistryRoots& roots) {
  for (const RegistryValue& value : values) {
    LONG status = WriteValue(value, roots);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

HRESULT DeleteRegistryKeys(const std::vector<RegistryKey>& keys, const RegistryRoots& roots) {
  HRESULT first = S_OK;
  for (const RegistryKey& key : keys) {
    std::wstring name = ToWide(key.key);
    LONG status = RegDeleteTreeW(roots.Of(key.root), name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(first)) {
      first = HRESULT_FROM_WIN32(status);
    }
  }
  return first;
}

}  // namespace kestrel
