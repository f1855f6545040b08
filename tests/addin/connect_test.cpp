// Connect: host connection, pictures, and callbacks reaching their commands.
#include "addin/connect.h"
#include "addin/commands.h"

#include <gtest/gtest.h>

#include "host_doubles/counting_host.h"
#include "host/host_error.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
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
  ASSERT_EQ(host.Counter().Log().size(), 4u);
  EXPECT_EQ(host.Counter().Log()[0], HostCall::View);  // the check before the command
  EXPECT_EQ(host.Counter().Log()[1], HostCall::SetScreenUpdating);
  EXPECT_EQ(host.Counter().Log()[2], HostCall::ActiveSheet);
  EXPECT_EQ(host.Counter().Log()[3], HostCall::SetScreenUpdating);
  host.Counter().ResetCounts();
  // A callback that is not wrapped leaves screen updating alone.
  ASSERT_TRUE(connect.RunCallback("FunSaveDicFile"));
  EXPECT_EQ(host.Counter().TotalCalls(), host.Counter().Calls(HostCall::View));
}

// A command that writes a value and then meets a refusal of the host.
void WriteThenInsert(CommandContext& context, Session&) {
  Worksheet& sheet = context.host.ActiveSheet();
  sheet.SetValue({1, 1}, 5);
  sheet.InsertRows(2, 1);
}

TEST_F(ConnectTest, AHostRefusalIsShownWithWhatHadChangedAndScreenUpdatingComesBackOn) {
  CountingApplication host(book);
  CommandContext context{host, {ui, shell, dialogs}};
  const RibbonCommand command{"FunWrites", "写入", true, SheetUse::Changes, WriteThenInsert};
  host.Counter().FailOnOperation(HostCall::InsertRows);
  RunRibbonCommand(command, context, &host, session);
  EXPECT_TRUE(book.ScreenUpdating());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "失败");
  EXPECT_EQ(ui.Messages()[0].text,
            "“写入”未能完成：表格程序拒绝了其中的一步操作。\r\n已做的改动（写入单元格）保留在工作簿中，请检查。"
            "\r\n\r\ninjected fault in InsertRows");
  EXPECT_EQ(book.Active().Value({1, 1}), CellValue(5));

  // Refused at its first change: nothing changed, and the message says so.
  host.Counter().FailOnOperation(HostCall::SetValue);
  RunRibbonCommand(command, context, &host, session);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text.find("工作簿没有被改动。"), ui.Messages()[1].text.find("\r\n") + 2);
}

TEST_F(ConnectTest, ARefusalTheCommandReportedItselfIsNotReportedAgain) {
  CountingApplication host(book);
  CommandContext context{host, {ui, shell, dialogs}};
  const RibbonCommand command{"FunOwn", "自报", true, SheetUse::Changes, [](CommandContext& c, Session&) {
                                try {
                                  c.host.ActiveSheet().InsertRows(2, 1);
                                } catch (const HostError&) {
                                  c.ui.MessageBox("有错误，提示有错误！", "提示", MessageButtons::Ok, MessageIcon::None);
                                }
                              }};
  host.Counter().FailOnOperation(HostCall::InsertRows);
  RunRibbonCommand(command, context, &host, session);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "有错误，提示有错误！");
}

// Each view the host may show, and the commands that cannot run on it: one message titled
// "错误" before anything runs (no dialog, no change); the others run as usual.
TEST_F(ConnectTest, CommandsStopWithOneMessageWhereTheHostShowsNoSheetToWorkOn) {
  struct Case {
    HostView view;
    const char* reason;
  };
  const Case cases[] = {
      {{.workbookOpen = false, .worksheetActive = false, .cellsSelected = false},
       "没有打开的工作簿，请先打开或新建一个工作簿！"},
      {{.worksheetActive = false, .cellsSelected = false}, "当前是图表工作表，请先切换到数据所在的工作表！"},
      {{.sheetProtected = true}, "当前工作表受保护，请先撤消工作表保护！"},
      {{.cellsSelected = false}, "当前选中的是图形或图表，请先选中工作表中的单元格！"},
  };
  connect.OnConnection(&book);
  book.Active().SetValue({1, 5}, 12235.689);
  for (const Case& c : cases) {
    book.SetView(c.view);
    for (const RibbonCommand& command : RibbonCommands()) {
      const auto revision = book.Revision();
      const size_t messages = ui.Messages().size();
      const size_t shown = dialogs.Shown().size();
      ASSERT_TRUE(connect.RunCallback(command.callback));
      const bool refused = (command.use == SheetUse::Changes) ||
                           (command.use == SheetUse::Reads && !c.view.worksheetActive) ||
                           (command.use == SheetUse::AddsSheet && !c.view.workbookOpen);
      if (refused) {
        ASSERT_EQ(ui.Messages().size(), messages + 1) << command.callback << " " << c.reason;
        EXPECT_EQ(ui.Messages().back().title, "错误");
        EXPECT_EQ(ui.Messages().back().text, "“" + std::string(command.label) + "”无法执行：" + c.reason);
        EXPECT_EQ(dialogs.Shown().size(), shown) << command.callback;
      }
      EXPECT_EQ(book.Revision(), revision) << command.callback << " " << c.reason;
      EXPECT_TRUE(book.ScreenUpdating());
    }
  }
}

}  // namespace
}  // namespace kestrel
