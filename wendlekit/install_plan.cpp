// The CAD plug-in install plan: folder rules, the loader text and the installer's messages.
#include "install_plan.h"

namespace wendlekit {
namespace {

void ReplaceAll(std::u16string& text, const std::u16string& what, const std::u16string& with) {
  for (std::size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

}  // namespace

std::u16string NormaliseFolder(std::u16string folder) {
  std::erase(folder, u'"');
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder;
}

std::u16string LoaderText(const std::u16string& loaderTemplate, const std::u16string& windowsFolder) {
  std::u16string text = loaderTemplate;
  ReplaceAll(text, u"E:/", windowsFolder);
  ReplaceAll(text, u"\\", u"\\\\");
  return text;
}

InstallPlan PlanInstall(const std::u16string& commandLine, const std::u16string& windir,
                        const std::u16string& loaderTemplate, const std::function<bool(const std::u16string&)>& exists) {
  InstallPlan plan;
  if (commandLine.empty()) {
    plan.outcome = Outcome::NotStandalone;
    return plan;
  }
  plan.installFolder = NormaliseFolder(commandLine);
  if (!exists(plan.installFolder)) {
    plan.outcome = Outcome::SilentEnd;
    return plan;
  }
  plan.outcome = Outcome::Install;
  plan.windowsFolder = NormaliseFolder(windir);
  // Each folder already ends in "\": the paths hold two in a row, which the file system reads as one.
  if (exists(plan.windowsFolder)) plan.projectPath = plan.windowsFolder + u"\\Project.dll";
  plan.loaderPath = plan.installFolder + u"\\自编命令.lsp";
  plan.loaderText = LoaderText(loaderTemplate, plan.windowsFolder) + u"\r\n";
  return plan;
}

const std::u16string& MessageTitle() {
  static const std::u16string text = u"提示";
  return text;
}

const std::u16string& NotStandaloneMessage() {
  static const std::u16string text = u"安装失败\r\n1.非独立安装程序，需要在《Kestrel》软件中安装！";
  return text;
}

const std::u16string& FailedMessage() {
  static const std::u16string text =
      u"安装失败,可能的原因有:\r\n\r\n1.你可以尝试关闭AutoCAD再重新安装该CAD插件！\r\n"
      u"2.你可以尝试重启电脑,关掉360软件和电脑管家等软件再次安装插件";
  return text;
}

const std::u16string& InstalledMessage() {
  static const std::u16string text = u"安装成功";
  return text;
}

}  // namespace wendlekit
