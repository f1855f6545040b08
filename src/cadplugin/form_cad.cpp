// FormCAD: the CAD plug-in installation dialog's controls and events.
#include "cadplugin/form_cad.h"

#include <string>

#include "host/shell.h"
#include "host/ui.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

constexpr const char* kTitle = "提示";
constexpr const char* kChooseFolderFirst = "请先选择CAD插件安装目录！";
constexpr const char* kWaitForDownload = "CAD插件安装包下载中,请等下下载完成之后再关闭窗口";
constexpr const char* kUpdateFailed =
    "未能正常更新！请重启电脑之后,关掉360,QQ电脑管家等国产杀毒软件,再重新联网安装CAD插件!";
constexpr const char* kDownloadFailed =
    "联网更新失败！可能的原因有：\r\n1.请保证你的网络能连接上Internet网络\r\n"
    "2.请升级Kestrel到最新版再次尝试联网更新Cad插件!\r\n\r\n[是] 去官网下载最新版Kestrel\r\n[否]  什么也不做";
constexpr const char* kOnlineCaption = "联网安装最新版本";
constexpr const char* kUpdateCaption = "更新";
constexpr const char* kInstallingCaption = "正在安装";
constexpr int kTwipsPerPixel = 15;  // at 96 dots per inch

Twips ToTwips(const Control& c) {
  return {c.left * kTwipsPerPixel, c.top * kTwipsPerPixel, c.width * kTwipsPerPixel, c.height * kTwipsPerPixel};
}

}  // namespace

Twips PlaceBrowseButton(const Twips& textBox, int buttonWidth) {
  return {textBox.left + textBox.width - buttonWidth - 30, textBox.top + 30, buttonWidth, textBox.height - 60};
}

bool IsLoopbackUrl(std::string_view url) {
  for (std::string_view scheme : {"http://", "https://"}) {
    if (url.starts_with(scheme)) {
      url.remove_prefix(scheme.size());
      return url.starts_with("127.0.0.1:") || url.starts_with("127.0.0.1/");
    }
  }
  return false;
}

bool IsAllowedDownloadUrl(std::string_view url) { return url.starts_with("https://") || IsLoopbackUrl(url); }

FormCad::FormCad(Ui& ui, Shell& shell, CadInstallSystem& system, Downloader& downloader)
    : DownloadUrl(std::string(SiteRoot()) + "down.asp?name=Wendlekit.exe"),
      ui_(ui),
      shell_(shell),
      system_(system),
      downloader_(downloader) {
  Reset();
}

void FormCad::Reset() {
  // Every entry is assigned in place: the window's bindings point at them.
  for (Control* c : {&UC1, &UserControl11, &TextFileName, &CBFileAdd, &CmdInstall[0], &CmdInstall[1], &LabelInfo[6]}) {
    *c = Control{};
  }
  for (int i = 0; i <= 4; ++i) Labelhelp[i] = Control{};
  UC1.text = "安装CAD插件程序";
  UC1.height = 24;
  UserControl11.text = "使用方法";
  // Designed positions in pixels; the browse button's place follows from the text box's at load.
  TextFileName.left = 100;
  TextFileName.top = 52;
  TextFileName.width = 340;
  TextFileName.height = 24;
  CBFileAdd.width = 24;
  TextFileName.toolTip = "Cad插件可以安装在任意目录";
  CBFileAdd.text = "..";
  CmdInstall[0].text = "安装";
  CmdInstall[0].toolTip = "安装的是离线的版本，可能没有联网的版本新。";
  CmdInstall[1].text = kOnlineCaption;
  CmdInstall[1].toolTip = "安装的是最新的网络版本。";
  LabelInfo[6].text = "各AutoCAD 版本的VBA模块下载";
  Labelhelp[0].text = "安装目录：";
  Labelhelp[1].text = "一、自动加载";
  Labelhelp[2].text =
      "1、打开AutoCAD，点击菜单 工具→加载应用程序（或输入命令appload）；\r\n"
      "2、在“启动组”中点击“内容”；\r\n"
      "3、点击“添加”，选择安装目录中的“自编命令.lsp”，把它放在启动组的最后；\r\n"
      "4、关闭对话框，以后每次打开AutoCAD都会自动加载CAD插件。";
  Labelhelp[3].text = "二、使用方法";
  Labelhelp[4].text =
      "1、以管理员方式打开CAD；\r\n"
      "2、在命令行输入n查看插件的全部命令，输入nn设置插件的选项。";
}

void FormCad::Show(DialogHost& host) {
  Reset();  // the dialog was unloaded when it last closed
  OnLoad();
  MarkShown();
  host.RunModal(*this);
}

void FormCad::OnLoad() {
  CBFileAdd.text = "..";
  const Twips placed = PlaceBrowseButton(ToTwips(TextFileName), CBFileAdd.width * kTwipsPerPixel);
  CBFileAdd.left = placed.left / kTwipsPerPixel;
  CBFileAdd.top = placed.top / kTwipsPerPixel;
  CBFileAdd.height = placed.height / kTwipsPerPixel;
  LabelInfo[6].handCursor = true;
  for (const char* drive : {"E:\\", "D:\\", "C:\\"}) {
    if (system_.Exists(drive)) {
      TextFileName.text = drive;
      break;
    }
  }
}

void FormCad::OnResize(int innerWidth) {
  UC1.left = 0;
  UC1.top = 0;
  UC1.width = innerWidth;
}

void FormCad::OnCBFileAddClick() { TextFileName.text = system_.ChooseFolder(); }

void FormCad::Tell(std::string_view text) { ui_.MessageBox(text, kTitle, MessageButtons::Ok, MessageIcon::None); }

void FormCad::OnCmdInstallClick(int index) {
  const std::string temp = system_.Environment("TEMP");
  const std::optional<std::string> installer = system_.CarriedInstaller();
  if (!installer) return;  // the resource did not load: the click ends silently
  if (TextFileName.text.empty()) {
    Tell(kChooseFolderFirst);
    return;
  }
  if (index != 0) {
    std::string url = DownloadUrl;
    if (const std::string local = system_.Environment(kInstallerUrlVariable); IsLoopbackUrl(local)) url = local;
    if (!IsAllowedDownloadUrl(url)) {
      Tell(kUpdateFailed);
      return;
    }
    CmdInstall[0].enabled = false;
    CmdInstall[1].enabled = false;
    CmdInstall[1].text = kDownloading;  // before the request, whose events may come at once
    downloader_.DownLoadFile(*this, url, "");
    return;
  }
  std::string path = temp + "\\CAD插件1010.exe";
  if (system_.Exists(path) && !system_.RemoveFile(path)) {
    path = temp + "\\CAD插件1010" + system_.LocalTimeStamp() + ".exe";  // the fixed name is locked
  }
  if (!system_.WriteFile(path, *installer)) return;
  system_.Start(path, TextFileName.text);
}

bool FormCad::InstallDownloaded(const std::string& downloaded) {
  const std::string update = system_.Environment("TEMP") + "\\CAD插件更新包.exe";
  if (!system_.DuplicateFile(downloaded, update)) return false;
  // The copy is what would run: check that one, and never start a file that fails.
  if (JudgeInstallerSignature(system_.VerifySignature(update), PublisherKeyPin()) != SignatureCheck::Trusted) {
    system_.RemoveFile(update);
    system_.RemoveFile(downloaded);
    return false;
  }
  CmdInstall[1].text = kInstallingCaption;
  return system_.Start(update, TextFileName.text);
}

void FormCad::OnAsyncReadComplete(const AsyncReadResult& result) {
  if (!InstallDownloaded(result.file)) Tell(kUpdateFailed);
  BackToIdle();
}

void FormCad::OnAsyncReadError(const AsyncReadResult&) {
  if (ui_.MessageBox(kDownloadFailed, kTitle, MessageButtons::YesNo, MessageIcon::None) == MessageAnswer::Yes) {
    GoWebPage("index", shell_);
  }
  BackToIdle();
}

void FormCad::BackToIdle() {
  CmdInstall[0].enabled = true;
  CmdInstall[1].enabled = true;
  CmdInstall[1].text = kUpdateCaption;
}

void FormCad::OnLabelInfoClick(int index) {
  if (index != 6) return;
  shell_.Open(std::string(SiteRoot()) + "blog/blogview.asp?logID=89", shell_.ModuleFolder());
}

void FormCad::OnCloseRequest() {
  if (CmdInstall[1].text == kDownloading) {
    Tell(kWaitForDownload);
    return;
  }
  Hide();
}

}  // namespace kestrel
