// The volume sheet builder: layout of each variant, formulas and their results, stations, errors.
#include "volumes/volume_sheet.h"

#include <cmath>

#include "host_doubles/counting_host.h"
#include "workbook/formula_eval.h"
#include "refusing_host.h"
#include "support/command_fixture.h"

namespace kestrel {
namespace {

using Strings = std::vector<std::string>;

RangeRef R(const char* a1) { return *RangeRef::Parse(a1); }
CellRef C(const std::string& a1) { return RangeRef::Parse(a1)->first; }

class VolumeSheetTest : public CommandFixture {
 protected:
  CommandOutcome Build(int last, int variant, bool fillStations = false) {
    CommandContext context = Context();
    return DrawVolumeSheet(context, {variant, last, fillStations}, session.Sections);
  }
  void RecordStations(const std::vector<double>& stations) {
    session.Sections.SectionList.clear();
    for (double s : stations) {
      SectionRecord record;
      record.Station = s;
      session.Sections.SectionList.push_back(record);
    }
    session.Sections.SectionCount = static_cast<int>(stations.size());
  }
  std::string Formula(const std::string& a1) { return Sheet().Formula(C(a1)); }
  std::string Text(const std::string& a1) { return Sheet().Value(C(a1)).AsText(); }
  CellStyle Style(const std::string& a1) { return Sheet().EffectiveStyle(C(a1)); }
  std::vector<RangeRef> Merges() { return Sheet().Merges(); }
};

TEST_F(VolumeSheetTest, TheSmallestSheetHasTwoSectionsAndOneRowOfFormulas) {
  ASSERT_EQ(Build(6, 2), CommandOutcome::Completed);
  EXPECT_EQ(Formula("D5"), "=A5-A4");
  EXPECT_EQ(Formula("E5"), "=(B5+B4)/2*D5");
  EXPECT_EQ(Formula("F5"), "=(C5+C4)/2*D5");
  EXPECT_EQ(Formula("D6"), "=SUM(D5:D5)");
  EXPECT_EQ(Formula("E6"), "=SUM(E5:E5)");
  EXPECT_EQ(Formula("F6"), "=SUM(F5:F5)");
  EXPECT_EQ(Sheet().FormulaCount(), 6);
  for (const char* empty : {"A4", "A5", "B4", "D4", "E4", "F4", "G5", "A7", "D7"}) EXPECT_EQ(Text(empty), "") << empty;
  EXPECT_EQ(Text("A6"), "合计:");
  EXPECT_EQ(Sheet().UsedRange()->last.row, 6);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(VolumeSheetTest, MeasuredVariantHeadersMergesAndSuperscripts) {
  Build(20, 2);
  EXPECT_EQ(Text("A1"), "土石挖填方量计算表");
  EXPECT_EQ((Strings{Text("A2"), Text("B2"), Text("D2"), Text("E2"), Text("G2")}),
            (Strings{"桩号", "实测面积(m2)", "距离(m)", "实测体积(m3)", "备注"}));
  EXPECT_EQ((Strings{Text("B3"), Text("C3"), Text("E3"), Text("F3")}), (Strings{"挖方", "填方", "挖方", "填方"}));
  EXPECT_EQ((Strings{Text("A3"), Text("D3"), Text("G3")}), (Strings{"", "", ""}));
  EXPECT_EQ(Merges(), (std::vector<RangeRef>{R("A1:G1"), R("A2:A3"), R("B2:C2"), R("D2:D3"), R("E2:F2"), R("G2:G3"),
                                              R("A20:C20")}));
  const std::vector<TextRun> digit{{7, 1}};
  EXPECT_EQ(Sheet().SuperscriptRuns(C("B2")), digit);
  EXPECT_EQ(Sheet().SuperscriptRuns(C("E2")), digit);
  EXPECT_TRUE(Sheet().SuperscriptRuns(C("D2")).empty());  // "距离(m)" has no digit
  EXPECT_TRUE(Sheet().SuperscriptRuns(C("A2")).empty());
}

TEST_F(VolumeSheetTest, DesignVariantColumnsAndFormulas) {
  Build(20, 4);
  EXPECT_EQ((Strings{Text("A2"), Text("B2"), Text("D2"), Text("F2"), Text("G2"), Text("I2"), Text("K2")}),
            (Strings{"桩号", "设计面积(m2)", "实测面积(m2)", "距离(m)", "设计体积(m3)", "实测体积(m3)", "备注"}));
  EXPECT_EQ(Merges(), (std::vector<RangeRef>{R("A1:K1"), R("A2:A3"), R("B2:C2"), R("D2:E2"), R("F2:F3"), R("G2:H2"),
                                              R("I2:J2"), R("K2:K3"), R("A20:E20")}));
  for (const char* a1 : {"B2", "D2", "G2", "I2"}) EXPECT_EQ(Sheet().SuperscriptRuns(C(a1)), (std::vector<TextRun>{{7, 1}}));
  EXPECT_EQ(Formula("F5"), "=A5-A4");
  EXPECT_EQ(Formula("G5"), "=(B5+B4)/2*F5");
  EXPECT_EQ(Formula("H12"), "=(C12+C11)/2*F12");
  EXPECT_EQ(Formula("I19"), "=(D19+D18)/2*F19");
  EXPECT_EQ(Formula("J19"), "=(E19+E18)/2*F19");
  EXPECT_EQ(Formula("F20"), "=SUM(F5:F19)");
  EXPECT_EQ(Formula("J20"), "=SUM(J5:J19)");
  EXPECT_EQ(Formula("F4"), "");
  EXPECT_EQ(Formula("K10"), "");
  EXPECT_EQ(Sheet().FormulaCount(), 15 * 5 + 5);
}

TEST_F(VolumeSheetTest, RemainingVariantWritesRemainingAreasFromRowFour) {
  Build(20, 6);
  EXPECT_EQ((Strings{Text("F2"), Text("H2"), Text("M2"), Text("O2")}),
            (Strings{"剩余面积(m2)", "距离(m)", "剩余体积(m3)", "备注"}));
  EXPECT_EQ(Merges(), (std::vector<RangeRef>{R("A1:O1"), R("A2:A3"), R("B2:C2"), R("D2:E2"), R("F2:G2"), R("H2:H3"),
                                              R("I2:J2"), R("K2:L2"), R("M2:N2"), R("O2:O3"), R("A20:G20")}));
  EXPECT_EQ(Formula("F4"), "=B4-D4");
  EXPECT_EQ(Formula("G4"), "=C4-E4");
  EXPECT_EQ(Formula("F19"), "=B19-D19");
  EXPECT_EQ(Formula("H4"), "");  // distances and volumes start at row 5
  EXPECT_EQ(Formula("I4"), "");
  EXPECT_EQ(Formula("H5"), "=A5-A4");
  EXPECT_EQ(Formula("I5"), "=(B5+B4)/2*H5");
  EXPECT_EQ(Formula("L5"), "=(E5+E4)/2*H5");
  EXPECT_EQ(Formula("M5"), "=(F5+F4)/2*H5");
  EXPECT_EQ(Formula("N19"), "=(G19+G18)/2*H19");
  EXPECT_EQ(Formula("H20"), "=SUM(H5:H19)");
  EXPECT_EQ(Formula("N20"), "=SUM(N5:N19)");
  EXPECT_EQ(Formula("F20"), "");  // areas are never totalled
  EXPECT_EQ(Sheet().FormulaCount(), 16 * 2 + 15 * 7 + 7);
}

// The average end area method, computed here from the areas and stations typed in: the
// distance between consecutive stations times the mean of the two areas.
TEST_F(VolumeSheetTest, FormulasGiveAverageEndAreaVolumesAndTotals) {
  const int sections = 7, last = sections + 4;
  Build(last, 6);
  const double stations[sections] = {12200, 12220, 12235.5, 12260, 12280.25, 12300, 12340};
  double area[sections][4];  // design cut, design fill, measured cut, measured fill
  for (int i = 0; i < sections; ++i) {
    Sheet().SetValue({4 + i, 1}, stations[i]);
    for (int k = 0; k < 4; ++k) {
      area[i][k] = (i * 7 + k * 3) % 11 + 0.125 * k;
      Sheet().SetValue({4 + i, 2 + k}, area[i][k]);
    }
  }
  RecalculateWorkbook(book);
  double totals[7] = {};
  for (int i = 1; i < sections; ++i) {
    const int r = 4 + i;
    const double length = stations[i] - stations[i - 1];
    const double remainingNow[2] = {area[i][0] - area[i][2], area[i][1] - area[i][3]};
    const double remainingBefore[2] = {area[i - 1][0] - area[i - 1][2], area[i - 1][1] - area[i - 1][3]};
    const double expected[7] = {length,
                                length * (area[i][0] + area[i - 1][0]) / 2,
                                length * (area[i][1] + area[i - 1][1]) / 2,
                                length * (area[i][2] + area[i - 1][2]) / 2,
                                length * (area[i][3] + area[i - 1][3]) / 2,
                                length * (remainingNow[0] + remainingBefore[0]) / 2,
                                length * (remainingNow[1] + remainingBefore[1]) / 2};
    for (int k = 0; k < 7; ++k) {
      SCOPED_TRACE(CellA1({r, 8 + k}));
      ASSERT_TRUE(Sheet().Value({r, 8 + k}).IsNumber());
      EXPECT_NEAR(Sheet().Value({r, 8 + k}).Number(), expected[k], 1e-9);
      totals[k] += expected[k];
    }
  }
  for (int k = 0; k < 7; ++k) EXPECT_NEAR(Sheet().Value({last, 8 + k}).Number(), totals[k], 1e-9);
  EXPECT_DOUBLE_EQ(Sheet().Value(C("F4")).Number(), area[0][0] - area[0][2]);
  // A negative remaining area shows in the red format with its minus sign and the padding blank.
  Sheet().SetValue(C("D4"), 99.5);
  Sheet().SetValue(C("B4"), 98);
  RecalculateWorkbook(book);
  EXPECT_EQ(Sheet().Text(C("F4")), "-1.500 ");
  EXPECT_EQ(Sheet().Text(C("B4")), "98.000 ");
  EXPECT_EQ(Sheet().Text(C("A4")), "K12+200.000");
  EXPECT_EQ(Sheet().Text(C("A6")), "K12+235.500");
}

TEST_F(VolumeSheetTest, PageSetupPerVariant) {
  const PageSetup standard;
  Build(20, 2);
  EXPECT_EQ(Sheet().Page().orientation, Orientation::Portrait);
  EXPECT_EQ(Sheet().Page().printTitleRows, "$1:$3");
  EXPECT_EQ(Sheet().Page().leftMargin, standard.leftMargin);
  EXPECT_EQ(Sheet().Page().headerMargin, standard.headerMargin);
  Build(20, 4);
  EXPECT_EQ(Sheet().Page().orientation, Orientation::Landscape);
  EXPECT_EQ(Sheet().Page().printTitleRows, "$1:$3");
  EXPECT_EQ(Sheet().Page().topMargin, standard.topMargin);
  Build(20, 6);
  const PageSetup& page = Sheet().Page();
  EXPECT_EQ(page.orientation, Orientation::Landscape);
  EXPECT_EQ(page.printTitleRows, "$1:$3");
  EXPECT_EQ((std::vector<double>{page.leftMargin, page.rightMargin, page.topMargin, page.bottomMargin,
                                 page.headerMargin, page.footerMargin}),
            (std::vector<double>{0.25 * 72, 0.25 * 72, 0.75 * 72, 0.75 * 72, 0.3 * 72, 0.3 * 72}));
}

TEST_F(VolumeSheetTest, WidthsAndHeights) {
  auto widths = [&](int n) {
    std::vector<double> w;
    for (int c = 1; c <= n; ++c) w.push_back(Sheet().ColumnWidth(c));
    return w;
  };
  const double s = kStandardColumnWidth;
  Build(12, 2);
  EXPECT_EQ(widths(8), (std::vector<double>{14, 10, 10, 12, 12, 12, 14, s}));
  Build(12, 4);
  EXPECT_EQ(widths(14), (std::vector<double>{14, 10, 10, 10, 10, 12, 12, 12, 12, 12, 12, 12, 12, s}));
  Build(12, 6);
  EXPECT_EQ(widths(16), (std::vector<double>{10, 8, 8, 8, 8, 8, 8, 8, 10, 10, 10, 10, 10, 10, 10, s}));
  EXPECT_EQ(Sheet().RowHeight(1), 50);
  for (int r = 2; r <= 12; ++r) EXPECT_EQ(Sheet().RowHeight(r), 25) << r;
  EXPECT_EQ(Sheet().RowHeight(13), kStandardRowHeight);
}

TEST_F(VolumeSheetTest, FontsAlignmentAndWrap) {
  Build(12, 4);
  for (const char* a1 : {"A1", "K1", "A2", "K3", "C7", "K12", "A1048576", "K1048576"}) {
    SCOPED_TRACE(a1);
    EXPECT_EQ(Style(a1).font.name, "仿宋");
    EXPECT_EQ(Style(a1).horizontal, HAlign::Center);
    EXPECT_EQ(Style(a1).vertical, VAlign::Center);
  }
  EXPECT_EQ(Style("L5").font.name, "Calibri");  // past the last column
  EXPECT_EQ(Style("L5").horizontal, HAlign::General);
  EXPECT_EQ(Style("A1").font.size, 18);
  EXPECT_EQ(Style("K1").font.size, 18);
  EXPECT_EQ(Style("A2").font.size, 11);
  for (const char* bold : {"A1", "B2", "K3", "A12", "F12", "Z12"}) EXPECT_TRUE(Style(bold).font.bold) << bold;
  for (const char* plain : {"A4", "F11", "L3", "A13"}) EXPECT_FALSE(Style(plain).font.bold) << plain;
  for (const char* wrap : {"A2", "F2", "K2"}) EXPECT_TRUE(Style(wrap).wrapText) << wrap;
  for (const char* noWrap : {"A3", "L2", "A1"}) EXPECT_FALSE(Style(noWrap).wrapText) << noWrap;
  // Only the remaining variant makes the section and totals rows smaller.
  EXPECT_EQ(Style("A4").font.size, 11);
  Build(12, 6);
  for (const char* small : {"A4", "N4", "N12", "A12", "H8"}) EXPECT_EQ(Style(small).font.size, 10) << small;
  for (const char* normal : {"O4", "A3", "N3", "A13"}) EXPECT_EQ(Style(normal).font.size, 11) << normal;
}

TEST_F(VolumeSheetTest, NumberFormatsStopAtTheLastVolumeColumn) {
  const char* volume = "0.000_ ;[Red]-0.000 ";  // red negatives, in the one language every host reads
  const char* station = "\"K\"0+000.000";
  Build(12, 2);
  EXPECT_EQ(Style("A4").numberFormat, station);
  EXPECT_EQ(Style("A11").numberFormat, station);
  EXPECT_EQ(Style("A12").numberFormat, "General");  // the totals label
  EXPECT_EQ(Style("A3").numberFormat, "General");
  EXPECT_EQ(Style("B4").numberFormat, volume);
  EXPECT_EQ(Style("F12").numberFormat, volume);
  EXPECT_EQ(Style("B3").numberFormat, "General");
  EXPECT_EQ(Style("F13").numberFormat, "General");
  // The remarks column G keeps the general format, and nothing is written to its right.
  EXPECT_EQ(Style("G4").numberFormat, "General");
  EXPECT_EQ(Style("G12").numberFormat, "General");
  Sheet().SetValue(C("G5"), 1.5);
  EXPECT_EQ(Sheet().Text(C("G5")), "1.5");
  for (CellRef used : Sheet().UsedCells()) EXPECT_LE(used.column, 7) << CellA1(used);
  EXPECT_EQ(Style("H5").font.name, "Calibri");

  Build(12, 4);
  EXPECT_EQ(Style("J12").numberFormat, volume);
  EXPECT_EQ(Style("K4").numberFormat, "General");
  Build(12, 6);
  EXPECT_EQ(Style("N12").numberFormat, volume);
  EXPECT_EQ(Style("F4").numberFormat, volume);
  EXPECT_EQ(Style("O4").numberFormat, "General");
}

TEST_F(VolumeSheetTest, GridAroundAndInsideTheTableButNotTheTitle) {
  Build(9, 4);
  const CellBorders all{LineStyle::Continuous, LineStyle::Continuous, LineStyle::Continuous, LineStyle::Continuous};
  for (int r = 2; r <= 9; ++r)
    for (int c = 1; c <= 11; ++c) EXPECT_EQ(Sheet().Borders({r, c}), all) << CellA1({r, c});
  for (int c = 1; c <= 11; ++c) {
    CellBorders title = Sheet().Borders({1, c});
    EXPECT_EQ(title.top, LineStyle::None);
    EXPECT_EQ(title.left, LineStyle::None) << CellA1({1, c});
    EXPECT_EQ(title.right, LineStyle::None) << CellA1({1, c});
    EXPECT_EQ(Sheet().Borders({10, c}).bottom, LineStyle::None);
  }
  EXPECT_EQ(Sheet().Borders(C("L5")).right, LineStyle::None);
}

TEST_F(VolumeSheetTest, RecordedStationsFillTheSectionRows) {
  RecordStations({12200, 12220.5, 12235.689, 12240, 12260, 12280, 12300, 12320, 12340, 12360});
  Build(20, 4, true);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Sheet().Value({4 + i, 1}), CellValue(session.Sections.SectionList[i].Station)) << i;
  EXPECT_EQ(Sheet().Text(C("A6")), "K12+235.689");
  // The rows past the list stay empty; their distances compute from empty cells.
  for (int r = 14; r <= 19; ++r) EXPECT_TRUE(Sheet().Value({r, 1}).IsEmpty()) << r;
  RecalculateWorkbook(book);
  EXPECT_DOUBLE_EQ(Sheet().Value(C("F5")).Number(), 20.5);
  EXPECT_DOUBLE_EQ(Sheet().Value(C("F14")).Number(), -12360);
  EXPECT_DOUBLE_EQ(Sheet().Value(C("F15")).Number(), 0);
}

TEST_F(VolumeSheetTest, StationsNeverReachTheTotalsRow) {
  RecordStations({100, 120, 140, 160, 180, 200, 220, 240, 260, 280});
  Build(10, 2, true);  // six section rows for ten recorded sections
  for (int r = 4; r <= 9; ++r) EXPECT_EQ(Sheet().Value({r, 1}), CellValue(100.0 + 20 * (r - 4))) << r;
  EXPECT_EQ(Text("A10"), "合计:");
  for (int r = 11; r <= 13; ++r) EXPECT_TRUE(Sheet().Value({r, 1}).IsEmpty()) << r;
  EXPECT_EQ(Sheet().UsedRange()->last.row, 10);
}

TEST_F(VolumeSheetTest, NoStationsUnlessAsked) {
  RecordStations({100, 120, 140});
  Build(7, 2, false);
  for (int r = 4; r <= 6; ++r) EXPECT_TRUE(Sheet().Value({r, 1}).IsEmpty()) << r;
  session.Sections.SectionList.clear();
  session.Sections.SectionCount = 0;
  EXPECT_EQ(Build(7, 2, true), CommandOutcome::Completed);  // an empty list writes nothing
  for (int r = 4; r <= 6; ++r) EXPECT_TRUE(Sheet().Value({r, 1}).IsEmpty()) << r;
}

TEST_F(VolumeSheetTest, EveryRunAddsASheet) {
  book.Active().SetValue({1, 1}, "survey");
  Build(8, 2);
  Build(8, 6);
  ASSERT_EQ(book.SheetCount(), 3);
  EXPECT_EQ(book.Sheet(0).SheetName(), "Sheet3");
  EXPECT_EQ(book.Sheet(1).SheetName(), "Sheet2");
  EXPECT_EQ(book.ActiveIndex(), 0);
  EXPECT_EQ(book.Sheet(0).Value({2, 15}), CellValue("备注"));
  EXPECT_EQ(book.Sheet(1).Value({2, 7}), CellValue("备注"));
  EXPECT_EQ(book.Sheet(1).Formula({8, 4}), "=SUM(D5:D7)");
  EXPECT_EQ(book.Sheet(2).Value({1, 1}), CellValue("survey"));
  EXPECT_EQ(book.Sheet(2).UsedCells().size(), 1u);
}

TEST_F(VolumeSheetTest, ALastRowBeyondTheSheetStopsAfterTitleAndPage) {
  EXPECT_EQ(Build(kMaxRows + 1, 6), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "有错误，提示有错误！");
  EXPECT_EQ(ui.Messages()[0].title, "提示");
  EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::Ok);
  ASSERT_EQ(book.SheetCount(), 2);
  EXPECT_EQ(Text("A1"), "土石挖填方量计算表");
  EXPECT_EQ(Sheet().Page().orientation, Orientation::Landscape);
  EXPECT_EQ(Sheet().RowHeight(1), 50);
  EXPECT_EQ(Sheet().RowHeight(2), kStandardRowHeight);
  EXPECT_EQ(Text("A2"), "");
  EXPECT_EQ(Sheet().FormulaCount(), 0);
}

TEST_F(VolumeSheetTest, AHostErrorInTheLayoutShowsTheMessageAndKeepsWhatWasBuilt) {
  CountingApplication host(book);
  session.HostApplication = &host;
  host.Counter().FailOnOperation(HostCall::SetWrapText);
  EXPECT_EQ(Build(10, 4), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "有错误，提示有错误！");
  EXPECT_EQ(Text("K2"), "备注");  // the headers came before
  EXPECT_EQ(Text("A10"), "");     // the totals row after
  EXPECT_EQ(Sheet().FormulaCount(), 0);

  host.Counter().ClearFaults();
  host.Counter().FailOnOperation(HostCall::AddSheet);
  EXPECT_EQ(Build(10, 4), CommandOutcome::Stopped);
  EXPECT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(book.SheetCount(), 2);
}

TEST_F(VolumeSheetTest, BorderErrorsAreSkippedSilently) {
  CountingApplication host(book);
  session.HostApplication = &host;
  host.Counter().FailOnOperation(HostCall::SetBorder);
  RecordStations({10, 20});
  EXPECT_EQ(Build(6, 2, true), CommandOutcome::Completed);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(host.Counter().Calls(HostCall::SetBorder), 6);
  EXPECT_EQ(Sheet().Borders(C("B4")), CellBorders{});
  EXPECT_EQ(Sheet().Value(C("A5")), CellValue(20.0));  // the step after the grid still ran
}

TEST_F(VolumeSheetTest, ARefusedFormulaCellIsSkippedAndTheNextOneWritten) {
  RefusingHost host(book, {{C("J7"), C("F4"), C("H20")}});
  session.HostApplication = &host;
  EXPECT_EQ(Build(20, 6), CommandOutcome::Completed);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(Formula("J7"), "");
  EXPECT_EQ(Formula("F4"), "");
  EXPECT_EQ(Formula("H20"), "");
  EXPECT_EQ(Formula("G4"), "=C4-E4");  // the cells beside the refused ones
  EXPECT_EQ(Formula("F5"), "=B5-D5");
  EXPECT_EQ(Formula("I20"), "=SUM(I5:I19)");
  EXPECT_EQ(Formula("I7"), "=(B7+B6)/2*H7");
  EXPECT_EQ(Formula("K7"), "=(D7+D6)/2*H7");
  EXPECT_EQ(Sheet().FormulaCount(), 16 * 2 + 15 * 7 + 7 - 3);
  EXPECT_EQ(Sheet().Value(C("J7")), CellValue());
}

}  // namespace
}  // namespace kestrel
