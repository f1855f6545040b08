// Tests of the memory worksheet's cells: typed values, formulas, display text, blocks, End-up.
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "workbook/memory_worksheet.h"
#include "sheet_test_helpers.h"

namespace kestrel {
namespace {

using testing::Cell;
using testing::Range;

TEST(MemoryWorksheetValuesTest, TextThatReadsAsANumberIsStoredAsTheNumber) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), "12.50");
  sheet.SetValue(Cell("A2"), " 0050 ");
  sheet.SetValue(Cell("A3"), "K12+235.689");
  sheet.SetValue(Cell("A4"), "-3e2");
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue(12.5));
  EXPECT_EQ(sheet.Value(Cell("A2")), CellValue(50));
  EXPECT_EQ(sheet.Value(Cell("A3")), CellValue("K12+235.689"));
  EXPECT_EQ(sheet.Value(Cell("A4")), CellValue(-300));
  EXPECT_EQ(sheet.Formula(Cell("A1")), "12.5");
}

TEST(MemoryWorksheetValuesTest, TextFormatKeepsTextButNotNumbers) {
  MemoryWorksheet sheet;
  sheet.SetNumberFormat(Range("B:B"), "@");
  sheet.SetValue(Cell("B1"), "0050");
  sheet.SetValue(Cell("B2"), "=A1*2");
  sheet.SetValue(Cell("B3"), CellValue(7.25));
  EXPECT_EQ(sheet.Value(Cell("B1")), CellValue("0050"));
  EXPECT_EQ(sheet.Value(Cell("B2")), CellValue("=A1*2"));  // no formula in a text cell
  EXPECT_EQ(sheet.FormulaCount(), 0);
  EXPECT_EQ(sheet.Value(Cell("B3")), CellValue(7.25));
  EXPECT_EQ(sheet.Text(Cell("B3")), "7.25");
}

TEST(MemoryWorksheetValuesTest, FormulaKeepsItsTextAndShowsItsCachedValue) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), 12);
  sheet.SetValue(Cell("B1"), "=A1*2");
  EXPECT_EQ(sheet.Formula(Cell("B1")), "=A1*2");
  EXPECT_TRUE(sheet.Value(Cell("B1")).IsEmpty());
  EXPECT_EQ(sheet.Text(Cell("B1")), "");
  sheet.SetCachedValue(Cell("B1"), CellValue(24));
  EXPECT_EQ(sheet.Value(Cell("B1")), CellValue(24));
  EXPECT_EQ(sheet.Text(Cell("B1")), "24");
  EXPECT_EQ(sheet.FormulaCount(), 1);
  EXPECT_THROW(sheet.SetCachedValue(Cell("A1"), CellValue(1)), std::invalid_argument);
  // Writing a constant over the formula ends it.
  sheet.SetValue(Cell("B1"), 3);
  EXPECT_EQ(sheet.Formula(Cell("B1")), "3");
  EXPECT_EQ(sheet.FormulaCount(), 0);
}

TEST(MemoryWorksheetValuesTest, EmptyTextEmptiesTheCell) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("C3"), "x");
  sheet.SetValue(Cell("C3"), "");
  EXPECT_TRUE(sheet.Value(Cell("C3")).IsEmpty());
  EXPECT_TRUE(sheet.UsedCells().empty());
  EXPECT_FALSE(sheet.UsedRange().has_value());
}

TEST(MemoryWorksheetValuesTest, FormulaBarShowsConstantsAsTyped) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), CellValue(0.1 + 0.2));
  sheet.SetValue(Cell("A2"), CellValue::Boolean(true));
  sheet.SetValue(Cell("A3"), CellValue::Error(CellError::NA));
  sheet.SetValue(Cell("A4"), "abc");
  EXPECT_EQ(sheet.Formula(Cell("A1")), "0.3");
  EXPECT_EQ(sheet.Formula(Cell("A2")), "TRUE");
  EXPECT_EQ(sheet.Formula(Cell("A3")), "#N/A");
  EXPECT_EQ(sheet.Formula(Cell("A4")), "abc");
  EXPECT_EQ(sheet.Formula(Cell("A5")), "");
}

TEST(MemoryWorksheetValuesTest, DisplayTextFollowsTheNumberFormat) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), 1234567890123.0);
  sheet.SetValue(Cell("A2"), 12235.689);
  sheet.SetNumberFormat(Range("A2"), "\"K\"0+000.000");
  sheet.SetValue(Cell("A3"), 3.14159);
  sheet.SetNumberFormat(Range("A3"), "0.00");
  sheet.SetValue(Cell("A4"), -1.5);
  sheet.SetNumberFormat(Range("A4"), "0.000_ ;[Red]-0.000 ");
  sheet.SetValue(Cell("A5"), 1234567890123.0);
  sheet.SetNumberFormat(Range("A5"), "@");
  sheet.SetValue(Cell("A6"), CellValue::Boolean(false));
  sheet.SetValue(Cell("A7"), CellValue::Error(CellError::Div0));
  sheet.SetValue(Cell("A8"), "text stays");
  EXPECT_EQ(sheet.Text(Cell("A1")), "1.23457E+12");
  EXPECT_EQ(sheet.Text(Cell("A2")), "K12+235.689");
  EXPECT_EQ(sheet.Text(Cell("A3")), "3.14");
  EXPECT_EQ(sheet.Text(Cell("A4")), "-1.500 ");
  EXPECT_EQ(sheet.Text(Cell("A5")), "1234567890123");
  EXPECT_EQ(sheet.Text(Cell("A6")), "FALSE");
  EXPECT_EQ(sheet.Text(Cell("A7")), "#DIV/0!");
  EXPECT_EQ(sheet.Text(Cell("A8")), "text stays");
  EXPECT_EQ(sheet.Text(Cell("A9")), "");
}

TEST(MemoryWorksheetValuesTest, FormatCodesReadBackAsWrittenAndGeneralIsTheDefault) {
  MemoryWorksheet sheet;
  EXPECT_EQ(sheet.NumberFormat(Cell("F1")), "General");
  sheet.SetNumberFormat(Range("F:F"), "0.00");
  sheet.SetNumberFormat(Range("F:F"), "General");
  EXPECT_EQ(sheet.NumberFormat(Cell("F9")), "General");
  sheet.SetNumberFormat(Range("B4:N7"), "0.000_ ;[Red]-0.000 ");
  EXPECT_EQ(sheet.NumberFormat(Cell("N7")), "0.000_ ;[Red]-0.000 ");
  EXPECT_EQ(sheet.NumberFormat(Cell("O7")), "General");
}

TEST(MemoryWorksheetValuesTest, BlocksReadAndWriteCellByCell) {
  MemoryWorksheet sheet;
  sheet.SetNumberFormat(Range("C:C"), "@");
  Grid g(2, 3);
  g.At(0, 0) = "7";
  g.At(0, 1) = "abc";
  g.At(0, 2) = "7";
  g.At(1, 0) = "=B5+1";
  g.At(1, 1) = CellValue::Boolean(true);
  g.At(1, 2) = 2.5;
  sheet.SetValues(Cell("A5"), g);

  Grid back = sheet.Values(Range("A4:D6"));
  ASSERT_EQ(back.Rows(), 3);
  ASSERT_EQ(back.Columns(), 4);
  EXPECT_TRUE(back.At(0, 0).IsEmpty());
  EXPECT_EQ(back.At(1, 0), CellValue(7));
  EXPECT_EQ(back.At(1, 1), CellValue("abc"));
  EXPECT_EQ(back.At(1, 2), CellValue("7"));  // column C is text
  EXPECT_TRUE(back.At(2, 0).IsEmpty());      // a formula not yet calculated
  EXPECT_EQ(sheet.Formula(Cell("A6")), "=B5+1");
  EXPECT_EQ(back.At(2, 1), CellValue::Boolean(true));
  EXPECT_EQ(back.At(2, 2), CellValue(2.5));
  EXPECT_TRUE(back.At(2, 3).IsEmpty());

  auto texts = sheet.Texts(Range("A5:C6"));
  EXPECT_EQ(texts, (std::vector<std::string>{"7", "abc", "7", "", "TRUE", "2.5"}));
}

TEST(MemoryWorksheetValuesTest, BlockWriteOfItsOwnValuesTurnsNumberTextIntoNumbers) {
  // As the initial sort does with column F: read the values, write them back onto themselves.
  MemoryWorksheet sheet;
  sheet.SetNumberFormat(Range("F:F"), "@");
  sheet.SetValue(Cell("F1"), "-2.5");
  sheet.SetValue(Cell("F2"), "left");
  sheet.SetNumberFormat(Range("F:F"), "General");
  EXPECT_EQ(sheet.Value(Cell("F1")), CellValue("-2.5"));
  sheet.SetValues(Cell("F1"), sheet.Values(Range("F1:F2")));
  EXPECT_EQ(sheet.Value(Cell("F1")), CellValue(-2.5));
  EXPECT_EQ(sheet.Value(Cell("F2")), CellValue("left"));
}

TEST(MemoryWorksheetValuesTest, EverythingOutsideTheSheetIsAHostError) {
  MemoryWorksheet sheet;
  EXPECT_THROW(sheet.Value({0, 1}), HostError);
  EXPECT_THROW(sheet.Value({kMaxRows + 1, 1}), HostError);
  EXPECT_THROW(sheet.SetValue({1, kMaxColumns + 1}, 1), HostError);
  EXPECT_THROW(sheet.Text({1, 0}), HostError);
  EXPECT_THROW(sheet.SetValues({kMaxRows, 1}, Grid(2, 1)), HostError);
  EXPECT_THROW(sheet.Values(RangeRef::Block(3, 1, 2, 1)), HostError);
  EXPECT_THROW(sheet.SetRowHeight(2, kMaxRows + 1, 25), HostError);
  EXPECT_THROW(sheet.SetColumnWidth(0, 2, 10), HostError);
  EXPECT_THROW(sheet.InsertRows(0, 1), HostError);
  EXPECT_THROW(sheet.DeleteRows(kMaxRows, 2), HostError);
  EXPECT_THROW(sheet.InsertColumns(3, 0), HostError);
  EXPECT_THROW(sheet.EndUp({kMaxRows + 1, 5}), HostError);
  EXPECT_NO_THROW(sheet.SetValue({kMaxRows, kMaxColumns}, 1));
  EXPECT_EQ(sheet.Value({kMaxRows, kMaxColumns}), CellValue(1));
}

class MemoryWorksheetEndUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Column E: filled blocks at rows 1-3, 5-7 and 10.
    for (int row : {1, 2, 3, 5, 6, 7, 10}) sheet.SetValue({row, 5}, row * 100);
  }
  MemoryWorksheet sheet;
};

TEST_F(MemoryWorksheetEndUpTest, FromAnEmptyCellGoesToTheNearestFilledCellAbove) {
  EXPECT_EQ(sheet.EndUp(Cell("E65536")), 10);
  EXPECT_EQ(sheet.EndUp(Cell("E9")), 7);
  EXPECT_EQ(sheet.EndUp(Cell("E4")), 3);
  EXPECT_EQ(sheet.EndUp(Cell("F65536")), 1);  // nothing above
}

TEST_F(MemoryWorksheetEndUpTest, FromAFilledCellUnderAFilledOneGoesToTheTopOfTheBlock) {
  EXPECT_EQ(sheet.EndUp(Cell("E7")), 5);
  EXPECT_EQ(sheet.EndUp(Cell("E6")), 5);
  EXPECT_EQ(sheet.EndUp(Cell("E3")), 1);
}

TEST_F(MemoryWorksheetEndUpTest, FromAFilledCellUnderAnEmptyOneJumpsToTheNextFilledCell) {
  EXPECT_EQ(sheet.EndUp(Cell("E10")), 7);
  EXPECT_EQ(sheet.EndUp(Cell("E5")), 3);
  EXPECT_EQ(sheet.EndUp(Cell("E1")), 1);
  sheet.SetValue(Cell("G4"), "alone");
  EXPECT_EQ(sheet.EndUp(Cell("G4")), 1);
}

TEST_F(MemoryWorksheetEndUpTest, FormulasCountAsFilledButFormatsAndNotesDoNot) {
  sheet.SetValue(Cell("G3"), "=1+1");
  EXPECT_EQ(sheet.EndUp(Cell("G100")), 3);
  sheet.SetNote(Cell("H5"), Note{"note only"});
  FontChange bold;
  bold.bold = true;
  sheet.SetFont(Range("H8"), bold);
  EXPECT_EQ(sheet.EndUp(Cell("H100")), 1);
}

TEST_F(MemoryWorksheetEndUpTest, FindsTheLastRowBelowManyChunksOfRows) {
  for (int row = 11; row <= 3000; ++row) sheet.SetValue({row, 5}, row);
  sheet.SetValue({2000, 5}, "");
  EXPECT_EQ(sheet.EndUp(Cell("E65536")), 3000);
  EXPECT_EQ(sheet.EndUp(Cell("E3000")), 2001);
  EXPECT_EQ(sheet.EndUp(Cell("E2001")), 1999);
  EXPECT_EQ(sheet.EndUp(Cell("E1999")), 10);  // rows 10 to 1999 are one block
}

}  // namespace
}  // namespace kestrel
