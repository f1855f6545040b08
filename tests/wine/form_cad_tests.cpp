// FormCAD from Kestrel.dll's ribbon command on a display (run_display_test.py): its controls and
// texts, the empty-folder message, and the offline install that writes the carried Wendlekit to
// TEMP and starts it, whose own message box the driver answers; the online install from the
// loopback server of serve_installers.py (KESTREL_TEST_SERVER, KESTREL_TEST_SERVER_DIR), which
// runs only the installer signed by the build's pinned publisher.
// Usage: form_cad_tests KESTREL.DLL WENDLEKIT.EXE
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro

#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "cadplugin/form_cad.h"
#include "dialog_checks.h"
#include "dialogs/form_cad_ids.h"
#include "kestrel_h.h"
#include "message_pump.h"
#include "dialogs/modal_dialogs.h"
#include "ribbon_call.h"
#include "support/recording_shell.h"
#include "ui_driver.h"
#include "platform/wide_text.h"
#include "platform/win32_download.h"

namespace kestrel {
namespace {

using testing::CheckCaptionBand;
using testing::CreateConnect;
using testing::PumpPostedMessages;
using testing::PumpUntil;
using testing::UiDriver;

std::wstring dllPath, wendlekitPath;

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  GetEnvironmentVariableW(name, value, 1024);
  return value;
}

// A Unix path as Wine's Z: drive shows it.
std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
  return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Read(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// FormCAD's window once the ribbon command has shown it and it has painted; null (a failure) otherwise.
HWND ShownDialog(UiDriver& driver) {
  HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"CAD插件安装"); });
  driver.Check(dialog != nullptr, "FunHdmCadTool showed no dialog");
  if (dialog != nullptr) UiDriver::Settle(dialog);
  return dialog;
}

class NoSystem : public CadInstallSystem, public Downloader {
 public:
  std::string Environment(std::string_view) override { return ""; }
  bool Exists(std::string_view) override { return false; }
  std::optional<std::string> CarriedInstaller() override { return std::nullopt; }
  bool RemoveFile(std::string_view) override { return false; }
  bool WriteFile(std::string_view, std::string_view) override { return false; }
  bool DuplicateFile(std::string_view, std::string_view) override { return false; }
  bool Start(std::string_view, std::string_view) override { return false; }
  std::string LocalTimeStamp() override { return ""; }
  std::string ChooseFolder() override { return ""; }
  VerifiedSignature VerifySignature(std::string_view) override { return {}; }
  void DownLoadFile(FormCad&, std::string_view, std::string_view) override {}
  void CancelDownload(std::string_view) override {}
};

TEST(FormCadView, OfflineInstallFromKestrelDll) {
  HMODULE dll = LoadLibraryW(dllPath.c_str());
  ASSERT_NE(dll, nullptr);
  _Connect* connect = nullptr;
  ASSERT_EQ(CreateConnect(dll, IID__Connect, &connect), S_OK);

  ScriptedUi ui;
  RecordingShell shell;
  NoSystem none;
  FormCad designed(ui, shell, none, none);  // the texts the window must show

  const std::wstring folder = L"C:\\CAD Tools";
  const std::wstring loader = folder + L"\\自编命令.lsp";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW(loader.c_str());
  wchar_t temp[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  const std::wstring written = std::wstring(temp) + L"\\CAD插件1010.exe";
  DeleteFileW(written.c_str());

  UiDriver driver;
  std::thread user([&] {
    HWND dialog = ShownDialog(driver);
    if (dialog == nullptr) return;
    driver.Check(UiDriver::ItemText(dialog, IDC_FORM_CAD_TEXT_FILE_NAME) == L"C:\\", "the default folder is C:\\");
    for (int i : {0, 1}) {
      HWND button = GetDlgItem(dialog, IDC_FORM_CAD_CMD_INSTALL + i);
      driver.Check(UiDriver::Text(button) == ToWide(designed.CmdInstall[i].text), "CmdInstall caption");
      driver.Check(UiDriver::ToolTip(dialog, button) == ToWide(designed.CmdInstall[i].toolTip), "CmdInstall tool tip");
    }
    driver.Check(UiDriver::ToolTip(dialog, GetDlgItem(dialog, IDC_FORM_CAD_TEXT_FILE_NAME)) ==
                     L"Cad插件可以安装在任意目录", "the folder's tool tip");
    driver.Check(UiDriver::ItemText(dialog, IDC_FORM_CAD_LABEL_INFO + 6) == L"各AutoCAD 版本的VBA模块下载", "link");
    for (int i = 0; i <= 4; ++i) {
      driver.Check(UiDriver::ItemText(dialog, IDC_FORM_CAD_LABEL_HELP + i) == ToWide(designed.Labelhelp[i].text),
                   "help text " + std::to_string(i));
    }
    driver.Check(UiDriver::ItemText(dialog, IDC_FORM_CAD_CB_FILE_ADD) == L"..", "the browse button");
    RECT text = {}, button = {};
    GetWindowRect(GetDlgItem(dialog, IDC_FORM_CAD_TEXT_FILE_NAME), &text);
    GetWindowRect(GetDlgItem(dialog, IDC_FORM_CAD_CB_FILE_ADD), &button);
    driver.Check(button.right == text.right - 2 && button.top == text.top + 2 && button.bottom == text.bottom - 2,
                 "the browse button sits 2 pixels inside the text box's right end");
    CheckCaptionBand(driver, GetDlgItem(dialog, IDC_FORM_CAD_UC1));
    driver.Screenshot(L"form_cad");

    // The browse button shows OpenSaveDlg's folder picker, owned by the dialog; cancelled, the
    // folder box is left empty.
    UiDriver::Click(dialog, IDC_FORM_CAD_CB_FILE_ADD);
    HWND picker = UiDriver::WaitFor([] { return UiDriver::FindDialogShowing(L"选择目标文件夹"); });
    driver.Check(picker != nullptr && GetWindow(picker, GW_OWNER) == dialog, "the folder picker, owned by the dialog");
    if (picker != nullptr) {
      PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(picker, IDCANCEL)));
      UiDriver::WaitHidden(picker);
    }
    UiDriver::Settle(dialog);
    driver.Check(UiDriver::ItemText(dialog, IDC_FORM_CAD_TEXT_FILE_NAME).empty(), "a cancelled picker empties the box");

    // No folder: the message, nothing written.
    UiDriver::SetItemText(dialog, IDC_FORM_CAD_TEXT_FILE_NAME, L"");
    UiDriver::Click(dialog, IDC_FORM_CAD_CMD_INSTALL + 0);
    HWND box = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示"); });
    driver.Check(box != nullptr && UiDriver::ItemText(box, 0xFFFF) == L"请先选择CAD插件安装目录！",
                 "the empty-folder message");
    driver.Screenshot(L"form_cad_empty_folder");
    if (box != nullptr) PostMessageW(box, WM_COMMAND, IDOK, 0);
    UiDriver::WaitHidden(box);

    // Offline: the carried installer in TEMP, started with the folder; its own message box.
    UiDriver::SetItemText(dialog, IDC_FORM_CAD_TEXT_FILE_NAME, folder);
    UiDriver::Click(dialog, IDC_FORM_CAD_CMD_INSTALL + 0);
    HWND installed = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示", true); });
    driver.Check(installed != nullptr, "the started installer showed no message");
    if (installed != nullptr) {
      driver.Screenshot(L"form_cad_installed");
      PostMessageW(installed, WM_COMMAND, IDOK, 0);
    }
    UiDriver::WaitFor([&] { return IsWindow(installed) ? nullptr : dialog; });
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    driver.Check(UiDriver::WaitHidden(dialog), "the dialog closes");
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(connect, L"FunHdmCadTool"), S_OK);
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  const std::string carried = Read(written);
  EXPECT_GT(carried.size(), 300000u);
  EXPECT_TRUE(carried == Read(wendlekitPath)) << "TEMP\\CAD插件1010.exe is the built Wendlekit, byte for byte";
  EXPECT_GT(Read(loader).size(), 1500u) << "the loader is in the chosen folder";
  connect->Release();
}

TEST(FormCadView, OnlineInstallRunsOnlyTheDownloadSignedByThePinnedPublisher) {
  const std::wstring server = Environment(L"KESTREL_TEST_SERVER");
  const std::wstring served = WindowsPath(Environment(L"KESTREL_TEST_SERVER_DIR"));
  ASSERT_FALSE(server.empty() || served.empty()) << "run under serve_installers.py";
  HMODULE dll = LoadLibraryW(dllPath.c_str());
  ASSERT_NE(dll, nullptr);
  _Connect* connect = nullptr;
  ASSERT_EQ(CreateConnect(dll, IID__Connect, &connect), S_OK);

  const std::wstring folder = L"C:\\CAD Online";
  const std::wstring loader = folder + L"\\自编命令.lsp";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW(loader.c_str());
  const std::wstring update = Environment(L"TEMP") + L"\\CAD插件更新包.exe";
  DeleteFileW(update.c_str());
  auto fetchFrom = [&](const std::wstring& path) {
    SetEnvironmentVariableW(L"KESTREL_INSTALLER_URL", (server + L"/" + path).c_str());
  };

  UiDriver driver;
  std::thread user([&] {
    HWND dialog = ShownDialog(driver);
    if (dialog == nullptr) return;
    UiDriver::SetItemText(dialog, IDC_FORM_CAD_TEXT_FILE_NAME, folder);
    auto caption = [&](const std::wstring& text) {
      return UiDriver::WaitFor([&] { return UiDriver::ItemText(dialog, IDC_FORM_CAD_CMD_INSTALL + 1) == text ? dialog : nullptr; });
    };
    // Answers the add-in's next message box with `button` and returns its text.
    auto answer = [&](int button, const wchar_t* shot) {
      HWND box = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示"); });
      if (box == nullptr) return std::wstring(L"(no message)");
      const std::wstring text = UiDriver::ItemText(box, 0xFFFF);
      if (shot != nullptr) driver.Screenshot(shot);
      PostMessageW(box, WM_COMMAND, button, 0);
      UiDriver::WaitHidden(box);
      return text;
    };

    // The signed installer, held by the server halfway: the buttons are off and the close refused.
    fetchFrom(L"hold/wendlekit-signed.exe");
    UiDriver::Click(dialog, IDC_FORM_CAD_CMD_INSTALL + 1);
    driver.Check(caption(L"正在下载") != nullptr, "the caption while downloading");
    driver.Check(!IsWindowEnabled(GetDlgItem(dialog, IDC_FORM_CAD_CMD_INSTALL + 0)) &&
                     !IsWindowEnabled(GetDlgItem(dialog, IDC_FORM_CAD_CMD_INSTALL + 1)),
                 "both install buttons are off while downloading");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    driver.Check(answer(IDOK, L"form_cad_downloading") == L"CAD插件安装包下载中,请等下下载完成之后再关闭窗口",
                 "the close during the download is refused with the message");
    driver.Check(IsWindowVisible(dialog) != FALSE, "the dialog stays");
    CloseHandle(CreateFileW((served + L"\\release").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    HWND installed = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示", true); });
    driver.Check(installed != nullptr, "the downloaded installer ran and showed its message");
    if (installed != nullptr) PostMessageW(installed, WM_COMMAND, IDOK, 0);
    driver.Check(caption(L"更新") != nullptr, "the caption after the install");
    driver.Check(UiDriver::WaitFor([&] { return Exists(loader) ? dialog : nullptr; }) != nullptr,
                 "the downloaded installer wrote the loader");
    driver.Check(Read(update) == Read(served + L"\\wendlekit-signed.exe"), "TEMP\\CAD插件更新包.exe is the served file");
    driver.Check(IsWindowEnabled(GetDlgItem(dialog, IDC_FORM_CAD_CMD_INSTALL + 0)) != FALSE, "the buttons are back");
    // The installer's process holds its file until it has ended; the next downloads replace that file.
    driver.Check(UiDriver::WaitFor([&] { return DeleteFileW(update.c_str()) ? dialog : nullptr; }) != nullptr,
                 "the installer that ran has ended");

    // A byte changed, another publisher's signature, no signature, a forged digest: refused with
    // the message, the file deleted.
    for (auto [refused, shot] : {std::pair{L"wendlekit-tampered.exe", L"form_cad_refused"},
                                 std::pair<const wchar_t*, const wchar_t*>{L"wendlekit-another.exe", nullptr},
                                 std::pair<const wchar_t*, const wchar_t*>{L"wendlekit-unsigned.exe", nullptr},
                                 std::pair<const wchar_t*, const wchar_t*>{L"wendlekit-forged.exe", nullptr}}) {
      DeleteFileW(loader.c_str());
      fetchFrom(refused);
      UiDriver::Click(dialog, IDC_FORM_CAD_CMD_INSTALL + 1);
      driver.Check(answer(IDOK, shot) ==
                       L"未能正常更新！请重启电脑之后,关掉360,QQ电脑管家等国产杀毒软件,再重新联网安装CAD插件!",
                   "the failure message for " + FromWide(refused));
      driver.Check(!Exists(update), "the refused installer is deleted: " + FromWide(refused));
      driver.Check(caption(L"更新") != nullptr, "back to idle");
    }
    // An installer started from the refused file would hold it while running (it could not have
    // been deleted) and would have written the loader once ended.
    driver.Check(!Exists(loader), "no refused installer ran");

    // Nothing at the address: the download failure's question, answered No.
    fetchFrom(L"missing.exe");
    UiDriver::Click(dialog, IDC_FORM_CAD_CMD_INSTALL + 1);
    driver.Check(answer(IDNO, nullptr).starts_with(L"联网更新失败！可能的原因有："), "the download failure message");
    driver.Check(caption(L"更新") != nullptr, "back to idle after the failure");

    PostMessageW(dialog, WM_CLOSE, 0, 0);
    driver.Check(UiDriver::WaitHidden(dialog), "the dialog closes after the downloads");
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(connect, L"FunHdmCadTool"), S_OK);
  user.join();
  SetEnvironmentVariableW(L"KESTREL_INSTALLER_URL", nullptr);
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  connect->Release();
}

// The platform as far as the download's completion needs it: the downloaded bytes and the thread
// they arrive on are recorded; every file counts as signed.
class RecordingSystem : public NoSystem {
 public:
  std::vector<std::string> copied;
  DWORD copiedOn = 0;
  std::string Environment(std::string_view name) override { return FromWide(kestrel::Environment(ToWide(name).c_str())); }
  std::optional<std::string> CarriedInstaller() override { return std::string("MZ"); }
  bool DuplicateFile(std::string_view from, std::string_view) override {
    copied.push_back(Read(ToWide(from)));
    copiedOn = GetCurrentThreadId();
    return true;
  }
  VerifiedSignature VerifySignature(std::string_view) override { return {SignatureCheck::Trusted, *PublisherKeyPin()}; }
  bool Start(std::string_view, std::string_view) override { return true; }
};

// The downloader's own files in TEMP.
int DownloadFiles() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((Environment(L"TEMP") + L"\\ksd*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

TEST(Win32Downloader, DeliversTheServersBytesOnTheCallingThreadAndACancelledReadRaisesNoEvent) {
  const std::wstring server = Environment(L"KESTREL_TEST_SERVER");
  const std::wstring served = WindowsPath(Environment(L"KESTREL_TEST_SERVER_DIR"));
  ASSERT_FALSE(server.empty() || served.empty()) << "run under serve_installers.py";
  ScriptedUi ui;
  RecordingShell shell;
  RecordingSystem system;
  Session session;
  ModalDialogs dialogs;
  Win32Downloader downloader(dialogs);
  session.CadDialog = std::make_unique<FormCad>(ui, shell, system, downloader);
  FormCad& form = *session.CadDialog;
  form.TextFileName.text = "C:\\CAD";
  const std::wstring fresh = served + L"\\fresh.bin";
  DeleteFileW((served + L"\\release").c_str());
  const int filesBefore = DownloadFiles();
  auto download = [&](const wchar_t* path) {
    SetEnvironmentVariableW(L"KESTREL_INSTALLER_URL", (server + L"/" + path).c_str());
    form.OnCmdInstallClick(1);
  };

  // The server's bytes, whole, delivered on this thread; the local file goes once the completion
  // has run. (The cache bypass is not observable here: Wine's WinINet asks the server again even
  // without it.)
  const std::string bytes(300000, 'a');
  std::ofstream(fresh.c_str(), std::ios::binary) << bytes;
  download(L"fresh.bin");
  ASSERT_TRUE(PumpUntil([&] { return form.CmdInstall[1].text != FormCad::kDownloading; }));
  ASSERT_EQ(system.copied.size(), 1u);
  EXPECT_TRUE(system.copied[0] == bytes) << system.copied[0].size() << " bytes";
  EXPECT_EQ(system.copiedOn, GetCurrentThreadId());
  EXPECT_EQ(DownloadFiles(), filesBefore);

  // Held halfway by the server and cancelled: no event follows, not even once the server lets go,
  // and the read's file goes. (Windows aborts the pending read when its handle closes; Wine's
  // WinINet lets it run until data comes, so the file goes when the server lets go.)
  const std::wstring held = served + L"\\held";
  DeleteFileW(held.c_str());
  download(L"hold/fresh.bin");
  ASSERT_TRUE(PumpUntil([&] { return Exists(held); })) << "the server holds the download halfway";
  downloader.CancelDownload("");
  PumpPostedMessages();
  CloseHandle(CreateFileW((served + L"\\release").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_TRUE(PumpUntil([&] { return DownloadFiles() == filesBefore; })) << "the cancelled read's file is gone";
  PumpPostedMessages();  // an event the read posted before its file went comes out first
  EXPECT_EQ(form.CmdInstall[1].text, FormCad::kDownloading) << "no event after the cancel";
  EXPECT_EQ(system.copied.size(), 1u);
  EXPECT_TRUE(ui.Messages().empty());
  SetEnvironmentVariableW(L"KESTREL_INSTALLER_URL", nullptr);
  DeleteFileW((served + L"\\release").c_str());
  DeleteFileW(fresh.c_str());
}

}  // namespace
}  // namespace kestrel

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) return 2;
  for (auto [path, given] : {std::pair{&kestrel::dllPath, argv[1]}, std::pair{&kestrel::wendlekitPath, argv[2]}}) {
    *path = given;
    if (!path->empty() && (*path)[0] == L'/') *path = L"Z:" + *path;
    for (wchar_t& c : *path) c = c == L'/' ? L'\\' : c;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
