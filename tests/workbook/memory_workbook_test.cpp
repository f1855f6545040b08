// Tests of the memory workbook: sheets, their default names and order, the application switches,
// the revision.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "host/host_error.h"
#include "workbook/memory_workbook.h"

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

TEST(MemoryWorkbookTest, EveryWriteMovesTheRevisionAndNoReadDoes) {
  MemoryWorkbook book;
  MemoryWorksheet& sheet = book.Active();
  sheet.SetValues({1, 1}, Grid(3, 2));
  const RangeRef block = RangeRef::Block(1, 1, 3, 2);
  auto moves = [&](const char* what, const std::function<void()>& call) {
    const auto before = book.Revision();
    call();
    return ::testing::AssertionResult(book.Revision() != before) << what;
  };
  const std::pair<const char*, std::function<void()>> writes[] = {
      {"SetValue", [&] { sheet.SetValue({1, 1}, 1); }},
      {"SetValues", [&] { sheet.SetValues({1, 1}, Grid(1, 1)); }},
      {"SetNumberFormat", [&] { sheet.SetNumberFormat(block, "0.00"); }},
      {"InsertRows", [&] { sheet.InsertRows(2, 1); }},
      {"DeleteRows", [&] { sheet.DeleteRows(2, 1); }},
      {"InsertColumns", [&] { sheet.InsertColumns(2, 1); }},
      {"DeleteColumns", [&] { sheet.DeleteColumns(2, 1); }},
      {"InsertRowsAbove", [&] { sheet.InsertRowsAbove({2}); }},
      {"DeleteRowsAt", [&] { sheet.DeleteRowsAt({2}); }},
      {"Merge", [&] { sheet.Merge(RangeRef::Block(5, 1, 5, 2)); }},
      {"Sort", [&] { sheet.Sort(block, 1, SortHeader::No); }},
      {"Replace", [&] { sheet.Replace(block, "x", "y"); }},
      {"SetFont", [&] { sheet.SetFont(block, FontChange{.bold = true}); }},
      {"SetSuperscript", [&] { sheet.SetSuperscript({6, 1}, 0, 1); }},
      {"SetAlignment", [&] { sheet.SetAlignment(block, HAlign::Center, std::nullopt); }},
      {"SetWrapText", [&] { sheet.SetWrapText(block, true); }},
      {"SetColumnWidth", [&] { sheet.SetColumnWidth(1, 1, 12); }},
      {"SetRowHeight", [&] { sheet.SetRowHeight(1, 1, 20); }},
      {"AutoFitColumns", [&] { sheet.AutoFitColumns(1, 2); }},
      {"SetBorder", [&] { sheet.SetBorder(block, BorderEdge::Top, LineStyle::Continuous); }},
      {"SetNote", [&] { sheet.SetNote({1, 1}, Note{.text = "n"}); }},
      {"ClearNotes", [&] { sheet.ClearNotes(block); }},
      {"SetPageSetup", [&] { sheet.SetPageSetup(PageSetupChange{.leftMargin = 10}); }},
      {"AddSheet", [&] { book.AddSheet(); }},
      {"Rename", [&] { sheet.Rename("实测"); }},
      {"SetHidden", [&] { sheet.SetHidden(true); }},
  };
  for (const auto& [what, call] : writes) EXPECT_TRUE(moves(what, call));
  const std::pair<const char*, std::function<void()>> reads[] = {
      {"reads", [&] {
         sheet.Name();
         sheet.Value({1, 1});
         sheet.Values(block);
         sheet.Text({1, 1});
         sheet.Texts(block);
         sheet.Formula({1, 1});
         sheet.NumberFormat({1, 1});
         sheet.EndUp({9, 1});
         sheet.GetNote({1, 1});
       }},
      {"Select", [&] {
         sheet.Select(block);
         sheet.Selection();
       }},
      {"switches", [&] {
         book.SetScreenUpdating(false);
         book.SetDisplayAlerts(false);
         book.Activate(1);
       }},
  };
  for (const auto& [what, call] : reads) EXPECT_FALSE(moves(what, call));
}

}  // namespace
}  // namespace kestrel
