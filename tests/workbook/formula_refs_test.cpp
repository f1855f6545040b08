// Tests of reference adjustment in formula text, worked out by hand as a spreadsheet adjusts them.
#include <gtest/gtest.h>

#include "workbook/formula_refs.h"

namespace kestrel {
namespace {

RefShift InsertRows(int at, int count) { return {RefAxis::Rows, at, count, true}; }
RefShift DeleteRows(int at, int count) { return {RefAxis::Rows, at, count, false}; }
RefShift InsertColumns(int at, int count) { return {RefAxis::Columns, at, count, true}; }
RefShift DeleteColumns(int at, int count) { return {RefAxis::Columns, at, count, false}; }

std::string Own(std::string_view formula, const RefShift& shift) {
  return ShiftReferences(formula, shift, "Sheet1", true);
}

TEST(FormulaRefsTest, SpanMovesGrowsAndShrinks) {
  using Span = std::optional<std::pair<int, int>>;
  EXPECT_EQ(ShiftSpan(5, 20, InsertRows(5, 1)), Span({6, 21}));   // at its first row: moves
  EXPECT_EQ(ShiftSpan(5, 20, InsertRows(10, 2)), Span({5, 22}));  // inside: grows
  EXPECT_EQ(ShiftSpan(5, 20, InsertRows(21, 3)), Span({5, 20}));  // below: unchanged
  EXPECT_EQ(ShiftSpan(5, 20, DeleteRows(3, 4)), Span({3, 16}));   // cuts its top
  EXPECT_EQ(ShiftSpan(5, 20, DeleteRows(10, 3)), Span({5, 17}));  // inside
  EXPECT_EQ(ShiftSpan(5, 20, DeleteRows(18, 8)), Span({5, 17}));  // cuts its bottom
  EXPECT_EQ(ShiftSpan(5, 20, DeleteRows(1, 2)), Span({3, 18}));   // above
  EXPECT_EQ(ShiftSpan(5, 20, DeleteRows(5, 16)), Span());          // all of it
  EXPECT_EQ(ShiftSpan(1048576, 1048576, InsertRows(1, 1)), Span());  // pushed off the sheet
}

TEST(FormulaRefsTest, InsertedRowsMoveRelativeAndAbsoluteReferences) {
  EXPECT_EQ(Own("=A5-A4", InsertRows(5, 1)), "=A6-A4");
  EXPECT_EQ(Own("=A5-A4", InsertRows(4, 1)), "=A6-A5");
  EXPECT_EQ(Own("=$A$5+A$5+$A5+A5", InsertRows(3, 2)), "=$A$7+A$7+$A7+A7");
  EXPECT_EQ(Own("=A5-A4", InsertRows(6, 10)), "=A5-A4");
}

TEST(FormulaRefsTest, DeletedRowsGiveRefErrors) {
  EXPECT_EQ(Own("=A5-A4", DeleteRows(4, 1)), "=A4-#REF!");
  EXPECT_EQ(Own("=(B9+B8)/2*D9", DeleteRows(2, 3)), "=(B6+B5)/2*D6");
  EXPECT_EQ(Own("=$C$3*2", DeleteRows(3, 1)), "=#REF!*2");
}

TEST(FormulaRefsTest, RangesShrinkAndGrow) {
  EXPECT_EQ(Own("=SUM(D5:D20)", DeleteRows(3, 4)), "=SUM(D3:D16)");
  EXPECT_EQ(Own("=SUM(D5:D20)", DeleteRows(10, 3)), "=SUM(D5:D17)");
  EXPECT_EQ(Own("=SUM(D5:D20)", DeleteRows(5, 16)), "=SUM(#REF!)");
  EXPECT_EQ(Own("=SUM(D5:D20)", InsertRows(10, 2)), "=SUM(D5:D22)");
  EXPECT_EQ(Own("=SUM(D5:D20)", InsertRows(5, 1)), "=SUM(D6:D21)");
  EXPECT_EQ(Own("=SUM(D5:D20)", InsertRows(21, 1)), "=SUM(D5:D20)");
  EXPECT_EQ(Own("=SUM($D$5:$E$20)", DeleteColumns(5, 1)), "=SUM($D$5:$D$20)");
}

TEST(FormulaRefsTest, TextInQuotesIsNotTouched) {
  EXPECT_EQ(Own("=\"A5\"&A5", InsertRows(1, 1)), "=\"A5\"&A6");
  EXPECT_EQ(Own("=\"say \"\"B2\"\"\"&B2", InsertRows(1, 1)), "=\"say \"\"B2\"\"\"&B3");
  EXPECT_EQ(Own("=\"200,\" & 0+M1", DeleteColumns(9, 2)), "=\"200,\" & 0+K1");
}

TEST(FormulaRefsTest, FunctionNamesNumbersAndNamesAreNoReferences) {
  EXPECT_EQ(Own("=LOG10(A10)+ATAN2(B2,C2)", InsertRows(1, 1)), "=LOG10(A11)+ATAN2(B3,C3)");
  EXPECT_EQ(Own("=A1*1E5+2.5E-3+7", InsertRows(1, 1)), "=A2*1E5+2.5E-3+7");
  EXPECT_EQ(Own("=ABCD1+TRUE+total_1+A1", InsertRows(1, 1)), "=ABCD1+TRUE+total_1+A2");
}

TEST(FormulaRefsTest, ColumnsMoveLikeRows) {
  EXPECT_EQ(Own("=B1+C1", InsertColumns(2, 1)), "=C1+D1");
  EXPECT_EQ(Own("=B1+C1", DeleteColumns(2, 1)), "=#REF!+B1");
  EXPECT_EQ(Own("=SUM(B1:D1)", DeleteColumns(3, 1)), "=SUM(B1:C1)");
  EXPECT_EQ(Own("=Z1+AA1", InsertColumns(26, 1)), "=AA1+AB1");
}

TEST(FormulaRefsTest, WholeColumnAndWholeRowReferences) {
  EXPECT_EQ(Own("=SUM(E:E)", InsertRows(1, 5)), "=SUM(E:E)");
  EXPECT_EQ(Own("=SUM(E:E)", InsertColumns(3, 1)), "=SUM(F:F)");
  EXPECT_EQ(Own("=SUM($B:D)", DeleteColumns(3, 1)), "=SUM($B:C)");
  EXPECT_EQ(Own("=SUM(3:5)", InsertRows(4, 1)), "=SUM(3:6)");
  EXPECT_EQ(Own("=SUM(3:5)", InsertColumns(1, 1)), "=SUM(3:5)");
  EXPECT_EQ(Own("$1:$3", InsertRows(2, 1)), "$1:$4");
}

TEST(FormulaRefsTest, QualifiedReferencesMoveOnlyWithTheirSheet) {
  // A formula on another sheet: only references naming the changed sheet move.
  EXPECT_EQ(ShiftReferences("=Data!A5+A5", InsertRows(1, 1), "Data", false), "=Data!A6+A5");
  EXPECT_EQ(ShiftReferences("='My Data'!B2*2", InsertRows(1, 1), "My Data", false), "='My Data'!B3*2");
  EXPECT_EQ(ShiftReferences("='It''s'!B2", InsertRows(1, 1), "It's", false), "='It''s'!B3");
  EXPECT_EQ(ShiftReferences("=data!A5", DeleteRows(5, 1), "Data", false), "=data!#REF!");
  EXPECT_EQ(ShiftReferences("=数据!A5+A5", InsertRows(1, 1), "数据", false), "=数据!A6+A5");
  // A formula on the changed sheet: its own references move, other sheets' stay.
  EXPECT_EQ(Own("=Other!A5+A5+Sheet1!A5", InsertRows(1, 1)), "=Other!A5+A6+Sheet1!A6");
}

TEST(FormulaRefsTest, CopiedFormulasMoveOnlyRelativeParts) {
  EXPECT_EQ(OffsetReferences("=A5+$B$5*B$4", -2, 0), "=A3+$B$5*B$4");
  EXPECT_EQ(OffsetReferences("=A5+$B$5*$B4", 3, 1), "=B8+$B$5*$B7");
  EXPECT_EQ(OffsetReferences("=SUM(A1:B2)", 0, 1), "=SUM(B1:C2)");
  EXPECT_EQ(OffsetReferences("=A1+1", -1, 0), "=#REF!+1");
  EXPECT_EQ(OffsetReferences("=\"A1\"&A1", 1, 0), "=\"A1\"&A2");
}

}  // namespace
}  // namespace kestrel
