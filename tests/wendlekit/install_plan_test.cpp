// The installer's plan: folder rules, the loader text written from its template, the outcome.
#include "install_plan.h"

#include <gtest/gtest.h>

#include <set>

#include "util/unicode.h"

namespace kestrel {
extern const char kLoaderTemplate[];
}

namespace {

using wendlekit::Outcome;
using wendlekit::PlanInstall;

std::u16string Template() { return kestrel::Utf8ToUtf16(kestrel::kLoaderTemplate); }
std::string U8(const std::u16string& s) { return kestrel::Utf16ToUtf8(s); }

std::vector<std::string> Lines(const std::string& text) { return kestrel::SplitText(text, "\r\n"); }

// A file system holding exactly these folders (as the installer asks: each ends in "\").
auto Folders(std::set<std::u16string> present) {
  return [present](const std::u16string& path) { return present.count(path) > 0; };
}

TEST(LoaderTemplate, HasTheNinetyThreeLinesWithTheirTrailingBlanksAndNoFinalLineBreak) {
  const std::u16string text = Template();
  EXPECT_EQ(text.size(), 1534u);
  const auto lines = Lines(U8(text));
  ASSERT_EQ(lines.size(), 93u);
  EXPECT_EQ(lines.front(), "(defun S::STARTUP() ;函数名不可以改变");
  EXPECT_EQ(lines[89], "(defun c:cc() ");
  EXPECT_EQ(lines[90], "(setq ss (ssget())) ");
  EXPECT_EQ(lines.back(), ")");
  EXPECT_EQ(text.find(u'\n'), text.find(u"\r\n") + 1);  // every line feed follows a carriage return
}

TEST(LoaderText, PointsEveryMacroAtTheWindowsFolderWithDoubledBackslashes) {
  const auto lines = Lines(U8(wendlekit::LoaderText(Template(), wendlekit::NormaliseFolder(u"C:\\WINDOWS"))));
  EXPECT_EQ(lines[1], "(command \"-vbarun\" \"C:\\\\WINDOWS\\\\Project.dll!inuse.StartUp\")");
  // The fifteen macros the loader runs, in order, each through the doubled-backslash path.
  std::vector<std::string> macros;
  for (const auto& line : lines) {
    EXPECT_EQ(line.find("E:/"), std::string::npos) << line;
    const auto at = line.find("C:\\\\WINDOWS\\\\Project.dll!");
    if (at == std::string::npos) continue;
    const auto start = at + std::string("C:\\\\WINDOWS\\\\Project.dll!").size();
    macros.push_back(line.substr(start, line.find('"', start) - start));
  }
  const std::vector<std::string> expected = {
      "inuse.StartUp", "noone.aaabbbccc", "mod1.DrawH", "inuse.ShowTools", "inuse.ShowOptions",
      "inuse.JoinToPline", "inuse.GetArea", "inuse.GetLenth", "inuse.subPartSave", "inuse.DrawFenCengLine",
      "inuse.ZtoZero", "Nood.DrawHH", "inuse.InsertTK", "inuse.DrawTime", "inuse.NewDrawLayer"};
  EXPECT_EQ(macros, expected);
}

TEST(InstallPlan, QuotedAndUnquotedFoldersWithASpaceAndBothWindirFormsGiveTheSameFiles) {
  const auto fs = Folders({u"C:\\CAD Tools\\", u"C:\\WINDOWS\\"});
  const auto plain = PlanInstall(u"C:\\CAD Tools", u"C:\\WINDOWS", Template(), fs);
  const auto quoted = PlanInstall(u"\"C:\\CAD Tools\"", u"C:\\WINDOWS\\", Template(), fs);
  ASSERT_EQ(plain.outcome, Outcome::Install);
  EXPECT_EQ(U8(plain.loaderPath), "C:\\CAD Tools\\\\自编命令.lsp");
  EXPECT_EQ(U8(plain.projectPath), "C:\\WINDOWS\\\\Project.dll");
  EXPECT_EQ(quoted.outcome, Outcome::Install);
  EXPECT_EQ(quoted.loaderPath, plain.loaderPath);
  EXPECT_EQ(quoted.projectPath, plain.projectPath);
  EXPECT_EQ(quoted.loaderText, plain.loaderText);
  EXPECT_EQ(plain.loaderText, wendlekit::LoaderText(Template(), u"C:\\WINDOWS\\") + u"\r\n");
}

TEST(InstallPlan, EmptyCommandLineMissingFolderAndMissingWindowsFolder) {
  const auto fs = Folders({u"D:\\cad\\"});
  EXPECT_EQ(PlanInstall(u"", u"C:\\WINDOWS", Template(), fs).outcome, Outcome::NotStandalone);
  EXPECT_EQ(U8(wendlekit::NotStandaloneMessage()), "安装失败\r\n1.非独立安装程序，需要在《Kestrel》软件中安装！");

  const auto missing = PlanInstall(u"D:\\other", u"C:\\WINDOWS", Template(), fs);
  EXPECT_EQ(missing.outcome, Outcome::SilentEnd);
  EXPECT_TRUE(missing.loaderPath.empty() && missing.projectPath.empty());

  // No Windows folder: the project is skipped, the loader still written and pointing into it.
  const auto noWindows = PlanInstall(u"D:\\cad\\", u"C:\\WINDOWS", Template(), fs);
  EXPECT_EQ(noWindows.outcome, Outcome::Install);
  EXPECT_TRUE(noWindows.projectPath.empty());
  EXPECT_EQ(U8(noWindows.loaderPath), "D:\\cad\\\\自编命令.lsp");
  EXPECT_NE(U8(noWindows.loaderText).find("C:\\\\WINDOWS\\\\Project.dll!mod1.DrawH"), std::string::npos);
}

}  // namespace
