// Wendlekit.exe on a display (run_display_test.py): started the way the add-in starts it, its
// message boxes read and answered by a window driver, the files it writes checked byte for byte.
// Usage: wendlekit_tests WENDLEKIT.EXE PROJECT.DLL
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui_driver.h"

namespace {

using kestrel::testing::UiDriver;

std::wstring wendlekit;
std::wstring projectPayload;

const std::wstring kInstallFolder = L"C:\\CAD Tools";
const std::wstring kWindowsFolder = L"C:\\WINDOWS";
const std::wstring kProject = L"C:\\WINDOWS\\Project.dll";
const std::wstring kLoader = L"C:\\CAD Tools\\自编命令.lsp";

std::string Read(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Ansi(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.pop_back();
  return out;
}

struct Box {
  DWORD process;
  HWND found = nullptr;
};
BOOL CALLBACK FindBox(HWND window, LPARAM data) {
  auto* box = reinterpret_cast<Box*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (process == box->process && IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    box->found = window;
    return FALSE;
  }
  return TRUE;
}
BOOL CALLBACK LongestStatic(HWND child, LPARAM data) {
  auto* text = reinterpret_cast<std::wstring*>(data);
  wchar_t className[64] = {};
  GetClassNameW(child, className, 64);
  const std::wstring shown = UiDriver::Text(child);
  if (_wcsicmp(className, L"Static") == 0 && shown.size() > text->size()) *text = shown;
  return TRUE;
}

// What one run of the installer showed: its message box's title and text (empty when none opened).
struct Shown {
  std::wstring title;
  std::wstring text;
  bool ended = false;
};

// Starts the installer with `arguments` after its quoted path (nothing at all when empty), "windir"
// set to `windir`; answers its message box with OK and waits for its end.
Shown RunWendlekit(const std::wstring& arguments, const std::wstring& windir, UiDriver& driver,
                   const std::wstring& screenshot = L"") {
  SetEnvironmentVariableW(L"windir", windir.c_str());
  std::wstring commandLine = L"\"" + wendlekit + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  Shown shown;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "CreateProcess failed";
    return shown;
  }
  Box box{process.dwProcessId};
  // Until its box shows or it ends; a guard far above the normal second gives up.
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(UiDriver::kGuardSeconds * 1000);
  while (box.found == nullptr && GetTickCount64() < until) {
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
  }
  if (box.found != nullptr) {
    shown.title = UiDriver::Text(box.found);
    EnumChildWindows(box.found, LongestStatic, reinterpret_cast<LPARAM>(&shown.text));
    if (!screenshot.empty()) driver.Screenshot(screenshot);
    PostMessageW(box.found, WM_COMMAND, IDOK, 0);
  }
  shown.ended = WaitForSingleObject(process.hProcess, static_cast<DWORD>(UiDriver::kGuardSeconds * 1000)) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return shown;
}

const std::wstring kInstalled = L"安装成功";

TEST(Wendlekit, InstallsIntoAFolderWithASpaceQuotedOrNotTwiceAndWithEitherWindirForm) {
  UiDriver driver;
  CreateDirectoryW(kInstallFolder.c_str(), nullptr);
  DeleteFileW(kProject.c_str());
  DeleteFileW(kLoader.c_str());

  // As the add-in starts it: the folder unquoted, space included.
  Shown first = RunWendlekit(kInstallFolder, kWindowsFolder, driver, L"wendlekit_installed");
  EXPECT_TRUE(first.ended);
  EXPECT_EQ(first.title, L"提示");
  EXPECT_EQ(first.text, kInstalled);
  const std::string project = Read(kProject);
  EXPECT_EQ(project.size(), 326656u);
  EXPECT_TRUE(project == Read(projectPayload)) << "Project.dll is the carried project, byte for byte";
  const std::string loader = Read(kLoader);
  EXPECT_EQ(loader.substr(0, loader.find("\r\n")), Ansi(L"(defun S::STARTUP() ;函数名不可以改变"));
  EXPECT_NE(loader.find("\r\n(command \"-vbarun\" \"C:\\\\WINDOWS\\\\Project.dll!inuse.StartUp\")\r\n"),
            std::string::npos);
  EXPECT_NE(loader.find("(command \"-vbarun\" \"C:\\\\WINDOWS\\\\Project.dll!Nood.DrawHH\")"), std::string::npos);
  EXPECT_EQ(loader.find("E:/"), std::string::npos);
  EXPECT_EQ(loader.substr(loader.size() - 5), "\r\n)\r\n");

  // Quoted, again, and with "windir" ending in a backslash: the same two files.
  for (const auto& [arguments, windir] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"\"" + kInstallFolder + L"\"", kWindowsFolder},
           {kInstallFolder, kWindowsFolder},
           {kInstallFolder, kWindowsFolder + L"\\"}}) {
    DeleteFileW(kLoader.c_str());
    Shown again = RunWendlekit(arguments, windir, driver);
    EXPECT_EQ(again.text, kInstalled) << "arguments " << arguments.size() << " windir " << windir.size();
    EXPECT_TRUE(Read(kLoader) == loader) << "the loader is the same";
    EXPECT_TRUE(Read(kProject) == project) << "Project.dll is the same";
  }
  EXPECT_TRUE(driver.Failures().empty());
}

TEST(Wendlekit, EmptyCommandLineAndMissingFolderAndLockedProject) {
  UiDriver driver;
  Shown empty = RunWendlekit(L"", kWindowsFolder, driver, L"wendlekit_not_standalone");
  EXPECT_TRUE(empty.ended);
  EXPECT_EQ(empty.title, L"提示");
  EXPECT_EQ(empty.text, L"安装失败\r\n1.非独立安装程序，需要在《Kestrel》软件中安装！");

  // A folder that does not exist: a silent end, nothing written.
  DeleteFileW(kProject.c_str());
  Shown missing = RunWendlekit(L"C:\\No Such Folder", kWindowsFolder, driver);
  EXPECT_TRUE(missing.ended);
  EXPECT_EQ(missing.text, L"") << "no message box";
  EXPECT_FALSE(Exists(kProject));

  // Project.dll held open without sharing (a running AutoCAD): the failure message, no loader.
  CreateDirectoryW(kInstallFolder.c_str(), nullptr);
  DeleteFileW(kLoader.c_str());
  HANDLE locked = CreateFileW(kProject.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  Shown failed = RunWendlekit(kInstallFolder, kWindowsFolder, driver, L"wendlekit_failed");
  CloseHandle(locked);
  EXPECT_EQ(failed.title, L"提示");
  EXPECT_EQ(failed.text,
            L"安装失败,可能的原因有:\r\n\r\n1.你可以尝试关闭AutoCAD再重新安装该CAD插件！\r\n"
            L"2.你可以尝试重启电脑,关掉360软件和电脑管家等软件再次安装插件");
  EXPECT_FALSE(Exists(kLoader));
  DeleteFileW(kProject.c_str());
  EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int gtestArgc = 1;
  char name[] = "wendlekit_tests";
  char* gtestArgv[] = {name, nullptr};
  testing::InitGoogleTest(&gtestArgc, gtestArgv);
  if (argc < 3) return 2;
  // The build hands over Unix paths; Wine shows the Unix root as drive Z:.
  for (auto [path, given] : {std::pair{&wendlekit, argv[1]}, std::pair{&projectPayload, argv[2]}}) {
    *path = given;
    if (!path->empty() && (*path)[0] == L'/') *path = L"Z:" + *path;
    for (auto& c : *path) c = c == L'/' ? L'\\' : c;
  }
  return RUN_ALL_TESTS();
}
