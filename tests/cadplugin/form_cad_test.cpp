// The CAD plug-in installation dialog: defaults, the offline install and its file names, the
// online install's states, the check of the downloaded installer, closing, links.
#include "cadplugin/form_cad.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "addin/commands.h"
#include "host_doubles/scripted_dialogs.h"
#include "addin/session.h"
#include "host_doubles/scripted_ui.h"
#include "support/recording_shell.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

// A file system in memory: files with their bytes, present folders, locked (undeletable) files.
class MemorySystem : public CadInstallSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> folders{"C:\\", "D:\\"};
  std::set<std::string> locked;
  // What the platform's signature check finds, by file contents (nothing listed: unsigned).
  std::map<std::string, VerifiedSignature> signatures;
  std::optional<std::string> carried = std::string("MZ wendlekit");
  std::vector<std::pair<std::string, std::string>> started;  // program, parameters
  std::string chosenFolder;
  bool startFails = false;

  std::map<std::string, std::string, std::less<>> environment{{"TEMP", "C:\\Temp"}};
  std::string Environment(std::string_view name) override {
    auto it = environment.find(name);
    return it == environment.end() ? "" : it->second;
  }
  bool Exists(std::string_view path) override {
    return files.count(std::string(path)) > 0 || folders.count(std::string(path)) > 0;
  }
  std::optional<std::string> CarriedInstaller() override { return carried; }
  bool RemoveFile(std::string_view path) override {
    if (locked.count(std::string(path))) return false;
    return files.erase(std::string(path)) > 0;
  }
  bool WriteFile(std::string_view path, std::string_view bytes) override {
    if (locked.count(std::string(path))) return false;
    files[std::string(path)] = bytes;
    return true;
  }
  bool DuplicateFile(std::string_view from, std::string_view to) override {
    auto it = files.find(std::string(from));
    return it != files.end() && WriteFile(to, std::string(it->second));
  }
  bool Start(std::string_view program, std::string_view parameters) override {
    started.emplace_back(program, parameters);
    return !startFails;
  }
  std::string LocalTimeStamp() override { return "20261207131502"; }
  std::string ChooseFolder() override { return chosenFolder; }
  VerifiedSignature VerifySignature(std::string_view path) override {
    auto file = files.find(std::string(path));
    auto found = file == files.end() ? signatures.end() : signatures.find(file->second);
    return found == signatures.end() ? VerifiedSignature{} : found->second;
  }
};

class RecordingDownloader : public Downloader {
 public:
  std::vector<std::string> requested;
  void DownLoadFile(FormCad&, std::string_view target, std::string_view schedule) override { requested.emplace_back(target); }
  void CancelDownload(std::string_view) override {}
};

constexpr const char* kFixed = "C:\\Temp\\CAD插件1010.exe";
constexpr const char* kUpdate = "C:\\Temp\\CAD插件更新包.exe";
constexpr const char* kUpdateFailed =
    "未能正常更新！请重启电脑之后,关掉360,QQ电脑管家等国产杀毒软件,再重新联网安装CAD插件!";

class FormCadTest : public ::testing::Test {
 protected:
  ScriptedUi ui;
  RecordingShell shell{"C:\\Kestrel"};
  MemorySystem system;
  RecordingDownloader downloader;
  ScriptedDialogs dialogs;
  FormCad form{ui, shell, system, downloader};

  // Shows the dialog (its load included) and runs `action` while it is open.
  void ShowAnd(std::function<void(FormCad&)> action) {
    dialogs.Queue([action](Presenter& p) { action(dynamic_cast<FormCad&>(p)); });
    form.Show(dialogs);
  }

  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const auto& m : ui.Messages()) {
      EXPECT_EQ(m.title, "提示");
      texts.push_back(m.text);
    }
    return texts;
  }
  void Download() {
    form.OnLoad();
    form.OnCmdInstallClick(1);
  }
};

TEST_F(FormCadTest, LoadPicksTheFirstDriveOfEDCAndPlacesTheBrowseButtonInsideTheTextBox) {
  EXPECT_EQ(PlaceBrowseButton({300, 600, 4500, 375}, 375).left, 4395);
  EXPECT_EQ(PlaceBrowseButton({300, 600, 4500, 375}, 375).top, 630);
  EXPECT_EQ(PlaceBrowseButton({300, 600, 4500, 375}, 375).height, 315);
  EXPECT_EQ(PlaceBrowseButton({300, 600, 4500, 375}, 375).width, 375);

  form.TextFileName.left = 80;
  form.TextFileName.top = 60;
  form.TextFileName.width = 300;
  form.TextFileName.height = 24;
  form.CBFileAdd.width = 20;
  form.OnLoad();
  EXPECT_EQ(form.TextFileName.text, "D:\\");
  // 30 twips are 2 pixels: right edge 380 - 2, top 62, height 24 - 4.
  EXPECT_EQ(form.CBFileAdd.left + form.CBFileAdd.width, 378);
  EXPECT_EQ(form.CBFileAdd.top, 62);
  EXPECT_EQ(form.CBFileAdd.height, 20);
  EXPECT_EQ(form.CBFileAdd.text, "..");
  EXPECT_TRUE(form.LabelInfo[6].handCursor);

  system.folders = {"E:\\", "C:\\"};
  FormCad again{ui, shell, system, downloader};
  again.OnLoad();
  EXPECT_EQ(again.TextFileName.text, "E:\\");
  system.folders.clear();
  FormCad none{ui, shell, system, downloader};
  none.OnLoad();
  EXPECT_EQ(none.TextFileName.text, "");
  // No folder: both buttons only ask for one.
  none.OnCmdInstallClick(0);
  none.OnCmdInstallClick(1);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>(2, "请先选择CAD插件安装目录！"));
  EXPECT_TRUE(system.files.empty() && system.started.empty() && downloader.requested.empty());

  // The folder dialog's answer replaces the text, an empty one when cancelled.
  system.chosenFolder = "D:\\CAD Tools";
  none.OnCBFileAddClick();
  EXPECT_EQ(none.TextFileName.text, "D:\\CAD Tools");
  system.chosenFolder = "";
  none.OnCBFileAddClick();
  EXPECT_EQ(none.TextFileName.text, "");
}

TEST_F(FormCadTest, OfflineInstallWritesTheCarriedInstallerAndStartsItWithTheFolderUnquoted) {
  form.OnLoad();
  form.TextFileName.text = "D:\\CAD Tools";
  system.files[kFixed] = "stale";
  form.OnCmdInstallClick(0);
  EXPECT_EQ(system.files[kFixed], "MZ wendlekit");
  ASSERT_EQ(system.started.size(), 1u);
  EXPECT_EQ(system.started[0], std::make_pair(std::string(kFixed), std::string("D:\\CAD Tools")));

  // The fixed name still locked by a running installer: a time-stamped name, 14 digits.
  system.locked = {kFixed};
  form.OnCmdInstallClick(0);
  const std::string stamped = "C:\\Temp\\CAD插件101020261207131502.exe";
  EXPECT_EQ(system.files[stamped], "MZ wendlekit");
  EXPECT_EQ(system.started.back().first, stamped);

  // Nothing loads or nothing can be written: the click ends silently, buttons unchanged.
  system.locked = {kFixed, stamped};
  form.OnCmdInstallClick(0);
  system.carried.reset();
  form.OnCmdInstallClick(0);
  EXPECT_EQ(system.started.size(), 2u);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(form.CmdInstall[0].enabled && form.CmdInstall[1].enabled);
}

TEST_F(FormCadTest, OnlineInstallRefusesTheCloseWhileDownloadingAndStartsOnlyASignedInstaller) {
  ASSERT_TRUE(PublisherKeyPin()) << "a build with tests pins a publisher";
  system.signatures["signed"] = {SignatureCheck::Trusted, *PublisherKeyPin()};
  KeyDigest otherKey = *PublisherKeyPin();
  otherKey[31] ^= 1;
  system.signatures["another publisher"] = {SignatureCheck::Trusted, otherKey};
  ShowAnd([&](FormCad& f) {
    f.OnCmdInstallClick(1);
    ASSERT_EQ(downloader.requested,
              std::vector<std::string>{std::string(SiteRoot()) + "down.asp?name=Wendlekit.exe"});
    EXPECT_TRUE(downloader.requested[0].starts_with("https://"));
    EXPECT_EQ(f.CmdInstall[1].text, "正在下载");
    EXPECT_FALSE(f.CmdInstall[0].enabled || f.CmdInstall[1].enabled);
    f.OnCloseRequest();
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"CAD插件安装包下载中,请等下下载完成之后再关闭窗口"});

    // A signed download: copied to the update name and started with the folder.
    system.files["C:\\Temp\\dl1.tmp"] = "signed";
    f.OnAsyncReadComplete({kAsyncReadDone, "C:\\Temp\\dl1.tmp"});
    ASSERT_EQ(system.started.size(), 1u);
    EXPECT_EQ(system.started[0], std::make_pair(std::string(kUpdate), std::string("D:\\")));
    EXPECT_EQ(system.files[kUpdate], "signed");
    EXPECT_EQ(f.CmdInstall[1].text, "更新");
    EXPECT_TRUE(f.CmdInstall[0].enabled && f.CmdInstall[1].enabled);

    // Tampered (or unsigned): deleted, never started, the failure message, back to idle.
    f.OnCmdInstallClick(1);
    system.files["C:\\Temp\\dl2.tmp"] = "signeD";
    f.OnAsyncReadComplete({kAsyncReadDone, "C:\\Temp\\dl2.tmp"});
    EXPECT_EQ(system.started.size(), 1u);
    EXPECT_FALSE(system.Exists(kUpdate) || system.Exists("C:\\Temp\\dl2.tmp"));
    EXPECT_EQ(MessageTexts().back(), kUpdateFailed);
    EXPECT_EQ(f.CmdInstall[1].text, "更新");
    EXPECT_TRUE(f.CmdInstall[0].enabled);

    // Intact, but signed with another key: refused the same way.
    f.OnCmdInstallClick(1);
    system.files["C:\\Temp\\dl4.tmp"] = "another publisher";
    f.OnAsyncReadComplete({kAsyncReadDone, "C:\\Temp\\dl4.tmp"});
    EXPECT_EQ(system.started.size(), 1u);
    EXPECT_FALSE(system.Exists(kUpdate) || system.Exists("C:\\Temp\\dl4.tmp"));
    EXPECT_EQ(MessageTexts().size(), 3u);
    EXPECT_EQ(MessageTexts().back(), kUpdateFailed);

    // A signed file that fails to start: the same message.
    f.OnCmdInstallClick(1);
    system.files["C:\\Temp\\dl3.tmp"] = "signed";
    system.startFails = true;
    f.OnAsyncReadComplete({kAsyncReadDone, "C:\\Temp\\dl3.tmp"});
    EXPECT_EQ(MessageTexts().size(), 4u);
    EXPECT_EQ(MessageTexts().back(), kUpdateFailed);

    f.OnCloseRequest();  // after the download the dialog closes
  });
  EXPECT_FALSE(form.Visible());
}

TEST_F(FormCadTest, DownloadErrorOffersTheProductPageAndOnlyHttpsOrLoopbackIsFetched) {
  Download();
  ui.QueueAnswer(MessageAnswer::Yes);
  form.OnAsyncReadError({3, ""});
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.Messages()[0].text,
            "联网更新失败！可能的原因有：\r\n1.请保证你的网络能连接上Internet网络\r\n"
            "2.请升级Kestrel到最新版再次尝试联网更新Cad插件!\r\n\r\n[是] 去官网下载最新版Kestrel\r\n[否]  什么也不做");
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0].first, WebTarget("index", "C:\\Kestrel"));
  EXPECT_EQ(form.CmdInstall[1].text, "更新");
  EXPECT_TRUE(form.CmdInstall[0].enabled && form.CmdInstall[1].enabled);

  form.OnLabelInfoClick(6);
  EXPECT_EQ(shell.opened.back(), std::make_pair(std::string(SiteRoot()) + "blog/blogview.asp?logID=89",
                                                std::string("C:\\Kestrel")));
  form.OnLabelInfoClick(5);
  EXPECT_EQ(shell.opened.size(), 2u);

  EXPECT_TRUE(IsAllowedDownloadUrl("http://127.0.0.1:8080/Wendlekit.exe"));
  EXPECT_FALSE(IsAllowedDownloadUrl("http://www.example.com/down.asp?name=Wendlekit.exe"));
  EXPECT_FALSE(IsAllowedDownloadUrl("http://127.0.0.1.example.com/x.exe"));
  form.DownloadUrl = "http://www.example.com/down.asp?name=Wendlekit.exe";
  form.OnCmdInstallClick(1);
  EXPECT_EQ(downloader.requested.size(), 1u) << "a plain http address is never fetched";
  EXPECT_TRUE(form.CmdInstall[1].enabled);

  // A local test server replaces the address; any other address in the variable is ignored.
  form.DownloadUrl = std::string(SiteRoot()) + "down.asp?name=Wendlekit.exe";
  system.environment["KESTREL_INSTALLER_URL"] = "http://127.0.0.1:8123/Wendlekit.exe";
  form.OnCmdInstallClick(1);
  system.environment["KESTREL_INSTALLER_URL"] = "https://www.example.com/evil.exe";
  form.OnAsyncReadError({0, ""});
  form.OnCmdInstallClick(1);
  EXPECT_EQ(downloader.requested, (std::vector<std::string>{downloader.requested[0], "http://127.0.0.1:8123/Wendlekit.exe",
                                                             downloader.requested[0]}));
}

TEST_F(FormCadTest, TheRibbonButtonShowsTheDialogFreshEachTime) {
  Session session;
  CadInstallPorts ports{system, downloader};
  PlatformPorts platform{ui, shell, dialogs, nullptr, nullptr, &ports};  // no workbook: the CAD host's case
  const RibbonCommand* command = FindRibbonCommand("FunHdmCadTool");
  ASSERT_NE(command, nullptr);
  std::vector<std::string> shownFolders;
  for (int i = 0; i < 2; ++i) {
    dialogs.Queue([&](Presenter& p) {
      auto& f = dynamic_cast<FormCad&>(p);
      shownFolders.push_back(f.TextFileName.text);
      f.TextFileName.text = "D:\\CAD Tools";
      f.CmdInstall[1].text = "更新";
      f.OnCloseRequest();
    });
    RunRibbonCommand(*command, platform, nullptr, session);
    EXPECT_FALSE(session.CadDialog->Visible());
    EXPECT_EQ(session.CadDialog->CmdInstall[1].text, "更新");
  }
  EXPECT_EQ(shownFolders, (std::vector<std::string>{"D:\\", "D:\\"}));
  EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace kestrel
