// The CAD plug-in install plan: from the command line, "windir" and the loader template, which files
// Wendlekit writes, with which content, and which message it shows. Portable (no Windows header and
// nothing of Kestrel's own), so that the installer and a native test compile the same source.
//
// Example: command line "\"C:\\CAD Tools\"", windir "C:\\WINDOWS", both folders present:
//   plan.projectPath == u"C:\\WINDOWS\\\\Project.dll", plan.loaderPath == u"C:\\CAD Tools\\\\自编命令.lsp",
//   the loader's start-up line reads (command "-vbarun" "C:\\\\WINDOWS\\\\Project.dll!inuse.StartUp").
#pragma once

#include <functional>
#include <string>

namespace wendlekit {

// What the installer tells the user at the end ("提示" boxes with an OK button).
enum class Outcome {
  NotStandalone,  // empty command line: "安装失败" ... "非独立安装程序" ...
  SilentEnd,      // the installation folder does not exist: nothing written, nothing shown
  Install,        // write the files, then InstalledMessage() or FailedMessage()
};

struct InstallPlan {
  Outcome outcome = Outcome::SilentEnd;
  std::u16string installFolder;  // normalised: quotes removed, ends in "\"
  std::u16string windowsFolder;  // normalised "windir"
  // Where the embedded VBA project goes; empty when the Windows folder does not exist (skipped).
  std::u16string projectPath;
  std::u16string loaderPath;
  // The loader's text, ending in CR LF; the installer writes it in the system's ANSI code page.
  std::u16string loaderText;
};

// Removes every double quote; appends "\" unless the text already ends in one.
std::u16string NormaliseFolder(std::u16string folder);

// The template with every "E:/" replaced by the Windows folder, then every "\" doubled.
std::u16string LoaderText(const std::u16string& loaderTemplate, const std::u16string& windowsFolder);

// `exists` answers whether the file system reports a path as present.
InstallPlan PlanInstall(const std::u16string& commandLine, const std::u16string& windir,
                        const std::u16string& loaderTemplate, const std::function<bool(const std::u16string&)>& exists);

const std::u16string& MessageTitle();
const std::u16string& NotStandaloneMessage();
const std::u16string& FailedMessage();
const std::u16string& InstalledMessage();

}  // namespace wendlekit
