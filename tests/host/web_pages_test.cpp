// GoWebPage: which target each key opens, through the shell.
#include <gtest/gtest.h>

#include "host/shell.h"
#include "support/recording_shell.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

TEST(GoWebPage, OpensEachKeysTargetWithTheLibraryFolder) {
  RecordingShell shell("/opt/kestrel");
  GoWebPage("index", shell);
  GoWebPage("CadWeb", shell);
  GoWebPage("cadweb", shell);
  GoWebPage("qqgroup", shell);
  GoWebPage("Corvane", shell);
  ASSERT_EQ(shell.opened.size(), 5u);
  const std::string root(SiteRoot());
  EXPECT_EQ(shell.opened[0].first, root + "jump.aspx?softid=152");
  EXPECT_EQ(shell.opened[1].first, root + "jump.aspx?softid=161");
  EXPECT_EQ(shell.opened[2].first, shell.opened[1].first);
  EXPECT_EQ(shell.opened[3].first, root + "jump.aspx?softid=16&VideoId=18");
  EXPECT_EQ(shell.opened[4].first, root);
  for (const auto& call : shell.opened) EXPECT_EQ(call.second, "/opt/kestrel");
}

TEST(GoWebPage, HelpInAnyCaseOpensTheManualBesideTheLibrary) {
  RecordingShell shell("C:\\Kestrel");
  GoWebPage("HELP", shell);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0].first, "C:\\Kestrel/使用说明书.pdf");
}

TEST(GoWebPage, KeysOutsideTheTableDoNothing) {
  RecordingShell shell;
  GoWebPage("download", shell);
  GoWebPage("", shell);
  EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace kestrel
