// Win32CadInstallSystem: the platform calls behind FormCad.
#include "win32_cad_install.h"

#include <shellapi.h>

#include "folder_picker.h"
#include "dialogs/modal_dialogs.h"
#include "com/module.h"
#include "wide_text.h"
#include "win32_signature.h"

namespace kestrel {

std::string Win32CadInstallSystem::Environment(std::string_view name) {
  const std::wstring wide = ToWide(name);
  DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  size = GetEnvironmentVariableW(wide.c_str(), value.data(), size);
  value.resize(size);
  return FromWide(value);
}

bool Win32CadInstallSystem::Exists(std::string_view path) {
  return GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Win32CadInstallSystem::CarriedInstaller() {
  HRSRC found = FindResourceW(ThisModule(), L"CADTOOLS", L"CUSTOM");
  HGLOBAL loaded = found ? LoadResource(ThisModule(), found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return std::string(bytes, SizeofResource(ThisModule(), found));
}

bool Win32CadInstallSystem::RemoveFile(std::string_view path) {
  Release();  // a checked installer is locked against deletion too
  return ::DeleteFileW(ToWide(path).c_str()) != 0;
}

bool Win32CadInstallSystem::WriteFile(std::string_view path, std::string_view bytes) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  return CloseHandle(file) && ok;
}

bool Win32CadInstallSystem::DuplicateFile(std::string_view from, std::string_view to) {
  return ::CopyFileW(ToWide(from).c_str(), ToWide(to).c_str(), FALSE) != 0;
}

bool Win32CadInstallSystem::Start(std::string_view program, std::string_view parameters) {
  const std::wstring file = ToWide(program);
  const std::wstring arguments = ToWide(parameters);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL));
  Release();  // a checked installer stayed locked until it was started
  return result > 32;
}

std::string Win32CadInstallSystem::LocalTimeStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16] = {};
  wsprintfW(text, L"%04u%02u%02u%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  return FromWide(text);
}

// OpenSaveDlg's GetFolder, owned by the dialog's window.
std::string Win32CadInstallSystem::ChooseFolder() { return FromWide(PickFolder(ModalDialogWindow())); }

Win32CadInstallSystem::~Win32CadInstallSystem() { Release(); }

void Win32CadInstallSystem::Release() {
  if (checked_ != INVALID_HANDLE_VALUE) CloseHandle(checked_);
  checked_ = INVALID_HANDLE_VALUE;
}

VerifiedSignature Win32CadInstallSystem::VerifySignature(std::string_view path) {
  Release();
  const std::wstring wide = ToWide(path);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  const VerifiedSignature found = VerifyEmbeddedSignature(wide, file);
  if (found.status == SignatureCheck::Trusted) {
    checked_ = file;
  } else {
    CloseHandle(file);
  }
  return found;
}

}  // namespace kestrel
