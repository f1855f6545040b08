// FunCad's services: numbers out of text, clipboard text and its failure, web pages.
#include "cadplugin/fun_cad.h"

#include <gtest/gtest.h>

#include "host_doubles/memory_clipboard.h"
#include "support/recording_shell.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

TEST(FunGetNumber, TheNumberInsideAText) {
  EXPECT_EQ(FunGetNumber("K12+345.6"), 12);
  EXPECT_EQ(FunGetNumber("ABC-5.5m"), -5.5);
  EXPECT_EQ(FunGetNumber("no digits"), 0);
  EXPECT_EQ(FunGetNumber(""), 0);
  EXPECT_EQ(FunGetNumber("12.5"), 12.5);
  EXPECT_EQ(FunGetNumber("-7"), -7);
  EXPECT_EQ(FunGetNumber("高程：310.25米"), 310.25);
  EXPECT_EQ(FunGetNumber("L=.5"), 5);    // from the first digit: the point before it is not read
  EXPECT_EQ(FunGetNumber("--3"), -3);
  EXPECT_EQ(FunGetNumber("x 1e3 y"), 1000);
}

TEST(ClipboardText, PutsTheTextAndReports) {
  MemoryClipboard clipboard;
  EXPECT_TRUE(FunClipboardSetText(clipboard, "PLINE 0,0 10,0 "));
  EXPECT_EQ(clipboard.GetText(), "PLINE 0,0 10,0 ");
  EXPECT_EQ(ClipboardSetText(clipboard, "断面 K12+300"), 1);
  EXPECT_EQ(clipboard.GetText(), "断面 K12+300");
}

TEST(ClipboardText, AnEmptyOrMissingTextEmptiesTheClipboardAndGivesZero) {
  MemoryClipboard clipboard;
  clipboard.SetText("old");
  EXPECT_EQ(ClipboardSetText(clipboard, ""), 0);
  EXPECT_EQ(clipboard.GetText(), "");
  clipboard.SetText("old");
  EXPECT_EQ(ClipboardSetText(clipboard, std::nullopt), 0);
  EXPECT_EQ(clipboard.GetText(), "");
}

TEST(ClipboardText, AClipboardThatCannotBeOpenedGivesFalseAndZero) {
  MemoryClipboard clipboard;
  clipboard.SetText("kept");
  clipboard.Refuse(true);
  EXPECT_FALSE(FunClipboardSetText(clipboard, "x"));
  EXPECT_EQ(ClipboardSetText(clipboard, "x"), 0);
  clipboard.Refuse(false);
  EXPECT_EQ(clipboard.GetText(), "kept");
}

TEST(GotoWeb, OpensThePageOfTheKey) {
  RecordingShell shell("/opt/kestrel");
  GotoWeb("CadWeb", shell);
  GotoWeb("nothing", shell);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0].first, WebTarget("cadweb", "/opt/kestrel"));
}

}  // namespace
}  // namespace kestrel
