// Tests of whole-row and whole-column insert and delete, against sheets worked out by hand.
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "workbook/memory_workbook.h"
#include "sheet_test_helpers.h"

namespace kestrel {
namespace {

using testing::Cell;
using testing::Range;

// The constant or formula of each cell of a block, row by row, as the formula bar shows them.
std::vector<std::vector<std::string>> Contents(MemoryWorksheet& sheet, std::string_view a1) {
  RangeRef r = Range(a1);
  std::vector<std::vector<std::string>> rows;
  for (int row = r.first.row; row <= r.last.row; ++row) {
    rows.emplace_back();
    for (int column = r.first.column; column <= r.last.column; ++column)
      rows.back().push_back(sheet.Formula({row, column}));
  }
  return rows;
}

using Rows = std::vector<std::vector<std::string>>;

class MemoryWorksheetStructureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A a1 | B 1 |
    // A a2 | B 2 | C =B2*10
    // A a3 | B 3 | C =SUM(B1:B3)
    // A a4 | B 4 |            | D =B2+B3
    for (int r = 1; r <= 4; ++r) {
      sheet.SetValue({r, 1}, "a" + std::to_string(r));
      sheet.SetValue({r, 2}, r);
    }
    sheet.SetValue(Cell("C2"), "=B2*10");
    sheet.SetValue(Cell("C3"), "=SUM(B1:B3)");
    sheet.SetValue(Cell("D4"), "=B2+B3");
  }
  MemoryWorksheet sheet;
};

TEST_F(MemoryWorksheetStructureTest, InsertedRowsPushRowsAndReferencesDown) {
  sheet.InsertRows(3, 2);
  EXPECT_EQ(Contents(sheet, "A1:D7"), (Rows{{"a1", "1", "", ""},
                                            {"a2", "2", "=B2*10", ""},
                                            {"", "", "", ""},
                                            {"", "", "", ""},
                                            {"a3", "3", "=SUM(B1:B5)", ""},
                                            {"a4", "4", "", "=B2+B5"},
                                            {"", "", "", ""}}));
}

TEST_F(MemoryWorksheetStructureTest, DeletedRowsPullRowsUpAndBreakReferencesToThem) {
  sheet.DeleteRows(2, 1);
  EXPECT_EQ(Contents(sheet, "A1:D4"), (Rows{{"a1", "1", "", ""},
                                            {"a3", "3", "=SUM(B1:B2)", ""},
                                            {"a4", "4", "", "=#REF!+B2"},
                                            {"", "", "", ""}}));
  EXPECT_EQ(sheet.FormulaCount(), 2);
}

TEST_F(MemoryWorksheetStructureTest, InsertedColumnsPushColumnsAndReferencesRight) {
  sheet.InsertColumns(2, 1);
  EXPECT_EQ(Contents(sheet, "A1:E4"), (Rows{{"a1", "", "1", "", ""},
                                            {"a2", "", "2", "=C2*10", ""},
                                            {"a3", "", "3", "=SUM(C1:C3)", ""},
                                            {"a4", "", "4", "", "=C2+C3"}}));
}

TEST_F(MemoryWorksheetStructureTest, DeletedColumnsPullColumnsLeftAndBreakReferencesToThem) {
  sheet.DeleteColumns(2, 1);
  EXPECT_EQ(Contents(sheet, "A1:C4"), (Rows{{"a1", "", ""},
                                            {"a2", "=#REF!*10", ""},
                                            {"a3", "=SUM(#REF!)", ""},
                                            {"a4", "", "=#REF!+#REF!"}}));
}

TEST_F(MemoryWorksheetStructureTest, NotesRunsAndHeightsMoveWithTheirRows) {
  sheet.SetNote(Cell("B3"), Note{"check", false, 200, 50, 5});
  sheet.SetValue(Cell("E3"), "面积(m2)");
  sheet.SetSuperscript(Cell("E3"), 5, 1);
  sheet.SetRowHeight(3, 3, 30);
  sheet.InsertRows(2, 1);
  EXPECT_FALSE(sheet.GetNote(Cell("B3")).has_value());
  ASSERT_TRUE(sheet.GetNote(Cell("B4")).has_value());
  EXPECT_EQ(sheet.GetNote(Cell("B4"))->text, "check");
  EXPECT_EQ(sheet.SuperscriptRuns(Cell("E4")), (std::vector<TextRun>{{5, 1}}));
  EXPECT_EQ(sheet.RowHeight(2), kStandardRowHeight);  // took row 1's height
  EXPECT_EQ(sheet.RowHeight(3), kStandardRowHeight);
  EXPECT_EQ(sheet.RowHeight(4), 30);
  sheet.DeleteRows(1, 2);
  EXPECT_EQ(sheet.GetNote(Cell("B2"))->text, "check");
  EXPECT_EQ(sheet.RowHeight(2), 30);
}

TEST_F(MemoryWorksheetStructureTest, InsertedRowTakesTheFormatsOfTheRowAboveButNoValueNoteOrBorder) {
  FontChange bold;
  bold.bold = true;
  sheet.SetFont(Range("B2"), bold);
  sheet.SetNumberFormat(Range("B2"), "0.00");
  sheet.SetBorder(Range("B2"), BorderEdge::Bottom, LineStyle::Continuous);
  sheet.SetNote(Cell("B2"), Note{"n"});
  sheet.SetRowHeight(2, 2, 22);
  sheet.InsertRows(3, 1);
  CellStyle inserted = sheet.EffectiveStyle(Cell("B3"));
  EXPECT_TRUE(inserted.font.bold);
  EXPECT_EQ(inserted.numberFormat, "0.00");
  EXPECT_EQ(inserted.borders, CellBorders{});
  EXPECT_TRUE(sheet.Value(Cell("B3")).IsEmpty());
  EXPECT_FALSE(sheet.GetNote(Cell("B3")).has_value());
  EXPECT_EQ(sheet.RowHeight(3), 22);
  EXPECT_FALSE(sheet.EffectiveStyle(Cell("C3")).font.bold);
  // The line under B2 stays where it was drawn.
  EXPECT_EQ(sheet.EffectiveStyle(Cell("B2")).borders.bottom, LineStyle::Continuous);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("B4")).borders.bottom, LineStyle::None);
}

TEST_F(MemoryWorksheetStructureTest, RowInsertedAtTheTopTakesNoFormat) {
  FontChange bold;
  bold.bold = true;
  sheet.SetFont(Range("1:1"), bold);
  sheet.InsertRows(1, 1);
  EXPECT_FALSE(sheet.EffectiveStyle(Cell("A1")).font.bold);
  EXPECT_TRUE(sheet.EffectiveStyle(Cell("A2")).font.bold);
  EXPECT_TRUE(sheet.EffectiveStyle(Cell("Z2")).font.bold);
}

TEST_F(MemoryWorksheetStructureTest, InsertedColumnTakesTheFormatAndWidthOfTheColumnToItsLeft) {
  sheet.SetNumberFormat(Range("A:A"), "0.00");
  sheet.SetBorder(Range("A:A"), BorderEdge::Left, LineStyle::Continuous);
  sheet.SetColumnWidth(1, 1, 14);
  sheet.SetColumnWidth(3, 3, 20);
  sheet.InsertColumns(2, 1);
  EXPECT_EQ(sheet.NumberFormat(Cell("B7")), "0.00");
  EXPECT_EQ(sheet.EffectiveStyle(Cell("B7")).borders.left, LineStyle::None);
  EXPECT_EQ(sheet.EffectiveStyle(Cell("A7")).borders.left, LineStyle::Continuous);
  EXPECT_EQ(sheet.ColumnWidth(2), 14);
  EXPECT_EQ(sheet.ColumnWidth(3), kStandardColumnWidth);
  EXPECT_EQ(sheet.ColumnWidth(4), 20);
  EXPECT_EQ(sheet.NumberFormat(Cell("C7")), "General");
  sheet.DeleteColumns(1, 2);
  EXPECT_EQ(sheet.ColumnWidth(2), 20);
  EXPECT_EQ(sheet.NumberFormat(Cell("A7")), "General");
}

TEST_F(MemoryWorksheetStructureTest, MergesMoveWidenShrinkAndDisappear) {
  sheet.Merge(Range("F5:G7"));
  sheet.Merge(Range("F10:H10"));
  sheet.InsertRows(2, 1);  // above both: they move
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("F6:G8"), Range("F11:H11")}));
  sheet.InsertRows(7, 2);  // inside the first: it widens
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("F6:G10"), Range("F13:H13")}));
  sheet.DeleteRows(9, 3);  // cuts the first's bottom
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("F6:G8"), Range("F10:H10")}));
  sheet.DeleteRows(10, 1);  // the second wholly deleted
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("F6:G8")}));
  sheet.DeleteColumns(7, 1);  // one column left, three rows: still merged
  EXPECT_EQ(sheet.Merges(), (std::vector<RangeRef>{Range("F6:F8")}));
  sheet.DeleteRows(7, 2);  // down to one cell: no merge any more
  EXPECT_TRUE(sheet.Merges().empty());
}

TEST_F(MemoryWorksheetStructureTest, SelectionMovesWithItsCells) {
  sheet.Select(Range("D10"));
  sheet.InsertRows(5, 2);
  EXPECT_EQ(sheet.Selection(), Range("D12"));
  sheet.Select(Range("B5:B10"));
  sheet.DeleteRows(3, 4);
  EXPECT_EQ(sheet.Selection(), Range("B3:B6"));
  sheet.DeleteRows(3, 4);  // wholly deleted: keeps its address
  EXPECT_EQ(sheet.Selection(), Range("B3:B6"));
}

TEST_F(MemoryWorksheetStructureTest, ColumnInsertedAtTheSelectionStaysSelected) {
  // As the initial sort does: select column F, insert there; the new column is selected.
  sheet.Select(Range("F:F"));
  sheet.InsertColumns(6, 1);
  EXPECT_EQ(sheet.Selection(), Range("F:F"));
  sheet.InsertColumns(2, 1);
  EXPECT_EQ(sheet.Selection(), Range("G:G"));
}

TEST_F(MemoryWorksheetStructureTest, PrintTitleRowsFollowTheRows) {
  PageSetupChange titles;
  titles.printTitleRows = "$1:$3";
  sheet.SetPageSetup(titles);
  sheet.InsertRows(2, 1);
  EXPECT_EQ(sheet.Page().printTitleRows, "$1:$4");
  sheet.DeleteRows(1, 4);
  EXPECT_EQ(sheet.Page().printTitleRows, "");
}

TEST_F(MemoryWorksheetStructureTest, NothingIsPushedOffTheSheet) {
  sheet.SetValue({kMaxRows, 1}, "last");
  EXPECT_THROW(sheet.InsertRows(1, 1), HostError);
  EXPECT_EQ(sheet.Value({kMaxRows, 1}), CellValue("last"));
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue("a1"));
  sheet.SetValue({5, kMaxColumns - 1}, "right");
  EXPECT_THROW(sheet.InsertColumns(1, 2), HostError);
  EXPECT_NO_THROW(sheet.InsertColumns(1, 1));
  EXPECT_EQ(sheet.Value({5, kMaxColumns}), CellValue("right"));
}

TEST_F(MemoryWorksheetStructureTest, DeletingColumnsHThroughPMovesTheRestNineToTheLeft) {
  for (int c = 8; c <= 18; ++c) sheet.SetValue({1, c}, c);
  sheet.SetNote({1, 17}, Note{"Q note"});
  sheet.SetColumnWidth(18, 18, 30);
  sheet.DeleteColumns(8, 9);
  EXPECT_EQ(sheet.Value(Cell("H1")), CellValue(17));
  EXPECT_EQ(sheet.Value(Cell("I1")), CellValue(18));
  EXPECT_TRUE(sheet.Value(Cell("J1")).IsEmpty());
  EXPECT_EQ(sheet.GetNote(Cell("H1"))->text, "Q note");
  EXPECT_EQ(sheet.ColumnWidth(9), 30);
  EXPECT_EQ(sheet.ColumnWidth(18), kStandardColumnWidth);
}

TEST(MemoryWorksheetStructureTestWorkbook, OtherSheetsReferencesFollowTheChangedSheet) {
  MemoryWorkbook book;
  MemoryWorksheet& data = book.Active();
  data.Rename("Data");
  data.SetValue(Cell("A5"), 10);
  auto& other = static_cast<MemoryWorksheet&>(book.AddSheet());
  other.SetValue(Cell("A5"), "=Data!A5+A5");
  data.InsertRows(1, 2);
  EXPECT_EQ(other.Formula(Cell("A5")), "=Data!A7+A5");
  other.InsertRows(1, 1);
  EXPECT_EQ(other.Formula(Cell("A6")), "=Data!A7+A6");
  data.DeleteRows(7, 1);
  EXPECT_EQ(other.Formula(Cell("A6")), "=Data!#REF!+A6");
}

TEST(MemoryWorksheetSeparatorTest, SeparatorRowsInsertedBottomUpOneAtATime) {
  // The initial sort's separation step: one empty row wherever the key changes, from the bottom
  // up, across many chunks of stored rows.
  MemoryWorksheet sheet;
  const int n = 3000;
  for (int r = 1; r <= n; ++r) {
    sheet.SetValue({r, 1}, r);
    sheet.SetValue({r, 6}, (r - 1) / 3);  // groups of three
  }
  sheet.SetValue({n + 1, 3}, "=SUM(A1:A3000)");
  for (int r = n; r >= 2; --r)
    if (!(sheet.Value({r, 6}) == sheet.Value({r - 1, 6}))) sheet.InsertRows(r, 1);
  // Group g (rows 3g+1..3g+3 before) now starts at row 4g+1, with an empty row after it.
  for (int g = 0; g < n / 3; ++g) {
    for (int k = 0; k < 3; ++k) ASSERT_EQ(sheet.Value({4 * g + 1 + k, 1}), CellValue(3 * g + 1 + k)) << g;
    if (g + 1 < n / 3) {
      ASSERT_TRUE(sheet.Value({4 * g + 4, 1}).IsEmpty()) << g;
    }
  }
  EXPECT_EQ(sheet.Formula({4 * (n / 3), 3}), "=SUM(A1:A3999)");
  EXPECT_EQ(sheet.EndUp({65536, 1}), 4 * (n / 3) - 1);
}

}  // namespace
}  // namespace kestrel
