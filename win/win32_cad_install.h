// The Win32 side of the CAD plug-in installation: files, the carried installer, the shell, the
// folder dialog, and BsDown, the download control.
#pragma once

#include <windows.h>

#include <string>

#include "cadplugin/form_cad.h"

namespace kestrel {
struct Session;
}

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
  // No publisher certificate is pinned in this build yet: every downloaded installer is refused.
  bool IsTrustedInstaller(std::string_view path) override;
};

// BsDown without a transfer of its own in this build: every request ends at once in the error
// event of the session's FormCad, on the dialog's thread.
class Win32Downloader final : public Downloader {
 public:
  explicit Win32Downloader(Session& session) : session_(session) {}
  void DownLoadFile(std::string_view target, std::string_view schedule) override;
  void CancelDownload(std::string_view) override {}

 private:
  Session& session_;
};

}  // namespace kestrel
