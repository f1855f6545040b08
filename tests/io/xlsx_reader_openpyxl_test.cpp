// Reading a workbook written by openpyxl (an Excel-style writer): against what the script wrote,
// and against openpyxl's own reading of the same file.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

class OpenpyxlWorkbook : public ::testing::Test {
 protected:
  void SetUp() override {
    const Fixture& fixture = OpenpyxlFixture();
    ASSERT_FALSE(fixture.xlsx.empty());
    book_ = ReadXlsx(fixture.xlsx);
  }
  MemoryWorksheet& Data() { return *book_->FindSheet("数据"); }
  std::unique_ptr<MemoryWorkbook> book_;
};

TEST_F(OpenpyxlWorkbook, HoldsEverythingTheWriterStated) {
  const auto& facts = OpenpyxlFixture().facts;
  EXPECT_GT(CheckFacts(*book_, facts, AllKinds()), 100);
  CheckNoOtherCells(*book_, facts);
}

TEST_F(OpenpyxlWorkbook, AgreesWithOpenpyxlReadingTheSameFile) {
  auto reading = OpenpyxlReading(OpenpyxlFixture().xlsx);
  ASSERT_FALSE(reading.empty());
  EXPECT_GT(CheckFacts(*book_, reading, AllKinds()), 100);
  CheckNoOtherCells(*book_, reading);
}

TEST_F(OpenpyxlWorkbook, TextsThatLookLikeNumbersStayTexts) {
  EXPECT_EQ(Data().Value({2, 4}), CellValue("0050"));
  EXPECT_EQ(Data().Text({2, 4}), "0050");
  EXPECT_EQ(Data().Value({7, 1}), CellValue("  spaced  "));
}

TEST_F(OpenpyxlWorkbook, StationAndOffsetFormatsDisplayAsTheHostShowsThem) {
  EXPECT_EQ(Data().NumberFormat({2, 1}), "\"K\"0+000.000");
  EXPECT_EQ(Data().Text({2, 1}), "K12+235.689");
  EXPECT_EQ(Data().Text({2, 2}), "-3.500 ");
  EXPECT_EQ(Data().Text({3, 2}), "4.125 ");
}

TEST_F(OpenpyxlWorkbook, FormulasWithoutCachedResultsReadEmpty) {
  EXPECT_EQ(Data().Formula({5, 3}), "=IF(B4,\"是\",\"否\")");
  EXPECT_TRUE(Data().Value({5, 3}).IsEmpty());
  EXPECT_EQ(Data().FormulaCount(), 4);
}

TEST_F(OpenpyxlWorkbook, KeepsSheetOrderVisibilityAndTheActiveSheet) {
  ASSERT_EQ(book_->SheetCount(), 4);
  EXPECT_EQ(book_->Sheet(1).SheetName(), "隐藏");
  EXPECT_TRUE(book_->Sheet(1).Hidden());
  EXPECT_TRUE(book_->Sheet(2).Hidden());  // veryHidden
  EXPECT_FALSE(book_->Sheet(3).Hidden());
  EXPECT_EQ(book_->ActiveIndex(), 3);
  EXPECT_EQ(book_->ActiveSheet().Name(), "Active");
}

TEST_F(OpenpyxlWorkbook, PageSetupInPointsWithPrintTitles) {
  const PageSetup& page = Data().Page();
  EXPECT_EQ(page.orientation, Orientation::Landscape);
  EXPECT_DOUBLE_EQ(page.leftMargin, 36);
  EXPECT_DOUBLE_EQ(page.footerMargin, 18);
  EXPECT_EQ(page.printTitleRows, "$1:$3");
  EXPECT_EQ(book_->FindSheet("Active")->Page().printTitleRows, "");
}

TEST_F(OpenpyxlWorkbook, CellsWithoutAFormatOfTheirOwnKeepTheSheetDefault) {
  CellStyle plain = Data().EffectiveStyle({6, 1});  // 0.1, written without a style
  EXPECT_EQ(plain, CellStyle{});
  CellStyle bold = Data().EffectiveStyle({1, 1});
  EXPECT_TRUE(bold.font.bold);
  EXPECT_EQ(bold.font.color, 255);  // red, in the host's numbering
}

TEST_F(OpenpyxlWorkbook, NoteTakesItsSizeFromTheDrawing) {
  auto note = Data().GetNote({2, 1});
  ASSERT_TRUE(note.has_value());
  EXPECT_FALSE(note->visible);
  EXPECT_DOUBLE_EQ(note->width, 150);  // 200 pixels
  EXPECT_DOUBLE_EQ(note->height, 75);  // 100 pixels
  EXPECT_EQ(note->boldLength, 0);
}

}  // namespace
}  // namespace kestrel
