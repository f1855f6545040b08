// The initial sort: layout, snapping, dictionary matching, the two questions, borders, the note.
#include "sections/initial_sort.h"

#include <random>

#include "host_doubles/counting_host.h"
#include "host/host_error.h"
#include "sections/form_sort.h"
#include "sections/initial_sort_reference.h"
#include "support/command_fixture.h"

namespace kestrel {
namespace {

struct Point {
  std::string name;
  double level;
  CellValue station;
  double offset;
};

class InitialSortTest : public CommandFixture {
 protected:
  // Rows from 1: A name, B and C coordinates, D level, E station, F offset; G stays empty, since a
  // filled G1 marks a sheet sorted before. Codes go to G from row 2.
  void Survey(const std::vector<Point>& points, int firstRow = 1) {
    int r = firstRow;
    for (const Point& p : points) {
      if (!p.name.empty()) {
        Sheet().SetValue({r, 1}, p.name);
        Sheet().SetValue({r, 2}, 1000.0 + r);
        Sheet().SetValue({r, 3}, 2000.0 + r);
        Sheet().SetValue({r, 4}, p.level);
        Sheet().SetValue({r, 5}, p.station);
        Sheet().SetValue({r, 6}, p.offset);
        if (r > 1) Sheet().SetValue({r, 7}, "c" + p.name);
      }
      ++r;
    }
  }
  // The dialog answered with OK after typing these entries.
  void AcceptDialog(std::string spacing = "5", std::string tolerance = "", bool useDic = false) {
    dialogs.Queue([=](Presenter& p) {
      auto& form = dynamic_cast<FormSort&>(p);
      form.TextBoxDistance.text = spacing;
      if (!tolerance.empty()) form.TextOffset.text = tolerance;
      if (form.CheckAddFile.checked != useDic) {
        form.CheckAddFile.checked = useDic;
        form.OnCheckAddFileClick();
      }
      form.OnCommandOKClick();
    });
  }
  CommandOutcome Run() {
    CommandContext context = Context();
    return InitialSort(context, SortDialog(), session.Sections);
  }
  std::string A(int r) { return Sheet().Value({r, 1}).AsText(); }
  std::string F(int r) { return Sheet().Value({r, 6}).AsText(); }
  // Column values of rows 1..n as text.
  std::vector<std::string> Column(int c, int n) {
    std::vector<std::string> out;
    for (int r = 1; r <= n; ++r) out.push_back(Sheet().Value({r, c}).AsText());
    return out;
  }
};

using Strings = std::vector<std::string>;

TEST_F(InitialSortTest, SortsSnapsAndSeparatesSections) {
  Survey({{"p1", 10, 12240.3, -2}, {"p2", 11, 12230.2, 1}, {"p3", 12, 12240.3, 3}, {"p4", 13, 12230.2, -4},
          {"p5", 14, 12250.4, 0}});
  AcceptDialog();
  EXPECT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(Column(1, 7), (Strings{"p2", "p4", "", "p1", "p3", "", "p5"}));
  EXPECT_EQ(Column(6, 7), (Strings{"12230", "12230", "", "12240", "12240", "", "12250"}));
  EXPECT_EQ(Column(5, 2), (Strings{"12230.2", "12230.2"}));
  // The offset moved to G and the code to H, with their points.
  EXPECT_EQ(Column(7, 2), (Strings{"1", "-4"}));
  EXPECT_EQ(Column(8, 5), (Strings{"cp2", "cp4", "", "", "cp3"}));
  EXPECT_EQ(Sheet().NumberFormat({1, 6}), "General");
  EXPECT_EQ(Sheet().UsedRange()->last.row, 7);
}

TEST_F(InitialSortTest, ExactHalvesGoToTheEvenMultiple) {
  Survey({{"a", 1, 12237.5, 0}, {"b", 1, 12232.5, 0}, {"c", 1, 12235.689, 0}});
  AcceptDialog("5");
  Run();
  EXPECT_EQ(Column(6, 5), (Strings{"12230", "", "12235", "", "12240"}));
  EXPECT_EQ(Column(1, 5), (Strings{"b", "", "c", "", "a"}));
}

TEST_F(InitialSortTest, DictionaryStationsWithinAStrictTolerance) {
  session.Sections.DicFileName = "road.Dic";
  session.Sections.StationDictionary = {{12241, 0, 0, 0}, {12250.5, 0, 0, 0}, {12250.9, 0, 0, 0}};
  Survey({{"in", 1, 12240.5, 0}, {"edge", 1, 12240, 0}, {"both", 1, 12250.6, 0}});
  AcceptDialog("5", "1", true);
  Run();
  // 12240.5 is 0.5 from 12241; 12240 is exactly 1 away and falls back to the spacing; 12250.6 is
  // within 1 of two records and the earlier one wins.
  EXPECT_EQ(Column(1, 5), (Strings{"edge", "", "in", "", "both"}));
  EXPECT_EQ(Column(6, 5), (Strings{"12240", "", "12241", "", "12250.5"}));
}

TEST_F(InitialSortTest, DictionaryIsUsedOnlyWhenLoadedAndTicked) {
  session.Sections.StationDictionary = {{12241, 0, 0, 0}};
  Survey({{"a", 1, 12240.5, 0}});
  AcceptDialog("5", "1", true);  // ticked, but no file loaded
  Run();
  EXPECT_EQ(F(1), "12240");
}

TEST_F(InitialSortTest, StationNotationAsksAndNoSelectsTheCell) {
  Survey({{"a", 1, 12230, 0}, {"b", 1, 12231, 0}, {"c", 1, 12232, 0}, {"d", 1, 12233, 0},
          {"e", 1, "K12+235.689", 0}});
  MemoryWorksheet before;  // what the sheet held
  AcceptDialog();
  ui.QueueAnswer(MessageAnswer::No);
  EXPECT_EQ(Run(), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "提示");
  EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(ui.Messages()[0].text,
            "第5行，桩号K12+235.689不是数字格式，请将桩号设置成数字格式。例如：\r\nK12+235.689 需要用12235.689表示"
            "\r\n\r\n【是】 智能去掉桩号中的“ZK”“K”“+”“-”\r\n【否】 手动修改 ");
  EXPECT_EQ(Sheet().Selection(), RangeRef::Cell(5, 5));
  EXPECT_EQ(Sheet().Value({5, 5}), CellValue("K12+235.689"));
  EXPECT_EQ(Column(6, 2), (Strings{"0", "0"}));  // the offsets are still in F: no column added
}

TEST_F(InitialSortTest, StationNotationYesCleansColumnEWithoutSorting) {
  Survey({{"a", 1, 12240, 0}, {"b", 1, "K12+235.689", 0}, {"c", 1, "ZK3+100", 0}, {"d", 1, "dk0+050", 0},
          {"e", 1, -5, 0}});
  AcceptDialog();
  ui.QueueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(Run(), CommandOutcome::EndedAfterApprovedStep);
  EXPECT_EQ(Column(5, 5), (Strings{"12240", "12235.689", "3100", "50", "5"}));
  EXPECT_EQ(Column(1, 5), (Strings{"a", "b", "c", "d", "e"}));  // not sorted
  EXPECT_TRUE(book.DisplayAlerts());
  // Running again sorts the cleaned column.
  AcceptDialog();
  EXPECT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_EQ(Column(1, 9), (Strings{"e", "", "d", "", "c", "", "b", "", "a"}));
}

TEST_F(InitialSortTest, RerunAsksAndYesSortsAnewWithTheNewSpacing) {
  Survey({{"a", 1, 12231, 0}, {"b", 1, 12236, 0}, {"c", 1, 12244, 0}, {"d", 1, 12244, 1}});
  AcceptDialog("5");
  Run();
  EXPECT_EQ(Column(6, 6), (Strings{"12230", "", "12235", "", "12245", "12245"}));
  // Sections a and b are one point each; b sits between two empty rows and got a border.
  EXPECT_EQ(Sheet().Borders({3, 8}).bottom, LineStyle::Continuous);

  AcceptDialog("10");
  ui.QueueAnswer(MessageAnswer::No);
  EXPECT_EQ(Run(), CommandOutcome::Stopped);
  EXPECT_EQ(ui.Messages().back().text,
            "您好像已经初步整理过了,你还需要继续整理吗?\r\n\r\n继续整理将删除现有的已经整理好的F列桩号和空行!");
  EXPECT_EQ(F(1), "12230");

  AcceptDialog("10");
  ui.QueueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_EQ(Column(1, 5), (Strings{"a", "", "b", "c", "d"}));
  EXPECT_EQ(Column(6, 5), (Strings{"12230", "", "12240", "12240", "12240"}));
  EXPECT_EQ(Column(7, 5), (Strings{"0", "", "0", "0", "1"}));  // offsets, not a second station column
}

TEST_F(InitialSortTest, OnePointSectionsInTheMiddleGetABottomBorder) {
  Survey({{"first", 1, 12200, 0}, {"mid", 1, 12220, 0}, {"x", 1, 12240, 0}, {"y", 1, 12240, 1},
          {"last", 1, 12260, 0}});
  AcceptDialog("20");
  Run();
  EXPECT_EQ(Column(1, 8), (Strings{"first", "", "mid", "", "x", "y", "", "last"}));
  EXPECT_EQ(Sheet().Borders({3, 1}).bottom, LineStyle::Continuous);
  EXPECT_EQ(Sheet().Borders({3, 8}).bottom, LineStyle::Continuous);
  EXPECT_EQ(Sheet().Borders({3, 9}).bottom, LineStyle::None);
  EXPECT_EQ(Sheet().Borders({1, 1}).bottom, LineStyle::None);  // the first section is not marked
  EXPECT_EQ(Sheet().Borders({8, 1}).bottom, LineStyle::None);  // nor the last
  EXPECT_EQ(Sheet().Borders({6, 1}).bottom, LineStyle::None);
}

TEST_F(InitialSortTest, EmptyRowsEndUpAtTheBottom) {
  Survey({{"a", 1, 12220, 0}, {"", 0, CellValue(), 0}, {"b", 1, 12200, 0}, {"", 0, CellValue(), 0},
          {"c", 1, 12220, 1}});
  AcceptDialog("20");
  Run();
  EXPECT_EQ(Column(1, 6), (Strings{"b", "", "a", "c", "", ""}));
  EXPECT_EQ(Column(6, 4), (Strings{"12200", "", "12220", "12220"}));
}

TEST_F(InitialSortTest, ColumnsRightOfGMoveRightButKeepTheirRows) {
  Survey({{"a", 1, 12240, 0}, {"b", 1, 12220, 0}});
  Sheet().SetValue({1, 8}, "note for row 1");
  AcceptDialog("20");
  Run();
  EXPECT_EQ(Column(1, 3), (Strings{"b", "", "a"}));
  EXPECT_EQ(Sheet().Value({1, 9}), CellValue("note for row 1"));
}

TEST_F(InitialSortTest, PutsAHiddenNoteWithABoldTitleOnF1) {
  Survey({{"a", 1, 12240, 0}});
  AcceptDialog();
  Run();
  std::optional<Note> note = Sheet().GetNote({1, 6});
  ASSERT_TRUE(note);
  EXPECT_EQ(note->text, "检查每个断面数据：\r\n*每个断面与断面之间的数据用空行隔开\r\n"
                        "*把该列每个断面桩号改为正确桩号（使之与设计图相符）");
  EXPECT_FALSE(note->visible);
  EXPECT_EQ(note->boldLength, 9);
  EXPECT_EQ(note->width, 200);
  EXPECT_EQ(note->height, 50);
}

TEST_F(InitialSortTest, OffsetsStoredAsTextBecomeNumbers) {
  Survey({{"a", 1, 12240, 0}});
  Sheet().SetNumberFormat(RangeRef::Cell(1, 6), "@");
  Sheet().SetValue({1, 6}, "-3.5");
  ASSERT_TRUE(Sheet().Value({1, 6}).IsText());
  AcceptDialog();
  Run();
  EXPECT_EQ(Sheet().Value({1, 7}), CellValue(-3.5));
}

TEST_F(InitialSortTest, TheStationColumnIsGeneralWhateverColumnEShows) {
  Survey({{"a", 1, 12220.0, 0}, {"b", 1, 12221.0, 1}});
  Sheet().SetNumberFormat(RangeRef::WholeColumns(5, 5), "0.000");
  AcceptDialog("20");
  ASSERT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_EQ(Sheet().Text({1, 5}), "12220.000");
  EXPECT_EQ(Sheet().NumberFormat({1, 6}), "General");
  EXPECT_EQ(Sheet().Text({2, 6}), "12220");
}

TEST_F(InitialSortTest, RowsBeyond65536AreSortedToo) {
  const int rows = 70000;
  Grid block(rows, 6);
  for (int r = 0; r < rows; ++r) {
    block.At(r, 0) = "p" + std::to_string(r);
    block.At(r, 4) = 12000.0 + 20 * ((rows - r) / 10000);  // descending stations
    block.At(r, 5) = 0.0;
  }
  Sheet().SetValues({1, 1}, block);
  AcceptDialog("20");
  Run();
  EXPECT_EQ(A(1), "p60001");  // the last rows' station is the smallest; their order is kept
  EXPECT_EQ(Sheet().EndUp({kMaxRows, 1}), rows + 7);
}

TEST_F(InitialSortTest, CancelLeavesTheSheetUntouched) {
  Survey({{"a", 1, 12240, 0}});
  EXPECT_EQ(Run(), CommandOutcome::Cancelled);  // closed with its close box
  EXPECT_EQ(F(1), "0");
  EXPECT_EQ(dialogs.Shown(), (Strings{"FormSort"}));
}

TEST_F(InitialSortTest, AHostErrorEndsTheCommandSilentlyKeepingWhatWasDone) {
  Survey({{"a", 1, 12240, 0}, {"b", 1, 12220, 0}});
  CountingApplication host(book);
  session.HostApplication = &host;
  host.Counter().FailOnOperation(HostCall::Sort);
  AcceptDialog("20");
  EXPECT_EQ(Run(), CommandOutcome::Stopped);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(Column(6, 2), (Strings{"12240", "12220"}));  // the station column was written
  EXPECT_EQ(A(1), "a");                                  // but not sorted
}

TEST_F(InitialSortTest, BlocksGiveExactlyWhatCellByCellGives) {
  std::mt19937 random(7);
  for (int round = 0; round < 12; ++round) {
    MemoryWorkbook reference;
    MemoryWorkbook blocks;
    const int points = 20 + round * 15;
    for (MemoryWorkbook* b : {&reference, &blocks}) {
      std::mt19937 same(round);
      for (int r = 1; r <= points; ++r) {
        if (same() % 9 == 0) continue;  // an empty row now and then
        b->Active().SetValue({r, 1}, "P" + std::to_string(r));
        b->Active().SetValue({r, 4}, 300.0 + (same() % 1000) / 100.0);
        b->Active().SetValue({r, 5}, 12200.0 + (same() % 200) + (same() % 1000) / 1000.0);
        b->Active().SetValue({r, 6}, (static_cast<int>(same() % 300) - 150) / 10.0);
        if (same() % 3 == 0 && r > 1) b->Active().SetValue({r, 7}, "code");
      }
    }
    Session referenceSession;
    SortRequest request;
    request.Spacing = 1 + static_cast<int>(random() % 20);
    request.MatchTolerance = 1;
    request.UseDictionary = round % 2 == 0;
    referenceSession.Sections.DicFileName = "road.Dic";
    for (int k = 0; k < 10; ++k) referenceSession.Sections.StationDictionary.push_back({12200.0 + 17 * k, 0, 0, 0});
    session.HostApplication = &blocks;
    session.Sections.DicFileName = referenceSession.Sections.DicFileName;
    session.Sections.StationDictionary = referenceSession.Sections.StationDictionary;
    // Every other round sorts twice: the second run answers Yes and undoes the first.
    for (int pass = 0; pass < 1 + round % 2; ++pass) {
      ReferenceInitialSort(reference.Active(), request, referenceSession);
      AcceptDialog(std::to_string(request.Spacing), "1", request.UseDictionary);
      if (pass == 1) ui.QueueAnswer(MessageAnswer::Yes);
      ASSERT_EQ(Run(), CommandOutcome::Completed);
    }

    MemoryWorksheet& want = reference.Active();
    MemoryWorksheet& got = blocks.Active();
    ASSERT_EQ(got.UsedCells().size(), want.UsedCells().size()) << "round " << round;
    for (CellRef c : want.UsedCells()) {
      SCOPED_TRACE(CellA1(c) + " round " + std::to_string(round));
      EXPECT_EQ(got.Value(c), want.Value(c));
      EXPECT_EQ(got.Borders(c), want.Borders(c));
      EXPECT_EQ(got.GetNote(c), want.GetNote(c));
      EXPECT_EQ(got.EffectiveStyle(c), want.EffectiveStyle(c));
    }
  }
}

TEST_F(InitialSortTest, HostCallsStayFewerThanOnePerTwentyPoints) {
  const int sections = 500, perSection = 20;
  Grid block(sections * perSection, 6);
  for (int s = 0; s < sections; ++s)
    for (int p = 0; p < perSection; ++p) {
      int r = (p * sections + s);  // recorded section after section, interleaved
      block.At(r, 0) = "P";
      block.At(r, 4) = 10000.0 + 20 * s;
      block.At(r, 5) = p - 10.0;
    }
  Sheet().SetValues({1, 1}, block);
  CountingApplication host(book);
  session.HostApplication = &host;
  AcceptDialog("20");
  ASSERT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_LT(host.Counter().TotalCalls(), sections * perSection / 20);
  EXPECT_EQ(host.Counter().Calls(HostCall::InsertRowsAbove), 1);
}

}  // namespace
}  // namespace kestrel
