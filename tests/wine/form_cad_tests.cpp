// FormCAD from Kestrel.dll's FunHdmCadTool on a display (run_display_test.py): its controls and
// texts, the empty-folder message, and the offline install that writes the carried Wendlekit to
// TEMP and starts it, whose own message box the driver answers.
// Usage: form_cad_tests KESTREL.DLL WENDLEKIT.EXE
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro

#include <fstream>
#include <iterator>
#include <thread>

#include "addin/host/scripted_ui.h"
#include "cadplugin/form_cad.h"
#include "dialog_checks.h"
#include "form_cad_ids.h"
#include "kestrel_h.h"
#include "ribbon_call.h"
#include "support/recording_shell.h"
#include "ui_driver.h"
#include "wide_text.h"

namespace kestrel {
namespace {

using testing::CheckCaptionBand;
using testing::CreateConnect;
using testing::UiDriver;

std::wstring dllPath, wendlekitPath;

std::string Read(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
  bool IsTrustedInstaller(std::string_view) override { return false; }
  void DownLoadFile(std::string_view, std::string_view) override {}
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
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"CAD插件安装"); });
    driver.Check(dialog != nullptr, "FunHdmCadTool showed no dialog");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
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
    HWND installed = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示", true); }, 60);
    driver.Check(installed != nullptr, "the started installer showed no message");
    if (installed != nullptr) {
      Sleep(300);
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
