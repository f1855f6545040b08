// Tests of the memory worksheet's inspection for writers: stored cells, style numbers, column and row formats.
#include <gtest/gtest.h>

#include <vector>

#include "workbook/memory_worksheet.h"
#include "sheet_test_helpers.h"

namespace kestrel {
namespace {

using testing::Cell;
using testing::Range;

FontChange FontNamed(const char* name) {
  FontChange f;
  f.name = name;
  return f;
}

FontChange Bold() {
  FontChange f;
  f.bold = true;
  return f;
}

TEST(MemoryInspectionTest, VisitCellsShowsEachStoredCellRowByRow) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("C2"), "实测面积(m2)");
  sheet.SetSuperscript(Cell("C2"), 7, 1);
  sheet.SetValue(Cell("A2"), 5);
  sheet.SetValue(Cell("B3"), "=A2*2");
  sheet.SetCachedValue(Cell("B3"), 10);
  Note note{"标题\n正文", true, 120, 60, 2};
  sheet.SetNote(Cell("D9"), note);
  sheet.SetFont(Range("E1"), Bold());
  sheet.SetValue(Cell("Z99"), 1);  // outside the block

  std::vector<CellView> seen;
  sheet.VisitCells(Range("A1:E9"), [&](const CellView& c) { seen.push_back(c); });
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].at, Cell("E1"));
  EXPECT_TRUE(seen[0].ownStyle);
  EXPECT_TRUE(seen[0].value->IsEmpty());
  EXPECT_TRUE(sheet.StyleById(seen[0].style).font.bold);
  EXPECT_EQ(seen[1].at, Cell("A2"));
  EXPECT_EQ(*seen[1].value, CellValue(5));
  EXPECT_EQ(seen[1].formula, nullptr);
  EXPECT_FALSE(seen[1].ownStyle);
  EXPECT_EQ(seen[2].at, Cell("C2"));
  ASSERT_NE(seen[2].superscripts, nullptr);
  EXPECT_EQ(*seen[2].superscripts, (std::vector<TextRun>{{7, 1}}));
  EXPECT_EQ(seen[3].at, Cell("B3"));
  ASSERT_NE(seen[3].formula, nullptr);
  EXPECT_EQ(*seen[3].formula, "=A2*2");
  EXPECT_EQ(*seen[3].value, CellValue(10));
  EXPECT_EQ(seen[4].at, Cell("D9"));
  ASSERT_NE(seen[4].note, nullptr);
  EXPECT_EQ(*seen[4].note, note);
}

TEST(MemoryInspectionTest, StoredCellIsNothingForACellHoldingNothing) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("B2"), "x");
  EXPECT_FALSE(sheet.StoredCell(Cell("B3")).has_value());
  auto b2 = sheet.StoredCell(Cell("B2"));
  ASSERT_TRUE(b2.has_value());
  EXPECT_EQ(*b2->value, CellValue("x"));
  EXPECT_EQ(b2->superscripts, nullptr);
  EXPECT_EQ(b2->note, nullptr);
}

TEST(MemoryInspectionTest, StyleIdsFollowCellThenRowThenColumn) {
  MemoryWorksheet sheet;
  EXPECT_EQ(sheet.StyleIdAt(Cell("B2")), kInheritStyle);
  EXPECT_EQ(sheet.StyleById(kInheritStyle), CellStyle{});
  sheet.SetFont(RangeRef::WholeColumns(2, 2), FontNamed("仿宋"));
  const StyleId column = sheet.StyleIdAt(Cell("B7"));
  EXPECT_EQ(sheet.StyleById(column).font.name, "仿宋");
  sheet.SetFont(RangeRef::WholeRows(7, 7), Bold());
  const StyleId row = sheet.StyleIdAt(Cell("C7"));
  EXPECT_TRUE(sheet.StyleById(row).font.bold);
  EXPECT_EQ(sheet.StyleById(row).font.name, "Calibri");  // the row's own format, not column B's
  const StyleId cell = sheet.StyleIdAt(Cell("B7"));      // was column B's, now its own, made bold
  EXPECT_TRUE(sheet.StyleById(cell).font.bold);
  EXPECT_EQ(sheet.StyleById(cell).font.name, "仿宋");
  EXPECT_EQ(sheet.StyleIdAt(Cell("B8")), column);
  EXPECT_EQ(sheet.StyleById(sheet.StyleIdAt(Cell("B8"))), sheet.EffectiveStyle(Cell("B8")));
}

TEST(MemoryInspectionTest, ColumnAndRowFormatsListOnlyWhatWasGiven) {
  MemoryWorksheet sheet;
  EXPECT_TRUE(sheet.ColumnFormats().empty());
  EXPECT_TRUE(sheet.RowFormats().empty());
  sheet.SetColumnWidth(2, 3, 10);
  sheet.SetFont(RangeRef::WholeColumns(3, 4), FontNamed("仿宋"));
  sheet.SetRowHeight(1, 1, 50);
  sheet.SetFont(RangeRef::WholeRows(6, 6), Bold());
  sheet.SetValue(Cell("A3"), 1);  // a row with a cell but no format of its own

  auto columns = sheet.ColumnFormats();
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0], (ColumnFormat{2, 10.0, kInheritStyle}));
  EXPECT_EQ(columns[1].column, 3);
  EXPECT_EQ(columns[1].width, 10.0);
  EXPECT_EQ(sheet.StyleById(columns[1].style).font.name, "仿宋");
  EXPECT_EQ(columns[2].column, 4);
  EXPECT_FALSE(columns[2].width.has_value());
  EXPECT_EQ(columns[2].style, columns[1].style);

  auto rows = sheet.RowFormats();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (RowFormat{1, 50.0, kInheritStyle}));
  EXPECT_EQ(rows[1].row, 6);
  EXPECT_FALSE(rows[1].height.has_value());
  EXPECT_TRUE(sheet.StyleById(rows[1].style).font.bold);
}

}  // namespace
}  // namespace kestrel
