// Win32Shell: opens URLs and files with the shell; the module folder from GetModuleFileNameW.
#include "win32_shell.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "com/module.h"
#include "wide_text.h"

namespace kestrel {

void Win32Shell::Open(std::string_view target, std::string_view workingFolder) {
  std::wstring file = ToWide(target);
  if (target.find("://") == std::string_view::npos) std::replace(file.begin(), file.end(), L'/', L'\\');
  std::wstring folder = ToWide(workingFolder);
  ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
}

std::string Win32Shell::ModuleFolder() {
  std::wstring path = ThisModulePath();
  size_t separator = path.find_last_of(L"\\/");
  return FromWide(separator == std::wstring::npos ? std::wstring() : path.substr(0, separator));
}

}  // namespace kestrel
