// The Win32 Clipboard and Timer ports, and the drawing dialog's clipboard watcher running on them
// (headless: Wine's clipboard works without a display).
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "host/host_error.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "sections/form_set.h"
#include "clipboard_user.h"
#include "message_pump.h"
#include "support/recording_shell.h"
#include "platform/win32_clipboard.h"
#include "platform/win32_timer.h"

namespace kestrel {
namespace {

using testing::OtherProgram;
using testing::PumpTimerTicks;
using testing::PumpUntil;

// How often the drawing dialog's watcher looks at the clipboard.
constexpr UINT kWatchPeriodMs = 1000;

TEST(Win32Clipboard, ReadsWritesAndClearsUnicodeText) {
  OtherProgram other;
  Win32Clipboard clipboard;
  ASSERT_TRUE(other.Put(L"道路 K12+235 \"pl\""));
  EXPECT_EQ(clipboard.GetText(), std::optional<std::string>("道路 K12+235 \"pl\""));

  clipboard.SetText("横断面 pl 1,2\r\npl 3,4");
  EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"横断面 pl 1,2\r\npl 3,4"));
  EXPECT_EQ(clipboard.GetText(), std::optional<std::string>("横断面 pl 1,2\r\npl 3,4"));

  clipboard.Clear();
  EXPECT_EQ(clipboard.GetText(), std::nullopt);
  EXPECT_EQ(other.Read(), std::nullopt);
  clipboard.SetText("after clear");
  EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"after clear"));
}

TEST(Win32Clipboard, AClipboardHeldByAnotherProgramIsAHostError) {
  OtherProgram other;
  Win32Clipboard clipboard;
  ASSERT_TRUE(other.Put(L"kept"));
  ASSERT_TRUE(other.Hold());
  EXPECT_THROW(clipboard.GetText(), HostError);
  EXPECT_THROW(clipboard.Clear(), HostError);
  EXPECT_THROW(clipboard.SetText("x"), HostError);
  other.Release();
  EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"kept"));
}

TEST(Win32Timer, TicksThroughTheMessageLoopUntilStopped) {
  Win32Timer timer;
  int ticks = 0, replaced = 0;
  EXPECT_FALSE(timer.Running());
  timer.Start(100, [&] { ++ticks; });
  EXPECT_TRUE(timer.Running());
  EXPECT_EQ(ticks, 0);  // nothing before the loop runs
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));

  timer.Start(100, [&] { ++replaced; });  // starting again replaces the callback
  const int before = ticks;
  EXPECT_TRUE(PumpUntil([&] { return replaced >= 2; }));
  EXPECT_EQ(ticks, before);

  timer.Stop();
  EXPECT_FALSE(timer.Running());
  const int stopped = replaced;
  PumpTimerTicks(100, 4);  // a timer of 100 ms still running would have ticked 3 times more
  EXPECT_EQ(replaced, stopped);
}

TEST(Win32Timer, ACallbackMayStopItsOwnTimerAndAThrowingOneKeepsTicking) {
  Win32Timer timer;
  int ticks = 0;
  timer.Start(50, [&] {
    if (++ticks == 2) timer.Stop();
  });
  ASSERT_TRUE(PumpUntil([&] { return !timer.Running(); }));
  PumpTimerTicks(50, 4);
  EXPECT_EQ(ticks, 2);

  int throws = 0;
  timer.Start(50, [&] {
    ++throws;
    throw std::runtime_error("a tick that fails");
  });
  EXPECT_TRUE(PumpUntil([&] { return throws >= 3; }));
  EXPECT_TRUE(timer.Running());
  timer.Stop();
}

// FormSet on the real ports: "同时标注偏距" starts the watcher, which strips the quotes of copied
// label commands on the loop's ticks; clearing the box stops it.
TEST(FormSetWatcher, StripsQuotedLabelCommandsWhileTheBoxIsTicked) {
  Session session;
  ScriptedUi ui;
  RecordingShell shell;
  Win32Clipboard clipboard;
  Win32Timer timer;
  OtherProgram other;
  {
    FormSet form(session.Sections, ui, shell, &clipboard, &timer);
    form.OnLoad();
    form.TextBoxDrawD.checked = true;
    form.OnTextBoxDrawDClick();
    ASSERT_TRUE(timer.Running());

    ASSERT_TRUE(other.Put(L"\"pl 1,2\r\n-text j MC 1,2 0.7 0 \"\"3\"\"\""));
    EXPECT_TRUE(PumpUntil([&] { return other.Read() == L"pl 1,2\r\n-text j MC 1,2 0.7 0 3"; }))
        << "the watcher strips the quotes";

    ASSERT_TRUE(other.Put(L"pl 5,6 \"quoted\""));  // no leading quote: left alone
    PumpTimerTicks(kWatchPeriodMs, 3);               // the watcher has looked at it twice
    EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"pl 5,6 \"quoted\""));

    form.TextBoxDrawD.checked = false;
    form.OnTextBoxDrawDClick();
    EXPECT_FALSE(timer.Running());
    ASSERT_TRUE(other.Put(L"\"pl 7,8\""));
    PumpTimerTicks(kWatchPeriodMs, 3);
    EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"\"pl 7,8\""));

    form.TextBoxDrawD.checked = true;
    form.OnTextBoxDrawDClick();
    EXPECT_TRUE(timer.Running());
  }
  // The dialog gone, its watcher is gone too.
  EXPECT_FALSE(timer.Running());
}

}  // namespace
}  // namespace kestrel
