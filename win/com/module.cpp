// The module that holds this code, found from an address inside it, and its use count.
#include "module.h"

#include <atomic>
#include <string>

#include "com_error.h"

namespace kestrel {
namespace {

std::atomic<long> useCount{0};

}  // namespace

HMODULE ThisModule() {
  static const HMODULE module = [] {
    HMODULE found = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &found);
    return found;
  }();
  return module;
}

std::wstring ThisModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw ComError(HRESULT_FROM_WIN32(GetLastError()), "GetModuleFileNameW failed");
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void LockModule() { ++useCount; }
void UnlockModule() { --useCount; }
bool ModuleInUse() { return useCount.load() != 0; }

}  // namespace kestrel
