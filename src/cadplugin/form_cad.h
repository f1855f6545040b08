// FormCAD: the CAD plug-in installation dialog's presenter (offline and online install of Wendlekit).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "cadplugin/installer_signature.h"
#include "host/dialogs.h"

namespace kestrel {

class Shell;
class Ui;

// What the dialog needs of the platform besides messages and the shell's "Open" verb. Paths are
// UTF-8 with "\" separators, as the platform spells them.
class CadInstallSystem {
 public:
  virtual ~CadInstallSystem() = default;
  virtual std::string Environment(std::string_view name) = 0;  // "" when unset
  virtual bool Exists(std::string_view path) = 0;
  // The installer the add-in library carries (resource CUSTOM/CADTOOLS); nothing when it cannot load.
  virtual std::optional<std::string> CarriedInstaller() = 0;
  virtual bool RemoveFile(std::string_view path) = 0;
  // Creates or truncates the file and writes the bytes whole.
  virtual bool WriteFile(std::string_view path, std::string_view bytes) = 0;
  virtual bool DuplicateFile(std::string_view from, std::string_view to) = 0;
  // Starts a program with the shell's "open" verb in a normal window, without waiting.
  virtual bool Start(std::string_view program, std::string_view parameters) = 0;
  // Local date and time as "yyyymmddhhmmss".
  virtual std::string LocalTimeStamp() = 0;
  // The folder dialog (GetFolder of OpenSaveDlg, owned by the dialog's window); "" when cancelled.
  virtual std::string ChooseFolder() = 0;
  // The platform's verification of the file's embedded signature: a refusal, or an intact
  // signature and its signer's key (JudgeInstallerSignature decides on it). A file found intact
  // stays locked against change until the next Start or RemoveFile.
  virtual VerifiedSignature VerifySignature(std::string_view path) = 0;
};

class FormCad;

// BsDown, the download control: an asynchronous, cache-bypassing read of a URL into a local
// temporary file. Its events (completion with status kAsyncReadDone, error, progress) reach the
// dialog that asked, on its own thread, through OnAsyncRead...
class Downloader {
 public:
  virtual ~Downloader() = default;
  virtual void DownLoadFile(FormCad& requester, std::string_view target, std::string_view schedule) = 0;
  virtual void CancelDownload(std::string_view property) = 0;  // errors ignored
};

struct AsyncReadResult {
  int status = 0;
  std::string file;  // on completion: the local file holding the downloaded bytes
};
constexpr int kAsyncReadDone = 6;

// A rectangle in twips (1/1440 inch).
struct Twips {
  int left = 0, top = 0, width = 0, height = 0;
};
// The browse button inside the right end of its text box, 30 twips in from its edges:
//   PlaceBrowseButton({300, 600, 4500, 375}, 375)  ->  {4395, 630, 375, 315}
Twips PlaceBrowseButton(const Twips& textBox, int buttonWidth);

// The dialog is unloaded when it closes: each showing starts from the designed state again.
//
//   FormCad form(ui, shell, system, downloader);
//   form.Show(dialogs);
class FormCad : public Presenter {
 public:
  FormCad(Ui& ui, Shell& shell, CadInstallSystem& system, Downloader& downloader);
  const char* DialogName() const override { return "FormCAD"; }

  void Show(DialogHost& host);

  // Events.
  void OnLoad();
  void OnResize(int innerWidth);
  void OnCBFileAddClick();
  void OnCmdInstallClick(int index);
  void OnAsyncReadComplete(const AsyncReadResult& result);
  void OnAsyncReadError(const AsyncReadResult& result);
  void OnAsyncReadProgress(const AsyncReadResult&) {}
  void OnLabelInfoClick(int index);
  void OnCloseRequest() override;

  // The online installer's address (the maker's download page); only https, or http to the
  // loopback address, is ever fetched. The environment variable kInstallerUrlVariable replaces it
  // when it names a loopback address (a local test server), and is ignored otherwise. Whatever
  // the address, the installer only runs when it carries the pinned publisher's signature.
  std::string DownloadUrl;
  static constexpr const char* kInstallerUrlVariable = "KESTREL_INSTALLER_URL";

  // Controls.
  Control UC1, UserControl11, TextFileName, CBFileAdd;
  std::map<int, Control> CmdInstall;  // 0 offline, 1 online
  std::map<int, Control> LabelInfo;   // 6: the link to the VBA module downloads
  std::map<int, Control> Labelhelp;   // 0 the folder label; 1, 3 headings; 2, 4 their help texts

  static constexpr const char* kDownloading = "正在下载";

 private:
  void Reset();
  void Tell(std::string_view text);
  void BackToIdle();
  bool InstallDownloaded(const std::string& downloaded);

  Ui& ui_;
  Shell& shell_;
  CadInstallSystem& system_;
  Downloader& downloader_;
};

// Whether an installer may be fetched from this address: https, or plain http to the loopback
// address only (a test server).
bool IsAllowedDownloadUrl(std::string_view url);
// http:// or https:// to 127.0.0.1.
bool IsLoopbackUrl(std::string_view url);

// The platform's parts of the CAD plug-in installation, where the platform has them.
struct CadInstallPorts {
  CadInstallSystem& system;
  Downloader& downloader;
};

}  // namespace kestrel
