// The draw-volume-sheet command: its dialog kept between runs, cancel, the ribbon entry.
#include "volumes/draw_sheet_command.h"

#include "host_doubles/counting_host.h"
#include "support/command_fixture.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {
namespace {

class DrawSheetCommandTest : public CommandFixture {
 protected:
  void Answer(std::function<void(FormDrawVSheet&)> action) {
    dialogs.Queue([action](Presenter& p) { action(dynamic_cast<FormDrawVSheet&>(p)); });
  }
  CommandOutcome Run() {
    CommandContext context = Context();
    return VolumeSheetCommand(context, VolumeDialog(), session.Sections);
  }
};

TEST_F(DrawSheetCommandTest, BuildsWhatTheDialogAsked) {
  Answer([](FormDrawVSheet& f) {
    f.ComboVMode.listIndex = 0;
    f.TextDrawDMnumber.text = "3";
    f.OnCommandOKClick();
  });
  EXPECT_EQ(Run(), CommandOutcome::Completed);
  ASSERT_EQ(book.SheetCount(), 2);
  EXPECT_EQ(Sheet().Value({2, 7}), CellValue("备注"));  // variant 2: remarks in G
  EXPECT_EQ(Sheet().Value({7, 1}), CellValue("合计:"));  // three sections: rows 4 to 6
  EXPECT_EQ(Sheet().Formula({7, 4}), "=SUM(D5:D6)");
}

TEST_F(DrawSheetCommandTest, CancelAddsNoSheet) {
  EXPECT_EQ(Run(), CommandOutcome::Cancelled);  // closed with the close box
  Answer([](FormDrawVSheet& f) { f.OnCommandCancelClick(); });
  EXPECT_EQ(Run(), CommandOutcome::Cancelled);
  EXPECT_EQ(book.SheetCount(), 1);
  EXPECT_EQ(dialogs.Shown(), (std::vector<std::string>{"FormDrawVSheet", "FormDrawVSheet"}));
}

TEST_F(DrawSheetCommandTest, TheDialogIsMadeOnceAndKeepsItsEntries) {
  Answer([](FormDrawVSheet& f) {
    f.ComboVMode.listIndex = 2;
    f.TextDrawDMnumber.text = "5";
    f.OnCommandOKClick();
  });
  Run();
  const FormDrawVSheet* first = session.VolumeDialog.get();
  Answer([](FormDrawVSheet& f) { f.OnCommandOKClick(); });
  EXPECT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_EQ(session.VolumeDialog.get(), first);
  ASSERT_EQ(book.SheetCount(), 3);
  for (int i : {0, 1}) {
    EXPECT_EQ(book.Sheet(i).Value({2, 15}), CellValue("备注")) << i;  // variant 6 both times
    EXPECT_EQ(book.Sheet(i).Value({9, 1}), CellValue("合计:")) << i;
  }
}

TEST_F(DrawSheetCommandTest, DetectedSectionsBringTheirStations) {
  for (double station : {12200.0, 12220.0, 12245.5}) {
    SectionRecord record;
    record.Station = station;
    session.Sections.SectionList.push_back(record);
  }
  session.Sections.SectionCount = 3;
  Answer([](FormDrawVSheet& f) {
    f.ComboHDMnumber.listIndex = FormDrawVSheet::kDetectSections;
    f.OnComboHDMnumberClick();
    f.OnCommandOKClick();
  });
  EXPECT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_EQ(Sheet().Value({7, 1}), CellValue("合计:"));
  EXPECT_EQ(Sheet().Text({4, 1}), "K12+200.000");
  EXPECT_EQ(Sheet().Text({6, 1}), "K12+245.500");
}

TEST_F(DrawSheetCommandTest, TheRibbonRunsItWithScreenUpdatingOff) {
  CountingApplication host(book);
  session.HostApplication = &host;
  Answer([](FormDrawVSheet& f) { f.OnCommandOKClick(); });
  const RibbonCommand* command = FindRibbonCommand("FunhdmDrawSheet");
  ASSERT_NE(command, nullptr);
  EXPECT_TRUE(command->wrapped);
  CommandContext context = Context();
  RunRibbonCommand(*command, context, &host, session);
  EXPECT_TRUE(ui.Messages().empty());  // no longer the "not in this version" notice
  ASSERT_EQ(book.SheetCount(), 2);
  EXPECT_EQ(Sheet().Value({20, 1}), CellValue("合计:"));  // the default 16 sections
  const std::vector<HostCall>& log = host.Counter().Log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log.front(), HostCall::View);  // the check before the command
  EXPECT_EQ(log[1], HostCall::SetScreenUpdating);
  EXPECT_EQ(log.back(), HostCall::SetScreenUpdating);
  EXPECT_TRUE(book.ScreenUpdating());
}

TEST_F(DrawSheetCommandTest, WithoutAHostTheRibbonShowsNothing) {
  CommandContext context = Context();
  RunRibbonCommand(*FindRibbonCommand("FunhdmDrawSheet"), context, nullptr, session);
  EXPECT_TRUE(dialogs.Shown().empty());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(book.SheetCount(), 1);
}

}  // namespace
}  // namespace kestrel
