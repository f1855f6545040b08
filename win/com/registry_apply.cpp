// Registry writes and deletions for DllRegisterServer, DllUnregisterServer and DllInstall.
#include "registry_apply.h"

#include <string>

#include "platform/wide_text.h"

namespace kestrel {
namespace {

// The access flag that picks the registry view; the running program's needs none.
REGSAM ViewAccess(RegistryView view) { return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : 0; }

LONG WriteValue(const RegistryValue& value, const RegistryRoots& roots) {
  HKEY key = nullptr;
  std::wstring keyName = ToWide(value.key);
  LONG status = RegCreateKeyExW(roots.Of(value.root), keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE | ViewAccess(value.view), nullptr, &key, nullptr);
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

LONG DeleteKey(const RegistryKey& key, const RegistryRoots& roots) {
  std::wstring name = ToWide(key.key);
  if (key.view == RegistryView::Running) return RegDeleteTreeW(roots.Of(key.root), name.c_str());
  // RegDeleteTreeW takes no view: empty the key through a handle of the view, then delete it there.
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExW(roots.Of(key.root), name.c_str(), 0,
                              DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | ViewAccess(key.view),
                              &opened);
  if (status != ERROR_SUCCESS) return status;
  status = RegDeleteTreeW(opened, nullptr);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return status;
  return RegDeleteKeyExW(roots.Of(key.root), name.c_str(), ViewAccess(key.view), 0);
}

LONG DeleteValue(const RegistryValue& value, const RegistryRoots& roots) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(roots.Of(value.root), ToWide(value.key).c_str(), 0, KEY_SET_VALUE | ViewAccess(value.view),
                              &key);
  if (status != ERROR_SUCCESS) return status;
  status = RegDeleteValueW(key, ToWide(value.name).c_str());
  RegCloseKey(key);
  return status;
}

// Tries every item; one that is not there counts as deleted; the first failure is the result.
template <class Item>
HRESULT DeleteEach(const std::vector<Item>& items, const RegistryRoots& roots,
                   LONG (*remove)(const Item&, const RegistryRoots&)) {
  HRESULT first = S_OK;
  for (const Item& item : items) {
    LONG status = remove(item, roots);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(first)) {
      first = HRESULT_FROM_WIN32(status);
    }
  }
  return first;
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
  return DeleteEach(keys, roots, DeleteKey);
}

HRESULT DeleteRegistryValues(const std::vector<RegistryValue>& values, const RegistryRoots& roots) {
  return DeleteEach(values, roots, DeleteValue);
}

}  // namespace kestrel
