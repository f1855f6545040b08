// Loading a workbook file's content into the model: exact cells, sheet order, hidden sheets.
#include <gtest/gtest.h>

#include "workbook/memory_workbook.h"

namespace kestrel {
namespace {

TEST(MemoryLoading, LoadCellKeepsTextsThatLookLikeNumbers) {
  MemoryWorksheet sheet;
  sheet.LoadCell({1, 1}, CellValue("0050"));
  sheet.LoadCell({2, 1}, CellValue(7.5), "=A3*3");
  sheet.LoadCell({3, 1}, CellValue(2.5));
  EXPECT_EQ(sheet.Value({1, 1}), CellValue("0050"));
  EXPECT_EQ(sheet.Value({2, 1}), CellValue(7.5));
  EXPECT_EQ(sheet.Formula({2, 1}), "=A3*3");
  EXPECT_EQ(sheet.FormulaCount(), 1);
  sheet.LoadCell({2, 1}, CellValue());
  EXPECT_EQ(sheet.FormulaCount(), 0);
  EXPECT_TRUE(sheet.Value({2, 1}).IsEmpty());
}

TEST(MemoryLoading, AppendedSheetsKeepTheFilesOrder) {
  MemoryWorkbook book;
  book.Sheet(0).Rename("测量");
  book.AppendSheet("Profile");
  book.AppendSheet("Slopes").SetHidden(true);
  ASSERT_EQ(book.SheetCount(), 3);
  EXPECT_EQ(book.Sheet(1).SheetName(), "Profile");
  EXPECT_TRUE(book.Sheet(2).Hidden());
  EXPECT_EQ(book.ActiveIndex(), 0);
  EXPECT_THROW(book.AppendSheet("profile"), std::invalid_argument);
}

}  // namespace
}  // namespace kestrel
