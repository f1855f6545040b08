// Tests of the memory workbook: sheets, their default names and order, the application switches.
#include <gtest/gtest.h>

#include "addin/host/host_error.h"
#include "addin/host/memory_workbook.h"

namespace kestrel {
namespace {

std::vector<std::string> Names(MemoryWorkbook& book) {
  std::vector<std::string> names;
  for (int i = 0; i < book.SheetCount(); ++i) names.push_back(book.Sheet(i).SheetName());
  return names;
}

TEST(MemoryWorkbookTest, StartsWithSheet1Active) {
  MemoryWorkbook book;
  EXPECT_EQ(Names(book), (std::vector<std::string>{"Sheet1"}));
  EXPECT_EQ(book.ActiveSheet().Name(), "Sheet1");
}

TEST(MemoryWorkbookTest, AddedSheetGoesInFrontOfTheActiveOneAndBecomesActive) {
  MemoryWorkbook book;
  Worksheet& second = book.AddSheet();
  EXPECT_EQ(second.Name(), "Sheet2");
  EXPECT_EQ(&book.ActiveSheet(), &second);
  EXPECT_EQ(Names(book), (std::vector<std::string>{"Sheet2", "Sheet1"}));
  book.Activate(1);
  book.AddSheet();
  EXPECT_EQ(Names(book), (std::vector<std::string>{"Sheet2", "Sheet3", "Sheet1"}));
  EXPECT_EQ(book.ActiveIndex(), 1);
  EXPECT_EQ(book.ActiveSheet().Name(), "Sheet3");
}

TEST(MemoryWorkbookTest, DefaultNamesAreUniqueWithoutRegardToCase) {
  MemoryWorkbook book;
  book.Active().Rename("sheet2");
  EXPECT_EQ(book.AddSheet().Name(), "Sheet3");
  EXPECT_EQ(book.FindSheet("SHEET2"), &book.Sheet(1));
  EXPECT_EQ(book.FindSheet("Sheet9"), nullptr);
}

TEST(MemoryWorkbookTest, EachSheetKeepsItsOwnCells) {
  MemoryWorkbook book;
  book.ActiveSheet().SetValue({1, 1}, "first");
  book.AddSheet().SetValue({1, 1}, "second");
  EXPECT_EQ(book.Sheet(1).Value({1, 1}), CellValue("first"));
  EXPECT_EQ(book.Sheet(0).Value({1, 1}), CellValue("second"));
}

TEST(MemoryWorkbookTest, SwitchesInchesAndCaller) {
  MemoryWorkbook book;
  EXPECT_TRUE(book.ScreenUpdating());
  EXPECT_TRUE(book.DisplayAlerts());
  book.SetDisplayAlerts(false);
  EXPECT_FALSE(book.DisplayAlerts());
  EXPECT_DOUBLE_EQ(book.InchesToPoints(0.25), 18);
  EXPECT_DOUBLE_EQ(book.InchesToPoints(0.75), 54);
  EXPECT_FALSE(book.Caller().has_value());
  book.SetCaller(CallerCell{"Sheet1", {4, 2}});
  ASSERT_TRUE(book.Caller().has_value());
  EXPECT_EQ(book.Caller()->cell, (CellRef{4, 2}));
  EXPECT_EQ(book.Caller()->sheet, "Sheet1");
}

TEST(MemoryWorkbookTest, ScreenUpdatingComesBackOnAlsoAfterAnError) {
  MemoryWorkbook book;
  try {
    ScreenUpdatingOff off(book);
    EXPECT_FALSE(book.ScreenUpdating());
    book.ActiveSheet().Value({0, 0});
  } catch (const HostError&) {
  }
  EXPECT_TRUE(book.ScreenUpdating());
}

}  // namespace
}  // namespace kestrel
