// Tests of the memory worksheet's formats, borders, merges, notes, runs, sizes and page setup.
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "workbook/memory_worksheet.h"
#include "sheet_test_helpers.h"

namespace kestrel {
namespace {

using testing::Cell;
using testing::Range;

FontChange Bold() {
  FontChange f;
  f.bold = true;
  return f;
}

FontChange Size(double size) {
  FontChange f;
  f.size = size;
  return f;
}

TEST(MemoryWorksheetFormatTest, NewSheetHasTheDefaultFormat) {
  MemoryWorksheet sheet;
  CellStyle s = sheet.EffectiveStyle(Cell("C7"));
  EXPECT_EQ(s.font.name, "Calibri");
  EXPECT_EQ(s.font.size, 11);
  EXPECT_FALSE(s.font.bold);
  EXPECT_EQ(s.numberFormat, "General");
  EXPECT_EQ(s.horizontal, HAlign::General);
  EXPECT_EQ(s.vertical, VAlign::Bottom);
  EXPECT_FALSE(s.wrapText);
  EXPECT_EQ(s.borders, CellBorders{});
}

TEST(MemoryWorksheetFormatTest, WholeColumnFormatsAreColumnLevelNotAMillionCells) {
  MemoryWorksheet sheet;
  FontChange font;
  font.name = "仿宋";
  sheet.SetFont(Range("A1:O1048576"), font);
  sheet.SetAlignment(Range("A1:O1048576"), HAlign::Center, VAlign::Center);
  EXPECT_TRUE(sheet.UsedCells().empty());
  CellStyle deep = sheet.EffectiveStyle({900000, 15});
  EXPECT_EQ(deep.font.name, "仿宋");
  EXPECT_EQ(deep.horizontal, HAlign::Center);
  EXPECT_EQ(deep.vertical, VAlign::Center);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("P1")).font.name, "Calibri");
}

TEST(MemoryWorksheetFormatTest, CellFormatsKeepWhatTheColumnGave) {
  MemoryWorksheet sheet;
  FontChange font;
  font.name = "仿宋";
  sheet.SetFont(Range("A:G"), font);
  sheet.SetFont(Range("A1:G1"), Size(18));
  CellStyle title = sheet.EffectiveStyle(Cell("C1"));
  EXPECT_EQ(title.font.name, "仿宋");
  EXPECT_EQ(title.font.size, 18);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("C2")).font.size, 11);
}

TEST(MemoryWorksheetFormatTest, RowFormatOutranksColumnFormatWhicheverCameFirst) {
  MemoryWorksheet columnFirst;
  columnFirst.SetFont(Range("A:A"), Bold());
  columnFirst.SetFont(Range("5:5"), Size(20));
  EXPECT_TRUE(columnFirst.EffectiveStyle(Cell("A5")).font.bold);
  EXPECT_EQ(columnFirst.EffectiveStyle(Cell("A5")).font.size, 20);
  EXPECT_FALSE(columnFirst.EffectiveStyle(Cell("B5")).font.bold);
  EXPECT_EQ(columnFirst.EffectiveStyle(Cell("B5")).font.size, 20);
  EXPECT_EQ(columnFirst.EffectiveStyle(Cell("A6")).font.size, 11);
  EXPECT_TRUE(columnFirst.EffectiveStyle(Cell("A6")).font.bold);

  MemoryWorksheet rowFirst;
  rowFirst.SetFont(Range("5:5"), Size(20));
  rowFirst.SetFont(Range("A:A"), Bold());
  EXPECT_TRUE(rowFirst.EffectiveStyle(Cell("A5")).font.bold);
  EXPECT_EQ(rowFirst.EffectiveStyle(Cell("A5")).font.size, 20);
  EXPECT_FALSE(rowFirst.EffectiveStyle(Cell("B5")).font.bold);
  EXPECT_TRUE(rowFirst.EffectiveStyle(Cell("A6")).font.bold);
}

TEST(MemoryWorksheetFormatTest, OnlyTheGivenFontMembersChange) {
  MemoryWorksheet sheet;
  FontChange first;
  first.name = "仿宋";
  first.size = 9;
  first.color = -10477568;
  sheet.SetFont(Range("I:O"), first);
  sheet.SetFont(Range("I1:O3"), Bold());
  CellStyle s = sheet.EffectiveStyle(Cell("K2"));
  EXPECT_EQ(s.font.name, "仿宋");
  EXPECT_EQ(s.font.size, 9);
  EXPECT_EQ(s.font.color, -10477568);
  EXPECT_TRUE(s.font.bold);
}

TEST(MemoryWorksheetFormatTest, WrapAndFillAlignment) {
  MemoryWorksheet sheet;
  sheet.SetWrapText(Range("A2:G2"), true);
  sheet.SetAlignment(Range("Q:Q"), HAlign::Fill, std::nullopt);
  EXPECT_TRUE(sheet.EffectiveStyle(Cell("G2")).wrapText);
  EXPECT_FALSE(sheet.EffectiveStyle(Cell("H2")).wrapText);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("Q40")).horizontal, HAlign::Fill);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("Q40")).vertical, VAlign::Bottom);
}

TEST(MemoryWorksheetFormatTest, NumberFormatsOfAColumnComeAsRunsAlsoFromWholeRangeAnswers) {
  MemoryWorksheet sheet;
  sheet.SetNumberFormat(RangeRef::WholeColumns(6, 6), "0.000");
  sheet.SetNumberFormat(Range("F300:F302"), "0.00");
  sheet.SetNumberFormat(RangeRef::WholeRows(1000, 1000), "@");
  const std::vector<FormatRun> want = {{299, "0.000"}, {3, "0.00"}, {697, "0.000"}, {1, "@"}};
  EXPECT_EQ(sheet.NumberFormats(6, 1, 1000), want);
  // A host that gives a range's format only when its cells share one: asked about few ranges.
  int asked = 0;
  auto uniform = [&](int first, int last) -> std::optional<std::string> {
    ++asked;
    const std::string format = sheet.NumberFormat({first, 6});
    for (int row = first + 1; row <= last; ++row)
      if (sheet.NumberFormat({row, 6}) != format) return std::nullopt;
    return format;
  };
  EXPECT_EQ(FormatRunsByHalves(1, 1000, uniform), want);
  EXPECT_LE(asked, 4 * 2 * 10);  // runs times both halves times the depth
}

TEST(MemoryWorksheetBorderTest, TheSixItemsDrawAFullGrid) {
  MemoryWorksheet sheet;
  for (BorderEdge edge : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right,
                          BorderEdge::InsideVertical, BorderEdge::InsideHorizontal})
    sheet.SetBorder(Range("A2:C4"), edge, LineStyle::Continuous);
  const CellBorders all{LineStyle::Continuous, LineStyle::Continuous, LineStyle::Continuous, LineStyle::Continuous};
  for (int r = 2; r <= 4; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(sheet.EffectiveStyle({r, c}).borders, all) << r << "," << c;
  // Outside the table: row 1 has no border of its own, and D has none either.
  EXPECT_EQ(sheet.EffectiveStyle(Cell("B1")).borders, CellBorders{});
  EXPECT_EQ(sheet.EffectiveStyle(Cell("D3")).borders, CellBorders{});
  // The table's edges are still drawn next to it.
  EXPECT_EQ(sheet.Borders(Cell("B1")).bottom, LineStyle::Continuous);
  EXPECT_EQ(sheet.Borders(Cell("D3")).left, LineStyle::Continuous);
  EXPECT_EQ(sheet.Borders(Cell("D3")).top, LineStyle::None);
}

TEST(MemoryWorksheetBorderTest, EachEdgeItemSetsOnlyItsEdge) {
  MemoryWorksheet sheet;
  sheet.SetBorder(Range("B2:C3"), BorderEdge::Left, LineStyle::Continuous);
  EXPECT_EQ(sheet.Borders(Cell("B2")).left, LineStyle::Continuous);
  EXPECT_EQ(sheet.Borders(Cell("B3")).left, LineStyle::Continuous);
  EXPECT_EQ(sheet.Borders(Cell("B2")).top, LineStyle::None);
  EXPECT_EQ(sheet.Borders(Cell("C2")).left, LineStyle::None);
  EXPECT_EQ(sheet.Borders(Cell("B4")).left, LineStyle::None);

  sheet.SetBorder(Range("A5:H5"), BorderEdge::Bottom, LineStyle::Continuous);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("H5")).borders.bottom, LineStyle::Continuous);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("I5")).borders.bottom, LineStyle::None);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("A4")).borders.bottom, LineStyle::None);
  EXPECT_EQ(sheet.Borders(Cell("C6")).top, LineStyle::Continuous);
}

TEST(MemoryWorksheetBorderTest, SwitchingALineOffRemovesItFromBothCells) {
  MemoryWorksheet sheet;
  sheet.SetBorder(Range("A2"), BorderEdge::Bottom, LineStyle::Continuous);
  sheet.SetBorder(Range("A3"), BorderEdge::Top, LineStyle::None);
  EXPECT_EQ(sheet.Borders(Cell("A2")).bottom, LineStyle::None);
  EXPECT_EQ(sheet.Borders(Cell("A3")).top, LineStyle::None);
}

TEST(MemoryWorksheetMergeTest, MergeKeepsOnlyTheTopLeftValue) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), "土石挖填方量计算表");
  sheet.SetValue(Cell("B1"), "lost");
  sheet.SetValue(Cell("C2"), "kept");
  sheet.Merge(Range("A1:G1"));
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("A1:G1")}));
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue("土石挖填方量计算表"));
  EXPECT_TRUE(sheet.Value(Cell("B1")).IsEmpty());
  EXPECT_EQ(sheet.Value(Cell("C2")), CellValue("kept"));
  // Merging over an existing merge replaces it.
  sheet.Merge(Range("A1:C2"));
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("A1:C2")}));
  EXPECT_TRUE(sheet.Value(Cell("C2")).IsEmpty());
}

TEST(MemoryWorksheetRunsTest, SuperscriptCountsCharactersNotBytes) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("B2"), "实测面积(m2)");
  sheet.SetSuperscript(Cell("B2"), 7, 1);
  EXPECT_EQ(sheet.SuperscriptRuns(Cell("B2")), (std::vector<TextRun>{{7, 1}}));
  sheet.SetSuperscript(Cell("B2"), 8, 5);  // clipped to the text's end
  EXPECT_EQ(sheet.SuperscriptRuns(Cell("B2")), (std::vector<TextRun>{{7, 2}}));
  sheet.SetValue(Cell("B2"), "距离(m)");  // a new value drops character formats
  EXPECT_TRUE(sheet.SuperscriptRuns(Cell("B2")).empty());
  sheet.SetValue(Cell("B3"), 12);
  sheet.SetSuperscript(Cell("B3"), 1, 1);  // no text: nothing to format
  EXPECT_TRUE(sheet.SuperscriptRuns(Cell("B3")).empty());
}

TEST(MemoryWorksheetNoteTest, SetReplacesGetReadsClearRemovesInItsRangeOnly) {
  MemoryWorksheet sheet;
  Note first{"检查每个断面数据：\r\n*body", false, 200, 50, 9};
  sheet.SetNote(Cell("F1"), first);
  EXPECT_EQ(sheet.GetNote(Cell("F1")), first);
  Note second{"other", true, 100, 20, 0};
  sheet.SetNote(Cell("F1"), second);
  EXPECT_EQ(sheet.GetNote(Cell("F1")), second);
  sheet.SetNote(Cell("K1"), first);
  sheet.ClearNotes(Range("F:F"));
  EXPECT_FALSE(sheet.GetNote(Cell("F1")).has_value());
  EXPECT_EQ(sheet.GetNote(Cell("K1")), first);
  EXPECT_EQ(sheet.UsedCells(), (std::vector<CellRef>{Cell("K1")}));
}

TEST(MemoryWorksheetSizeTest, WidthsAndHeightsWithTheirDefaultsAndLimits) {
  MemoryWorksheet sheet;
  EXPECT_EQ(sheet.ColumnWidth(3), kStandardColumnWidth);
  EXPECT_EQ(sheet.RowHeight(3), kStandardRowHeight);
  sheet.SetColumnWidth(2, 3, 10);
  sheet.SetRowHeight(2, 6, 25);
  EXPECT_EQ(sheet.ColumnWidth(1), kStandardColumnWidth);
  EXPECT_EQ(sheet.ColumnWidth(3), 10);
  EXPECT_EQ(sheet.RowHeight(6), 25);
  EXPECT_EQ(sheet.RowHeight(7), kStandardRowHeight);
  EXPECT_THROW(sheet.SetColumnWidth(1, 1, 256), HostError);
  EXPECT_THROW(sheet.SetRowHeight(1, 1, -1), HostError);
}

TEST(MemoryWorksheetSizeTest, AutoFitMeasuresTheWidestDisplayText) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), "abc");
  sheet.SetValue(Cell("A2"), "中文字");  // three wide characters: 6 units
  sheet.SetValue(Cell("B1"), 1234.5);      // "1234.5": 6 units
  sheet.SetNumberFormat(Range("B1"), "0.000");  // shows "1234.500": 8 units
  sheet.SetValue(Cell("C1"), "12345678901");
  sheet.SetFont(Range("C:C"), Size(9));  // 11 units at 9 points: 9
  sheet.SetValue(Cell("D1"), "a much longer title");
  sheet.Merge(Range("D1:E1"));  // merged across columns: not measured
  sheet.SetValue(Cell("D2"), "ab");
  sheet.SetColumnWidth(6, 6, 30);  // F stays as it is: nothing in it
  sheet.AutoFitColumns(1, 6);
  EXPECT_EQ(sheet.ColumnWidth(1), 7);
  EXPECT_EQ(sheet.ColumnWidth(2), 9);
  EXPECT_EQ(sheet.ColumnWidth(3), 10);
  EXPECT_EQ(sheet.ColumnWidth(4), 3);
  EXPECT_EQ(sheet.ColumnWidth(5), kStandardColumnWidth);
  EXPECT_EQ(sheet.ColumnWidth(6), 30);
}

TEST(MemoryWorksheetPageTest, PageSetupChangesOnlyTheGivenMembers) {
  MemoryWorksheet sheet;
  EXPECT_EQ(sheet.Page().orientation, Orientation::Portrait);
  EXPECT_EQ(sheet.Page().leftMargin, 0.7 * 72);
  PageSetupChange change;
  change.orientation = Orientation::Landscape;
  change.printTitleRows = "$1:$3";
  change.leftMargin = 18;
  change.footerMargin = 21.6;
  sheet.SetPageSetup(change);
  EXPECT_EQ(sheet.Page().orientation, Orientation::Landscape);
  EXPECT_EQ(sheet.Page().printTitleRows, "$1:$3");
  EXPECT_EQ(sheet.Page().leftMargin, 18);
  EXPECT_EQ(sheet.Page().rightMargin, 0.7 * 72);
  EXPECT_EQ(sheet.Page().topMargin, 0.75 * 72);
}

TEST(MemoryWorksheetSelectionTest, StartsAtA1AndFollowsSelect) {
  MemoryWorksheet sheet;
  EXPECT_EQ(sheet.Selection(), Range("A1"));
  sheet.Select(Range("I1"));
  EXPECT_EQ(sheet.Selection(), Range("I1"));
  EXPECT_THROW(sheet.Select(RangeRef::Cell(0, 1)), HostError);
  EXPECT_EQ(sheet.Selection(), Range("I1"));
}

TEST(MemoryWorksheetUsedRangeTest, SpansEveryUsedCell) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("C5"), 1);
  sheet.SetFont(Range("B9"), Bold());
  sheet.SetNote(Cell("F2"), Note{"n"});
  sheet.SetFont(Range("Z:Z"), Bold());  // a whole-column format uses no cell
  EXPECT_EQ(sheet.UsedRange(), Range("B2:F9"));
  EXPECT_EQ(sheet.UsedCells(), (std::vector<CellRef>{Cell("F2"), Cell("C5"), Cell("B9")}));
}

}  // namespace
}  // namespace kestrel
