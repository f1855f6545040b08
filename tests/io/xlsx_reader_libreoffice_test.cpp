// Reading workbooks LibreOffice writes (headless conversions), against openpyxl's reading of the
// same files and against what LibreOffice itself displays in their cells.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include "support/oracle_tools.h"
#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

class LibreOfficeWorkbook : public ::testing::Test {
 protected:
  void SetUp() override {
    KESTREL_NEED_ORACLE("soffice", "LibreOffice");
  }

  // Loads LibreOffice's copy of `source` and checks it against both oracles.
  std::unique_ptr<MemoryWorkbook> LoadAndCompare(const std::string& source, const std::string& label) {
    auto copy = LibreOfficeCopy(source, label);
    if (!copy) return nullptr;
    auto book = ReadXlsx(*copy);
    auto reading = OpenpyxlReading(*copy);
    EXPECT_GT(CheckFacts(*book, reading, AllKinds()), 20);
    CheckNoOtherCells(*book, reading);
    auto shown = LibreOfficeDisplay(*copy, label);
    EXPECT_GT(CheckFacts(*book, shown, {"display"}, {.skipGeneralNumberDisplays = true}), 4);
    return book;
  }
};

TEST_F(LibreOfficeWorkbook, ItsCopyOfAnOpenpyxlWorkbookReadsAsOpenpyxlAndLibreOfficeSeeIt) {
  ASSERT_FALSE(OpenpyxlFixture().xlsx.empty());
  auto book = LoadAndCompare(OpenpyxlFixture().xlsx, "openpyxl");
  ASSERT_NE(book, nullptr);
  MemoryWorksheet& data = *book->FindSheet("数据");
  // LibreOffice computed the results openpyxl could not write.
  EXPECT_EQ(data.Formula({5, 2}), "=SUM(B2:B3)");
  EXPECT_EQ(data.Value({5, 2}), CellValue(0.625));
  EXPECT_EQ(data.Value({5, 3}), CellValue("是"));
  // Its own spelling of the station format still displays as the host shows it.
  EXPECT_EQ(data.NumberFormat({2, 1}), "\\K0\\+000.000");
  EXPECT_EQ(data.Text({2, 1}), "K12+235.689");
  EXPECT_EQ(data.Text({2, 2}), "-3.500 ");
  EXPECT_EQ(book->ActiveIndex(), 3);
  EXPECT_EQ(data.Page().printTitleRows, "$1:$3");
  EXPECT_EQ(data.Merges(), (std::vector<RangeRef>{RangeRef::Block(9, 1, 9, 3)}));
}

TEST_F(LibreOfficeWorkbook, ItsCopyOfAHandWrittenPackageKeepsFormulasStringsAndNotes) {
  ASSERT_FALSE(RawFixture().xlsx.empty());
  auto book = LoadAndCompare(RawFixture().xlsx, "raw");
  ASSERT_NE(book, nullptr);
  MemoryWorksheet& formulas = *book->FindSheet("公式");
  EXPECT_EQ(formulas.Formula({4, 2}), "=A4*2+$A$1");
  EXPECT_EQ(formulas.Value({7, 2}), CellValue("m2"));
  EXPECT_EQ(formulas.SuperscriptRuns({7, 2}), (std::vector<TextRun>{{2, 1}}));
  auto note = book->FindSheet("第 2 表")->GetNote({1, 1});
  ASSERT_TRUE(note.has_value());
  EXPECT_EQ(note->text, "测量:\n高程 7 m");  // LibreOffice writes the runs without bold
}

TEST_F(LibreOfficeWorkbook, ItsOwnWorkbookFromACsvFileWithFormulas) {
  std::string csv = FixtureDir() / "断面.csv";
  WriteBytes(csv,
             "桩号,偏距,高程\n12235.689,-3.5,101.25\n12300,4.125,=C2+0.5\n"
             "\"K12,300\",=A2*2,=SUM(C2:C3)\n,,=1/0\n");
  auto book = LoadAndCompare(csv, "csv");
  ASSERT_NE(book, nullptr);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.SheetName(), "断面");
  EXPECT_EQ(sheet.Formula({3, 3}), "=C2+0.5");
  EXPECT_EQ(sheet.Value({3, 3}), CellValue(101.75));
  EXPECT_EQ(sheet.Value({4, 3}), CellValue(203));
  EXPECT_EQ(sheet.Value({5, 3}), CellValue::Error(CellError::Div0));
  EXPECT_EQ(sheet.Value({4, 1}), CellValue("K12,300"));
  // LibreOffice's default row height is the sheet default: no row gets a height of its own.
  EXPECT_DOUBLE_EQ(sheet.RowHeight(2), kStandardRowHeight);
}

}  // namespace
}  // namespace kestrel
