// Draw data: the worked example, label modes, placement, station formats, reruns, odd layouts.
#include "sections/draw_data.h"

#include "host_doubles/counting_host.h"
#include "sections/draw_data_reference.h"
#include "sections/form_set.h"
#include "support/command_fixture.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

using Strings = std::vector<std::string>;

class DrawDataTest : public CommandFixture {
 protected:
  // Section rows: {offset G, level D}; an empty optional row separates sections.
  struct P {
    double g, z;
  };
  void Section(int& row, double station, std::vector<P> points) {
    for (const P& p : points) {
      Sheet().SetValue({row, 1}, "p" + std::to_string(row));
      Sheet().SetValue({row, 4}, p.z);
      Sheet().SetValue({row, 5}, station + 0.3);
      Sheet().SetValue({row, 6}, station);  // every point carries its section's station
      Sheet().SetValue({row, 7}, p.g);
      ++row;
    }
    ++row;  // the separating empty row
  }
  void WorkedExample() {
    int row = 1;
    Section(row, 100, {{-4, 10}, {2, 12}, {6, 11}});
    Section(row, 120, {{-3, 20}, {3, 22}});
  }
  // The dialog answered with OK after these changes.
  void Accept(std::function<void(FormSet&)> change = {}) {
    dialogs.Queue([change](Presenter& p) {
      auto& form = dynamic_cast<FormSet&>(p);
      if (change) change(form);
      form.OnCommandOKClick();
    });
  }
  CommandOutcome Run() {
    CommandContext context = Context();
    return DrawSectionData(context, DrawDialog(), session.Sections);
  }
  std::vector<std::string> Column(int c, int n) {
    std::vector<std::string> out;
    for (int r = 1; r <= n; ++r) out.push_back(Sheet().Value({r, c}).AsText());
    return out;
  }
};

TEST_F(DrawDataTest, TheWorkedExample) {
  WorkedExample();
  Accept();
  ASSERT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_EQ(Column(9, 6), (Strings{"196,10", "202,12", "206,11", "  pl", "397,20", "403,22"}));
  EXPECT_EQ(Column(10, 3), (Strings{"100", "120", ""}));
  EXPECT_EQ(Column(11, 3), (Strings{"", "", ""}));
  EXPECT_EQ(Column(12, 3), (Strings{"11.333", "21", ""}));
  EXPECT_EQ(Column(13, 3), (Strings{"-text j MC 200,20 1 0 K0+100.000", "-text j MC 400,20 1 0 K0+120.000", ""}));
  EXPECT_EQ(Sheet().Formula({1, 14}), "=\"200,\" & 0+K1");
  EXPECT_EQ(Sheet().Formula({2, 14}), "=\"400,\" & 0+K2");
  EXPECT_EQ(Column(15, 7),
            (Strings{"pl 200,11.3333333333333 200.4,11.9333333333333 199.6,11.9333333333333 c -text j MC "
                     "200,12.3833333333333 0.7 0 11.333",
                     "pl 196,10 196.4,10.6 195.6,10.6 c -text j MC 196,11.05 0.7 0 10",
                     "pl 206,11 206.4,11.6 205.6,11.6 c -text j MC 206,12.05 0.7 0 11",
                     "pl 400,21 400.4,21.6 399.6,21.6 c -text j MC 400,22.05 0.7 0 21",
                     "pl 397,20 397.4,20.6 396.6,20.6 c -text j MC 397,21.05 0.7 0 20",
                     "pl 403,22 403.4,22.6 402.6,22.6 c -text j MC 403,23.05 0.7 0 22", ""}));
  // Session: the sections and their order, for the volume sheet.
  ASSERT_EQ(session.Sections.SectionCount, 2);
  EXPECT_EQ(session.Sections.SectionList[1].Station, 120);
  EXPECT_EQ(session.Sections.SectionList[0].StartRow, 1);
  EXPECT_EQ(session.Sections.SectionList[0].EndRow, 3);
  EXPECT_DOUBLE_EQ(session.Sections.SectionList[0].CentreLevel, 10 + (12.0 - 10) / (2 - (-4)) * 4);
  // The tidy-up: text format of the polylines, fonts, notes, selection.
  EXPECT_EQ(Sheet().NumberFormat({1, 9}), "@");
  EXPECT_EQ(Sheet().EffectiveStyle({1, 9}).font.size, 9);
  EXPECT_EQ(Sheet().EffectiveStyle({1, 15}).font.color, -10477568);
  EXPECT_EQ(Sheet().EffectiveStyle({1, 15}).horizontal, HAlign::Fill);
  EXPECT_EQ(Sheet().Selection(), RangeRef::Cell(1, 9));
  EXPECT_TRUE(book.ScreenUpdating());
  // I to N fit what they show; N shows its formulas' results, the widest "400,0".
  MemoryWorksheet fit;
  fit.SetValue({1, 1}, "400,0");
  fit.SetFont(RangeRef::WholeColumns(1, 1), FontChange{.size = 9});
  fit.AutoFitColumns(1, 1);
  EXPECT_EQ(Sheet().ColumnWidth(14), fit.ColumnWidth(1));
}

TEST_F(DrawDataTest, NotesOnEveryOutputColumn) {
  WorkedExample();
  Accept();
  Run();
  struct Expected {
    int column;
    const char* title;
    int height;
  } notes[] = {{6, "检查每个断面数据：", 50},        {9, "在Cad图里面绘制横断面线：", 50},
               {10, "显示实测桩号：", 50},           {11, "输入设计中桩高程：", 50},
               {12, "显示实测横断面中桩高程：", 50}, {13, "在Cad图里面绘制断面相应桩号：", 68},
               {14, "在Cad图里面绘制断面相应中桩高程：", 80}, {15, "在Cad图里面绘制断面线上点高程：", 50}};
  for (const Expected& e : notes) {
    SCOPED_TRACE(e.title);
    std::optional<Note> note = Sheet().GetNote({1, e.column});
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->text.starts_with(std::string(e.title) + "\r\n"));
    EXPECT_EQ(note->boldLength, static_cast<int>(CodePointCount(e.title)));
    EXPECT_EQ(note->height, e.height);
    EXPECT_EQ(note->width, 200);
    EXPECT_FALSE(note->visible);
  }
  EXPECT_EQ(Sheet().GetNote({1, 14})->text,
            "在Cad图里面绘制断面相应中桩高程：\r\n *在Cad中（新建临时图层），先输入PL命令，再右键粘贴该列数据在cad上面"
            "绘制出每个断面的设计中桩位置\r\n*在cad中以断面设计中桩高程点为基点，带基点复制断面线到相应设计图里面");
}

TEST_F(DrawDataTest, SortsEachSectionByOffset) {
  int row = 1;
  Section(row, 100, {{6, 11}, {-4, 10}, {2, 12}});
  Accept();
  Run();
  EXPECT_EQ(Column(7, 3), (Strings{"-4", "2", "6"}));
  EXPECT_EQ(Column(4, 3), (Strings{"10", "12", "11"}));
  EXPECT_EQ(Column(9, 3), (Strings{"196,10", "202,12", "206,11"}));
}

TEST_F(DrawDataTest, CentreOnlyModeAndAllOnOneSide) {
  int row = 1;
  Section(row, 100, {{-4, 10}, {0, 12.5}, {6, 11}});
  Section(row, 120, {{1, 20}, {3, 22}});  // nothing left of the centre line: level 0
  Accept([](FormSet& f) { f.ComboHeightModel.listIndex = 0; });
  Run();
  EXPECT_EQ(Column(12, 2), (Strings{"12.5", ""}));
  EXPECT_EQ(Column(15, 2), (Strings{"pl 200,12.5 200.4,13.1 199.6,13.1 c -text j MC 200,13.55 0.7 0 12.5", ""}));
}

TEST_F(DrawDataTest, EveryPointModeWithOffsetsAndDigits) {
  WorkedExample();
  Accept([](FormSet& f) {
    f.ComboHeightModel.listIndex = 2;
    f.TextBoxDrawD.checked = true;
    f.TextBoxHeightDigit.text = "1";
    f.TextBoxHeightSize.text = "1.4";
  });
  Run();
  Strings labels = Column(15, 6);
  // Every surveyed point in sheet order, no centre label; h = 2.
  EXPECT_EQ(labels[0], "pl 196,10 196.8,11.2 195.2,11.2 c -text j MC 196,14 1.4 0 %%U10\r -text j MC 196,12.1 1.4 0 -4");
  EXPECT_EQ(labels[3], "pl 397,20 397.8,21.2 396.2,21.2 c -text j MC 397,24 1.4 0 %%U20\r -text j MC 397,22.1 1.4 0 -3");
  EXPECT_EQ(labels[4].substr(0, 10), "pl 403,22 ");
  EXPECT_EQ(labels[5], "");  // five points, five labels
}

TEST_F(DrawDataTest, DigitsBeyondWhatANumberShowsShowEveryDigit) {
  // Typed as 1e12 (or its negative, whose magnitude counts), the digits are held to what a
  // number can show, so the centre label shows the level's 15 significant digits.
  for (const char* typed : {"1e12", "-1e300", "1e400"}) {
    SCOPED_TRACE(typed);
    MemoryWorkbook fresh;
    session.HostApplication = &fresh;
    int row = 1;
    fresh.Active().SetValue({1, 1}, "p");
    for (auto [g, z] : {std::pair{-4.0, 10.0}, {2.0, 12.0}}) {
      fresh.Active().SetValue({row, 1}, "p");
      fresh.Active().SetValue({row, 4}, z);
      fresh.Active().SetValue({row, 5}, 100.3);
      fresh.Active().SetValue({row, 6}, 100.0);
      fresh.Active().SetValue({row, 7}, g);
      ++row;
    }
    Accept([typed](FormSet& f) { f.TextBoxHeightDigit.text = typed; });
    ASSERT_EQ(Run(), CommandOutcome::Completed);
    EXPECT_TRUE(fresh.Active().Value({1, 15}).AsText().ends_with(" 0.7 0 11.3333333333333"))
        << fresh.Active().Value({1, 15}).AsText();
  }
}

TEST_F(DrawDataTest, OffsetsOnTheCentreLabelReadZero) {
  WorkedExample();
  Accept([](FormSet& f) { f.TextBoxDrawD.checked = true; });
  Run();
  std::string centre = Sheet().Value({1, 15}).AsText();
  EXPECT_TRUE(centre.ends_with(" 0.7 0 0")) << centre;
  EXPECT_NE(centre.find(" 0.7 0 %%U11.333\r -text j MC 200,"), std::string::npos) << centre;
}

TEST_F(DrawDataTest, DictionaryPlacementMixedWithSpacing) {
  int row = 1;
  Section(row, 100, {{-1, 10}, {1, 10}});
  Section(row, 120, {{-1, 20}, {1, 20}});
  Section(row, 140, {{-1, 30}, {1, 30}});
  session.Sections.StationDictionary = {{120, 5000, 800, 15}, {140.0000001, 9000, 900, 0}};
  Accept([](FormSet& f) {
    f.CheckAddFile.checked = true;
    f.OnCheckAddFileClick();
  });
  Run();
  // 100: first unmatched, spacing 200; 120: its frame, base y 800 - 15; 140 differs by a hair: unmatched.
  EXPECT_EQ(Column(9, 6), (Strings{"199,10", "201,10", "  pl", "4999,805", "5001,805", "  pl"}));
  EXPECT_EQ(Sheet().Value({7, 9}).AsText(), "399,30");
  EXPECT_TRUE(session.Sections.SectionList[1].Matched);
  EXPECT_FALSE(session.Sections.SectionList[2].Matched);
}

TEST_F(DrawDataTest, DictionaryOnWithoutAListPlacesBySpacing) {
  WorkedExample();
  Accept([](FormSet& f) {
    f.CheckAddFile.checked = true;
    f.OnCheckAddFileClick();
  });
  Run();
  EXPECT_EQ(Column(9, 1), (Strings{"196,10"}));
}

TEST_F(DrawDataTest, ACustomStationFormatGivesTheDisplayedText) {
  WorkedExample();
  Sheet().SetValue({1, 6}, 12235.689);
  Sheet().SetNumberFormat(RangeRef::WholeColumns(6, 6), "\"K\"0+000");
  Accept();
  Run();
  EXPECT_EQ(Sheet().Value({1, 13}).AsText(), "-text j MC 200,20 1 0 K12+236");
}

TEST_F(DrawDataTest, RunningTwiceGivesTheSameSheet) {
  WorkedExample();
  Accept();
  Run();
  std::vector<std::pair<CellRef, std::string>> first;
  for (CellRef c : Sheet().UsedCells()) first.emplace_back(c, Sheet().Formula(c));
  Accept();
  Run();
  std::vector<std::pair<CellRef, std::string>> second;
  for (CellRef c : Sheet().UsedCells()) second.emplace_back(c, Sheet().Formula(c));
  EXPECT_EQ(first, second);
}

TEST_F(DrawDataTest, OneSectionWithoutEmptyRows) {
  int row = 1;
  Section(row, 100, {{-4, 10}, {2, 12}});
  Accept();
  Run();
  EXPECT_EQ(Column(9, 3), (Strings{"196,10", "202,12", ""}));
  EXPECT_EQ(Column(10, 2), (Strings{"100", ""}));
}

TEST_F(DrawDataTest, ExtraEmptyRowsMakeNoEmptySections) {
  int row = 2;  // row 1 empty
  Section(row, 100, {{-4, 10}, {2, 12}});
  ++row;  // two empty rows in a row
  Section(row, 120, {{-3, 20}, {3, 22}});
  Accept();
  Run();
  EXPECT_EQ(Column(10, 3), (Strings{"100", "120", ""}));
  EXPECT_EQ(Column(9, 8), (Strings{"  pl", "196,10", "202,12", "  pl", "  pl", "397,20", "403,22", ""}));
}

TEST_F(DrawDataTest, AStationThatIsNoNumberShowsAsTyped) {
  WorkedExample();
  Sheet().SetValue({5, 6}, "K0+120?");
  Accept();
  Run();
  EXPECT_EQ(Sheet().Value({2, 10}).AsText(), "0");
  EXPECT_EQ(Sheet().Value({2, 13}).AsText(), "-text j MC 400,20 1 0 K0+120?");
}

TEST_F(DrawDataTest, TheUsersColumnsRightOfTheOutputStayInPlace) {
  WorkedExample();
  Sheet().SetValue({2, 8}, "survey code");  // H: the survey's seventh column, cleared with the block
  for (int c = 16; c <= 22; ++c) Sheet().SetValue({1, c}, "user " + std::to_string(c));
  Sheet().SetValue({3, 22}, "=P1&\"!\"");
  Accept();
  ASSERT_EQ(Run(), CommandOutcome::Completed);
  Accept();
  ASSERT_EQ(Run(), CommandOutcome::Completed);  // a second run rewrites the block alone
  EXPECT_EQ(Column(8, 3), (Strings{"", "", ""}));
  EXPECT_EQ(Column(9, 6), (Strings{"196,10", "202,12", "206,11", "  pl", "397,20", "403,22"}));
  EXPECT_EQ(Column(10, 3), (Strings{"100", "120", ""}));
  EXPECT_EQ(Sheet().Formula({2, 14}), "=\"400,\" & 0+K2");
  EXPECT_EQ(Column(15, 7).back(), "");
  for (int c = 16; c <= 22; ++c) EXPECT_EQ(Sheet().Value({1, c}), CellValue("user " + std::to_string(c)));
  EXPECT_EQ(Sheet().Formula({3, 22}), "=P1&\"!\"");
}

TEST_F(DrawDataTest, CancelTouchesNothing) {
  WorkedExample();
  EXPECT_EQ(Run(), CommandOutcome::Cancelled);
  EXPECT_TRUE(Sheet().Value({1, 9}).IsEmpty());
  EXPECT_EQ(session.Sections.SectionCount, 0);
}

TEST_F(DrawDataTest, BlocksGiveExactlyWhatCellByCellGives) {
  for (int mode = 0; mode < 3; ++mode) {
    for (int offsets = 0; offsets < 2; ++offsets) {
      MemoryWorkbook reference;
      MemoryWorkbook blocks;
      for (MemoryWorkbook* b : {&reference, &blocks}) {
        int r = 1;
        for (int s = 0; s < 6; ++s) {
          for (int p = 0; p < 1 + (s * 7) % 5; ++p, ++r) {
            b->Active().SetValue({r, 1}, "P");
            b->Active().SetValue({r, 4}, 300.0 + (r * 37 % 11) / 3.0);
            b->Active().SetValue({r, 5}, 100.0 * s);
            b->Active().SetValue({r, 6}, 100.0 * s);
            b->Active().SetValue({r, 7}, ((r * 13) % 9) - 4.5 + (s == 3 && p == 1 ? 4.5 : 0));
          }
          ++r;
        }
        b->Active().SetValue({3, 20}, "kept");  // beyond the output block: it stays where it is
        // What a sort carries with a row: a format and a formula (rows 3 to 5 are sorted), and a
        // section holding a text offset (rows 7 to 11).
        b->Active().SetNumberFormat(RangeRef::Block(3, 4, 3, 4), "0.0");
        b->Active().SetValue({4, 2}, "=D4*2");
        b->Active().SetValue({8, 7}, "x");
      }
      Session referenceSession;
      DrawRequest settings;
      settings.LabelMode = mode;
      settings.LabelOffsets = offsets == 1;
      ReferenceDrawSectionData(reference.Active(), settings, referenceSession);

      session.HostApplication = &blocks;
      Accept([&](FormSet& f) {
        f.ComboHeightModel.listIndex = mode;
        f.TextBoxDrawD.checked = offsets == 1;
      });
      ASSERT_EQ(Run(), CommandOutcome::Completed);
      MemoryWorksheet& want = reference.Active();
      MemoryWorksheet& got = blocks.Active();
      got.ClearNotes(RangeRef::WholeColumns(1, 30));  // the reference writes none
      // The reference deletes columns, which slides "kept" into the block where the output
      // overwrites it; the command leaves it in place.
      EXPECT_EQ(got.Value({3, 20}), CellValue("kept"));
      got.SetValue({3, 20}, CellValue());
      ASSERT_EQ(got.UsedCells().size(), want.UsedCells().size()) << "mode " << mode;
      for (CellRef c : want.UsedCells()) {
        SCOPED_TRACE(CellA1(c) + " mode " + std::to_string(mode));
        EXPECT_EQ(got.Formula(c), want.Formula(c));
        EXPECT_EQ(got.EffectiveStyle(c), want.EffectiveStyle(c));
      }
      EXPECT_EQ(got.ColumnWidth(10), want.ColumnWidth(10));
      EXPECT_EQ(session.Sections.LabelCommands, referenceSession.Sections.LabelCommands);
    }
  }
}

TEST_F(DrawDataTest, AtMostOneHostCallPerTwentyPoints) {
  const int sections = 1000;
  Grid block(sections * 11, 7);
  for (int s = 0; s < sections; ++s) {
    for (int p = 0; p < 10; ++p) {
      int r = s * 11 + p;
      block.At(r, 0) = "P";
      block.At(r, 3) = 300.0 + p;
      block.At(r, 4) = 100.0 * s;
      block.At(r, 5) = 100.0 * s;
      block.At(r, 6) = (p * 7 % 10) - 5.0;  // not in order: every section is sorted once
    }
  }
  Sheet().SetValues({1, 1}, block);
  CountingApplication host(book);
  session.HostApplication = &host;
  Accept();
  ASSERT_EQ(Run(), CommandOutcome::Completed);
  EXPECT_LE(host.Counter().TotalCalls(), sections * 10 / 20);
  EXPECT_EQ(host.Counter().Calls(HostCall::Sort), 1);
  std::vector<double> offsets;
  for (int r = 1; r <= 10; ++r) offsets.push_back(Sheet().Value({r, 7}).Number());
  EXPECT_EQ(offsets, (std::vector<double>{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4}));
}

}  // namespace
}  // namespace kestrel
