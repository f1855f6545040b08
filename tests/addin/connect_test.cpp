// Connect: host connection, pictures, and callbacks reaching their commands.
#include "addin/connect.h"
#include "addin/commands.h"

#include <gtest/gtest.h>

#include "addin/host/counting_host.h"
#include "addin/host/host_error.h"
#include "addin/host/memory_workbook.h"
#include "addin/host/scripted_dialogs.h"
#include "addin/host/scripted_ui.h"
#include "addin/session.h"
#include "support/recording_shell.h"

namespace kestrel {
namespace {

class ConnectTest : public ::testing::Test {
 protected:
  Session session;
  ScriptedUi ui;
  RecordingShell shell{"/opt/kestrel"};
  ScriptedDialogs dialogs;
  Connect connect{session, ui, shell, dialogs};
  MemoryWorkbook book;
};

TEST_F(ConnectTest, KeepsTheHostWhileConnected) {
  connect.OnConnection(&book);
  EXPECT_EQ(session.HostApplication, &book);
  connect.OnDisconnection();
  EXPECT_EQ(session.HostApplication, nullptr);
}

TEST_F(ConnectTest, SameDescriptionForEveryRibbonId) {
  const std::string xml = connect.GetRibbonXML();
  EXPECT_NE(xml.find("<customUI"), std::string::npos);
  EXPECT_EQ(connect.GetCustomUI("Microsoft.Excel.Workbook"), xml);
  EXPECT_EQ(connect.GetCustomUI(""), xml);
  EXPECT_EQ(connect.GetCustomUI("anything else"), xml);
}

TEST_F(ConnectTest, WebCallbacksOpenTheirPages) {
  connect.OnConnection(&book);
  ASSERT_TRUE(connect.RunCallback("FunGoHelp"));
  ASSERT_TRUE(connect.RunCallback("FunGoWeb"));
  ASSERT_TRUE(connect.RunCallback("FunGoCadWeb"));  // the description's spelling
  ASSERT_TRUE(connect.RunCallback("FunGoCADWeb"));  // the method's spelling
  ASSERT_TRUE(connect.RunCallback("FunGoQQGroup"));
  ASSERT_TRUE(connect.RunCallback("FunGoCorvane"));
  ASSERT_EQ(shell.opened.size(), 6u);
  EXPECT_EQ(shell.opened[0].first, "/opt/kestrel/使用说明书.pdf");
  EXPECT_NE(shell.opened[1].first.find("softid=152"), std::string::npos);
  EXPECT_NE(shell.opened[2].first.find("softid=161"), std::string::npos);
  EXPECT_EQ(shell.opened[3].first, shell.opened[2].first);
  EXPECT_NE(shell.opened[4].first.find("softid=16&VideoId=18"), std::string::npos);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ConnectTest, UnknownCallbackIsRefused) {
  EXPECT_FALSE(connect.RunCallback("FunDoesNotExist"));
  EXPECT_FALSE(connect.RunCallback("GetImage"));
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(ConnectTest, CommandsNotInThisVersionSaySoAndChangeNothing) {
  connect.OnConnection(&book);
  book.Active().SetValue({1, 5}, 12235.689);
  ASSERT_TRUE(connect.RunCallback("FunHdmCadTool"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "本版本尚未提供“CAD 插件安装”功能。");
  EXPECT_EQ(ui.Messages()[0].title, "提示");
  EXPECT_EQ(book.SheetCount(), 1);
  EXPECT_EQ(book.Active().UsedCells().size(), 1u);
  EXPECT_TRUE(book.ScreenUpdating());
}

TEST_F(ConnectTest, WrappedCommandsSwitchScreenUpdatingOffAndBackOn) {
  CountingApplication host(book);
  connect.OnConnection(&host);
  ASSERT_TRUE(connect.RunCallback("FunHdmOrder"));  // its dialog is closed: nothing else happens
  EXPECT_TRUE(book.ScreenUpdating());
  ASSERT_EQ(host.Counter().Log().size(), 3u);
  EXPECT_EQ(host.Counter().Log()[0], HostCall::SetScreenUpdating);
  EXPECT_EQ(host.Counter().Log()[1], HostCall::ActiveSheet);
  EXPECT_EQ(host.Counter().Log()[2], HostCall::SetScreenUpdating);
  host.Counter().ResetCounts();
  // A callback that is not wrapped leaves screen updating alone.
  ASSERT_TRUE(connect.RunCallback("FunSaveDicFile"));
  EXPECT_EQ(host.Counter().TotalCalls(), 0);
}

TEST_F(ConnectTest, ScreenUpdatingComesBackOnWhenTheCommandFails) {
  session.HostApplication = &book;
  const RibbonCommand failing{"FunFails", "fails", true,
                              [](CommandContext&, Session&) { throw HostError("the host went away"); }};
  CommandContext context{session.HostApplication, ui, shell, dialogs};
  EXPECT_THROW(RunRibbonCommand(failing, context, session), HostError);
  EXPECT_TRUE(book.ScreenUpdating());
}

}  // namespace
}  // namespace kestrel
