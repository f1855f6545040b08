// The Win32 side of the CAD plug-in installation: files, the carried installer, the shell, the
// folder dialog, the lock on a checked installer (BsDown itself: win32_download.h).
#pragma once

#include <windows.h>

#include <string>

#include "cadplugin/form_cad.h"

namespace kestrel {

class Win32CadInstallSystem final : public CadInstallSystem {
 public:
  std::string Environment(std::string_view name) override;
  bool Exists(std::string_view path) override;
  // Resource "CADTOOLS" of type "CUSTOM" of the add-in library.
  std::optional<std::string> CarriedInstaller() override;
  bool RemoveFile(std::string_view path) override;
  bool WriteFile(std::string_view path, std::string_view bytes) override;
  bool DuplicateFile(std::string_view from, std::string_view to) override;
  bool Start(std::string_view program, std::string_view parameters) override;
  std::string LocalTimeStamp() override;
  std::string ChooseFolder() override;
  // The system's check of the file's Authenticode signature (win32_signature.h). A file found
  // intact is kept open without write or delete sharing until the next Start or RemoveFile, so
  // that the bytes checked are the bytes started.
  VerifiedSignature VerifySignature(std::string_view path) override;
  ~Win32CadInstallSystem() override;

 private:
  void Release();
  HANDLE checked_ = INVALID_HANDLE_VALUE;
};


}  // namespace kestrel
