// Wendlekit.exe: the windowless installer of the CAD plug-in. Its whole command line is the
// installation folder; it writes the embedded VBA project into the Windows folder and the LISP
// loader into the installation folder, as the install plan says, and reports in a message box.
#include <windows.h>

#include <string>

#include "install_plan.h"

namespace {

constexpr UINT kLoaderTemplateId = 101;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
std::u16string Utf16(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

void Tell(const std::u16string& message) {
  MessageBoxW(nullptr, Wide(message), Wide(wendlekit::MessageTitle()), MB_OK);
}

std::u16string Environment(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  size = GetEnvironmentVariableW(name, value.data(), size);
  return Utf16(value.c_str(), size);
}

bool Exists(const std::u16string& path) { return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES; }

// Creates or truncates the file and writes the bytes whole.
bool WriteWhole(const std::u16string& path, const void* bytes, DWORD size) {
  HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  return CloseHandle(file) && ok;
}

bool Install(const wendlekit::InstallPlan& plan) {
  HRSRC found = FindResourceW(nullptr, L"DLL", L"CUSTOM");
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* project = loaded ? LockResource(loaded) : nullptr;
  if (project == nullptr) return false;
  if (!plan.projectPath.empty() && !WriteWhole(plan.projectPath, project, SizeofResource(nullptr, found))) return false;

  const std::u16string& text = plan.loaderText;
  const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return false;
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide(text), static_cast<int>(text.size()), ansi.data(), size, nullptr, nullptr);
  return WriteWhole(plan.loaderPath, ansi.data(), static_cast<DWORD>(ansi.size()));
}

int Run(const wchar_t* commandLine) {
  const wchar_t* loaderTemplate = nullptr;
  const int templateLength = LoadStringW(GetModuleHandleW(nullptr), kLoaderTemplateId,
                                         reinterpret_cast<LPWSTR>(&loaderTemplate), 0);
  const auto plan = wendlekit::PlanInstall(Utf16(commandLine, wcslen(commandLine)), Environment(L"windir"),
                                           Utf16(loaderTemplate ? loaderTemplate : L"", templateLength > 0 ? templateLength : 0),
                                           Exists);
  switch (plan.outcome) {
    case wendlekit::Outcome::NotStandalone:
      Tell(wendlekit::NotStandaloneMessage());
      break;
    case wendlekit::Outcome::SilentEnd:
      break;
    case wendlekit::Outcome::Install:
      Tell(templateLength > 0 && Install(plan) ? wendlekit::InstalledMessage() : wendlekit::FailedMessage());
      break;
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  try {
    return Run(commandLine ? commandLine : L"");
  } catch (...) {
    Tell(wendlekit::FailedMessage());
    return 0;
  }
}
