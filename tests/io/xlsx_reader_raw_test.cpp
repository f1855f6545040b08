// Reading a package written part by part: shared and array formulas, rich strings, notes with
// their drawing, prefixed elements, parts under unusual names, a chart sheet, row and column formats.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include "io/xlsx_sheet.h"
#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

class RawWorkbook : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(RawFixture().xlsx.empty());
    book_ = ReadXlsx(RawFixture().xlsx);
    formulas_ = book_->FindSheet("公式");
    second_ = book_->FindSheet("第 2 表");
    ASSERT_NE(formulas_, nullptr);
    ASSERT_NE(second_, nullptr);
  }
  std::unique_ptr<MemoryWorkbook> book_;
  MemoryWorksheet* formulas_ = nullptr;
  MemoryWorksheet* second_ = nullptr;
};

TEST_F(RawWorkbook, HoldsEverythingTheWriterStated) {
  EXPECT_GT(CheckFacts(*book_, RawFixture().facts, AllKinds()), 90);
  CheckNoOtherCells(*book_, RawFixture().facts);
}

TEST_F(RawWorkbook, SharedFormulasMoveRelativeReferencesOnly) {
  EXPECT_EQ(formulas_->Formula({5, 2}), "=A5*2+$A$1");
  EXPECT_EQ(formulas_->Value({5, 2}), CellValue(11));  // the cached result, not recalculated
  EXPECT_EQ(formulas_->Formula({1, 5}), "=SUM($A1:C1)");
  EXPECT_EQ(formulas_->Formula({3, 6}), "='第 2 表'!A2+A3");
  EXPECT_EQ(formulas_->FormulaCount(), 16);
}

TEST_F(RawWorkbook, ArrayFormulaTextStaysInItsFirstCell) {
  EXPECT_EQ(formulas_->Formula({1, 7}), "=A1:A2*10");
  EXPECT_EQ(formulas_->Formula({2, 7}), "20");
  EXPECT_EQ(formulas_->Value({2, 7}), CellValue(20));
}

TEST_F(RawWorkbook, CachedResultsKeepTheirTypes) {
  EXPECT_EQ(formulas_->Value({6, 1}), CellValue("是"));
  EXPECT_EQ(formulas_->Value({6, 2}), CellValue::Boolean(true));
  EXPECT_EQ(formulas_->Value({6, 3}), CellValue::Error(CellError::NA));
  EXPECT_TRUE(formulas_->Value({6, 4}).IsEmpty());
  EXPECT_EQ(formulas_->Value({6, 5}), CellValue(std::string()));
  EXPECT_EQ(formulas_->Text({6, 3}), "#N/A");
}

TEST_F(RawWorkbook, RichStringsJoinTheirRunsAndKeepSuperscripts) {
  EXPECT_EQ(formulas_->Value({7, 2}), CellValue("m2"));
  EXPECT_EQ(formulas_->SuperscriptRuns({7, 2}), (std::vector<TextRun>{{2, 1}}));
  EXPECT_EQ(formulas_->Value({7, 3}), CellValue("  lead and trail  "));
  EXPECT_EQ(formulas_->Value({7, 5}), CellValue("K12+300 "));  // the phonetic run is no text
  EXPECT_EQ(formulas_->SuperscriptRuns({7, 6}), (std::vector<TextRun>{{2, 2}, {6, 1}}));
  EXPECT_TRUE(formulas_->SuperscriptRuns({7, 1}).empty());
}

TEST_F(RawWorkbook, EscapedCharactersAreDecoded) {
  EXPECT_EQ(formulas_->Value({7, 4}), CellValue("a_x0041_b\rc"));
}

TEST_F(RawWorkbook, RowsAndCellsWithoutNumbersFollowTheirPredecessors) {
  EXPECT_EQ(formulas_->Value({7, 1}), CellValue("路基"));
  EXPECT_EQ(formulas_->Value({7, 6}), CellValue("x10+y3"));
}

TEST_F(RawWorkbook, ChartSheetsAreLeftOutAndTheActiveTabFollowsTheWorksheets) {
  ASSERT_EQ(book_->SheetCount(), 2);
  EXPECT_EQ(book_->Sheet(0).SheetName(), "公式");  // first in the workbook, though its part is named two.xml
  EXPECT_EQ(book_->ActiveIndex(), 1);
  EXPECT_TRUE(second_->Hidden());
  EXPECT_EQ(second_->Page().printTitleRows, "$2:$4");
}

TEST_F(RawWorkbook, ColorsComeFromTheFilesThemeAndPalette) {
  EXPECT_EQ(formulas_->EffectiveStyle({9, 2}).font.color, 0x563412);  // accent1 123456, red low
  EXPECT_EQ(formulas_->EffectiveStyle({9, 3}).font.color, 255);       // palette index 10, red
}

TEST_F(RawWorkbook, RowAndColumnFormatsReachCellsWithoutTheirOwn) {
  EXPECT_EQ(formulas_->NumberFormat({2, 8}), "0.00");   // column H
  EXPECT_EQ(formulas_->NumberFormat({10, 10}), "@");    // row 10
  EXPECT_EQ(formulas_->EffectiveStyle({10, 10}).horizontal, HAlign::Center);
  // A cell that is written without a format shows the default, whatever its row or column has.
  EXPECT_EQ(formulas_->EffectiveStyle({9, 8}), CellStyle{});
  EXPECT_EQ(formulas_->EffectiveStyle({10, 2}), CellStyle{});
}

TEST_F(RawWorkbook, WidthsNeedACustomMarkOrAHiddenColumn) {
  EXPECT_DOUBLE_EQ(formulas_->ColumnWidth(2), 20);  // 20.7109375 in the file
  EXPECT_DOUBLE_EQ(formulas_->ColumnWidth(9), kStandardColumnWidth);  // customWidth="0"
  EXPECT_DOUBLE_EQ(formulas_->ColumnWidth(8), kStandardColumnWidth);  // 9.140625: the standard width
}

TEST_F(RawWorkbook, HeightsThatDifferFromTheSheetDefaultAreKept) {
  EXPECT_DOUBLE_EQ(formulas_->RowHeight(2), 30);
  EXPECT_DOUBLE_EQ(formulas_->RowHeight(3), 15.75);
  EXPECT_DOUBLE_EQ(formulas_->RowHeight(5), kStandardRowHeight);
}

TEST_F(RawWorkbook, NotesTakeBoldTitleVisibilityAndSizeFromTheirParts) {
  auto shown = second_->GetNote({1, 1});
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->text, "测量:\n高程 7 m");
  EXPECT_EQ(shown->boldLength, 3);
  EXPECT_TRUE(shown->visible);
  EXPECT_DOUBLE_EQ(shown->width, 144);
  EXPECT_DOUBLE_EQ(shown->height, 79.5);
  auto plain = second_->GetNote({3, 3});  // its drawing shape is no note: defaults
  ASSERT_TRUE(plain.has_value());
  EXPECT_FALSE(plain->visible);
  EXPECT_EQ(plain->boldLength, 0);
  EXPECT_FALSE(second_->GetNote({2, 1}).has_value());
}

TEST(ColumnWidthFromFile, FollowsTheFileFormatsPixelRule) {
  EXPECT_DOUBLE_EQ(ColumnWidthFromFile(9.140625), 8.43);
  EXPECT_DOUBLE_EQ(ColumnWidthFromFile(20.7109375), 20);
  EXPECT_DOUBLE_EQ(ColumnWidthFromFile(0), 0);
  EXPECT_DOUBLE_EQ(ColumnWidthFromFile(1e9), 255);
  EXPECT_NEAR(ColumnWidthFromFile(1), 0.58, 1e-12);  // 7 pixels: under one character
}

}  // namespace
}  // namespace kestrel
