// Tests of the formula calculator: the host's arithmetic, references, SUM, errors, circles, scale.
#include "workbook/formula_eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sheet_test_helpers.h"

namespace kestrel {
namespace {

using testing::Cell;

class FormulaEvalTest : public ::testing::Test {
 protected:
  FormulaEvalTest() : sheet_(book_.Sheet(0)) {
    sheet_.SetValue(Cell("A4"), 12230);
    sheet_.SetValue(Cell("A5"), 12240.5);
    sheet_.SetValue(Cell("B4"), 3);
    sheet_.SetValue(Cell("B5"), 5);
    sheet_.SetValue(Cell("D5"), "=A5-A4");
  }

  std::optional<CellValue> Eval(std::string_view formula) { return EvaluateFormula(book_, 0, formula); }
  CellValue Computed(std::string_view formula) {
    auto v = Eval(formula);
    EXPECT_TRUE(v.has_value()) << formula;
    return v.value_or(CellValue("<not computed>"));
  }
  static CellValue Error(CellError e) { return CellValue::Error(e); }

  MemoryWorkbook book_;
  MemoryWorksheet& sheet_;
};

TEST_F(FormulaEvalTest, ComputesTheVolumeSheetFormulas) {
  EXPECT_EQ(Computed("=A5-A4"), CellValue(10.5));
  EXPECT_EQ(Computed("=(B5+B4)/2*D5"), CellValue(42.0));
  sheet_.SetValue(Cell("D6"), "=A6-A5");  // the station of row 6 is still empty
  EXPECT_EQ(Computed("=SUM(D5:D6)"), CellValue(10.5 - 12240.5));
}

TEST_F(FormulaEvalTest, OperatorsFollowTheUsualPrecedence) {
  EXPECT_EQ(Computed("=2+3*4"), CellValue(14.0));
  EXPECT_EQ(Computed("=(2+3)*4"), CellValue(20.0));
  EXPECT_EQ(Computed("=10-4-3"), CellValue(3.0));
  EXPECT_EQ(Computed("=12/3/2"), CellValue(2.0));
  EXPECT_EQ(Computed("=-2*3"), CellValue(-6.0));
  EXPECT_EQ(Computed("=2*-3"), CellValue(-6.0));
  EXPECT_EQ(Computed("=+B5"), CellValue(5.0));
  EXPECT_EQ(Computed("=-(B5-B4)"), CellValue(-2.0));
  EXPECT_EQ(Computed("=1&2+3"), CellValue("15"));
  EXPECT_EQ(Computed("= ( B5 + B4 ) / 2 "), CellValue(4.0));
  EXPECT_EQ(Computed("=1.5e3+.5"), CellValue(1500.5));
}

TEST_F(FormulaEvalTest, ReferencesInEveryForm) {
  EXPECT_EQ(Computed("=$A$5-A$4+$B5*0"), CellValue(10.5));
  EXPECT_EQ(Computed("=a5-a4"), CellValue(10.5));
  book_.AppendSheet("Sheet2").SetValue(Cell("C3"), 7);
  book_.AppendSheet("Ramp area").SetValue(Cell("B2"), 100);
  book_.AppendSheet("It's").SetValue(Cell("A1"), 1000);
  book_.AppendSheet("土方").SetValue(Cell("A1"), 20000);
  EXPECT_EQ(Computed("=Sheet2!C3*2"), CellValue(14.0));
  EXPECT_EQ(Computed("=sheet2!$C$3+1"), CellValue(8.0));
  EXPECT_EQ(Computed("='Ramp area'!B2+'It''s'!A1"), CellValue(1100.0));
  EXPECT_EQ(Computed("=土方!A1+'土方'!A1"), CellValue(40000.0));
  EXPECT_EQ(Computed("=SUM('Ramp area'!A1:C3,Sheet2!C:C)"), CellValue(107.0));
  // A formula on another sheet reads its own sheet's cells without a name.
  book_.Sheet(1).SetValue(Cell("C4"), "=C3+Sheet1!B5");
  EXPECT_EQ(Computed("=Sheet2!C4"), CellValue(12.0));
  EXPECT_EQ(EvaluateFormula(book_, 1, "=C3"), CellValue(7.0));
}

TEST_F(FormulaEvalTest, TextsWithDoubledQuotesAndJoining) {
  EXPECT_EQ(Computed("=\"say \"\"hi\"\"\""), CellValue("say \"hi\""));
  EXPECT_EQ(Computed("=\"200,\" & 0+K1"), CellValue("200,0"));
  EXPECT_EQ(Computed("=\"K\"&A5"), CellValue("K12240.5"));
  EXPECT_EQ(Computed("=1/3&\"\""), CellValue("0.333333333333333"));
  EXPECT_EQ(Computed("=K1&\"x\"&K2"), CellValue("x"));
  EXPECT_EQ(Computed("=TRUE&\"\""), CellValue("TRUE"));
  EXPECT_EQ(Computed("=\"\""), CellValue(""));
}

TEST_F(FormulaEvalTest, EmptyCellsAreZeroAndAFormulaOnOneShowsZero) {
  EXPECT_EQ(Computed("=K1+1"), CellValue(1.0));
  EXPECT_EQ(Computed("=K1"), CellValue(0.0));
  auto negatedZero = Computed("=-K1");
  ASSERT_TRUE(negatedZero.IsNumber());
  EXPECT_FALSE(std::signbit(negatedZero.Number()));
}

TEST_F(FormulaEvalTest, TextsCountAsNumbersOnlyWhenTheyReadAsOne) {
  sheet_.LoadCell(Cell("C1"), CellValue("12"));
  sheet_.LoadCell(Cell("C2"), CellValue(" 2.5 "));
  sheet_.LoadCell(Cell("C3"), CellValue("K12"));
  sheet_.LoadCell(Cell("C4"), CellValue::Boolean(true));
  EXPECT_EQ(Computed("=C1+1"), CellValue(13.0));
  EXPECT_EQ(Computed("=C2*2"), CellValue(5.0));
  EXPECT_EQ(Computed("=C3+1"), Error(CellError::Value));
  EXPECT_EQ(Computed("=\"\"+1"), Error(CellError::Value));
  EXPECT_EQ(Computed("=--\"3\""), CellValue(3.0));
  EXPECT_EQ(Computed("=C4+1"), CellValue(2.0));
  EXPECT_EQ(Computed("=C1"), CellValue("12"));  // a reference alone keeps the text
}

TEST_F(FormulaEvalTest, ErrorsPropagateLeftOperandFirst) {
  sheet_.LoadCell(Cell("C1"), Error(CellError::NA));
  EXPECT_EQ(Computed("=1/0"), Error(CellError::Div0));
  EXPECT_EQ(Computed("=B5/K1"), Error(CellError::Div0));
  EXPECT_EQ(Computed("=C1+1"), Error(CellError::NA));
  EXPECT_EQ(Computed("=C1+1/0"), Error(CellError::NA));
  EXPECT_EQ(Computed("=1/0+C1"), Error(CellError::Div0));
  EXPECT_EQ(Computed("=(1/0)&\"a\""), Error(CellError::Div0));
  EXPECT_EQ(Computed("=-C1"), Error(CellError::NA));
  EXPECT_EQ(Computed("=SUM(B4,C1)"), Error(CellError::NA));
  EXPECT_EQ(Computed("=1E308*10"), Error(CellError::Num));
  // Where deleted cells were referred to, the host shows #REF!, whatever else the formula holds.
  EXPECT_EQ(Computed("=Sheet1!#REF!*2+C1"), Error(CellError::Ref));
  EXPECT_EQ(Computed("=SUM(B4,#REF!)&\"m\""), Error(CellError::Ref));
}

TEST_F(FormulaEvalTest, SumAddsNumbersAndSkipsWhatTheHostSkips) {
  sheet_.LoadCell(Cell("E1"), CellValue(1.5));
  sheet_.LoadCell(Cell("E2"), CellValue("100"));  // a text in a cell: skipped
  sheet_.LoadCell(Cell("E3"), CellValue("abc"));
  sheet_.LoadCell(Cell("E4"), CellValue::Boolean(true));
  sheet_.LoadCell(Cell("E6"), CellValue(2));
  sheet_.SetValue(Cell("E7"), "=E1*2");
  EXPECT_EQ(Computed("=SUM(E1:E7)"), CellValue(6.5));
  EXPECT_EQ(Computed("=SUM(E7:E1)"), CellValue(6.5));
  EXPECT_EQ(Computed("=SUM(E:E)"), CellValue(6.5));
  EXPECT_EQ(Computed("=SUM(E2)"), CellValue(0.0));
  EXPECT_EQ(Computed("=SUM(E1:E2,B4,10,\"4\",TRUE)"), CellValue(19.5));
  EXPECT_EQ(Computed("=SUM(\"x\")"), Error(CellError::Value));
  EXPECT_EQ(Computed("=sum(4:5)"), CellValue(12230 + 12240.5 + 3 + 5 + 10.5));
  EXPECT_EQ(Computed("=SUM((B4+B5)*2,1)"), CellValue(17.0));
}

TEST_F(FormulaEvalTest, AReferenceToAFormulaUsesItsRecomputedValue) {
  sheet_.SetCachedValue(Cell("D5"), 999);  // stale
  EXPECT_EQ(Computed("=D5*2"), CellValue(21.0));
  sheet_.SetValue(Cell("D6"), "=D5&\"m\"");
  EXPECT_EQ(Computed("=D6"), CellValue("10.5m"));
}

TEST_F(FormulaEvalTest, WhatItDoesNotUnderstandIsNotComputed) {
  for (const char* f : {"=ROUND(A4,0)", "=IF(A4)", "=A4^2",  "=#REF",     "=#N/A",    "=Nowhere!A1", "=A4:A5", "=1+",
                        "=(1",          "=\"open", "=SUM()", "=SUM(A4,)", "=A4 A5",   "=XFE1",       "=A0",    "=10%",
                        "=A4:B",        "A4",      "",       "=1A",       "=Sheet1!", "=SUM(A4:A5"})
    EXPECT_FALSE(Eval(f).has_value()) << f;
  std::string deep = "=" + std::string(200, '(') + "1" + std::string(200, ')');
  EXPECT_FALSE(Eval(deep).has_value());
  EXPECT_EQ(Computed("=" + std::string(20, '(') + "1" + std::string(20, ')')), CellValue(1.0));
}

// The distribution table's formulas: comparisons, IF, MIN, ABS and the page and kilometre sums.
TEST_F(FormulaEvalTest, ComparisonsConditionsAndConditionalSums) {
  sheet_.SetValue(Cell("A6"), "本页合计");
  sheet_.SetValue(Cell("B6"), "=SUM(B4:B5)");
  EXPECT_EQ(Computed("=A4<A5"), CellValue::Boolean(true));
  EXPECT_EQ(Computed("=B4*2>=6"), CellValue::Boolean(true));
  EXPECT_EQ(Computed("=A6>A5"), CellValue::Boolean(true));  // every text after every number
  EXPECT_EQ(Computed("=\"abc\"=\"ABC\""), CellValue::Boolean(true));
  EXPECT_EQ(Computed("=C9=0"), CellValue::Boolean(true));    // an empty cell is 0 beside a number
  EXPECT_EQ(Computed("=C9=\"\""), CellValue::Boolean(true));  // and "" beside a text
  EXPECT_EQ(Computed("=IF(B4>B5,1,\"no\")"), CellValue("no"));
  EXPECT_EQ(Computed("=IF(B4,A4)"), CellValue(12230.0));
  EXPECT_EQ(Computed("=IF(0,1)"), CellValue::Boolean(false));
  EXPECT_EQ(Computed("=IF(C9>0,1/C9,0)"), CellValue(0.0));  // the branch not taken is no error
  EXPECT_EQ(Computed("=IF(A6,1,2)"), Error(CellError::Value));
  EXPECT_EQ(Computed("=MIN(B4:B6,4)"), CellValue(3.0));     // B6 counts with its computed 8
  EXPECT_EQ(Computed("=MAX(A4:A6)"), CellValue(12240.5));   // the text is skipped
  EXPECT_EQ(Computed("=MIN(C9:C12)"), CellValue(0.0));
  EXPECT_EQ(Computed("=ABS(B4-B5)+SQRT(16)"), CellValue(6.0));
  EXPECT_EQ(Computed("=SQRT(-1)"), Error(CellError::Num));
  EXPECT_EQ(Computed("=SUMIF(A4:A6,\"<>本页合计\",B4:B6)"), CellValue(8.0));
  EXPECT_EQ(Computed("=SUMIF(A4:A6,\"本页合计\",B4:B6)"), CellValue(8.0));
  EXPECT_EQ(Computed("=SUMIF(B4:B6,\">4\")"), CellValue(13.0));
  EXPECT_EQ(Computed("=SUMIFS(B4:B6,A4:A6,\">12000\",A4:A6,\"<=12240\")"), CellValue(3.0));
  EXPECT_EQ(Computed("=SUMIFS(B4:B6,A4:A6,\"<>\")"), CellValue(16.0));  // every cell that holds something
  // Left to the host: its language orders texts beyond ASCII, and it reads wildcards.
  EXPECT_FALSE(Eval("=A6<\"合计\"").has_value());
  EXPECT_FALSE(Eval("=SUMIF(A4:A6,\"本*\",B4:B6)").has_value());
  EXPECT_FALSE(Eval("=SUMIF(A4:A6,\"<>x\",B4:B5)").has_value());  // ranges of two shapes
}

TEST_F(FormulaEvalTest, FormulasOnANotComputedCellAreNotComputedEither) {
  sheet_.SetValue(Cell("F1"), "=ROUND(A4,0)");
  sheet_.SetCachedValue(Cell("F1"), 12230);
  sheet_.SetValue(Cell("F2"), "=F1+1");
  sheet_.SetCachedValue(Cell("F2"), 5);
  EXPECT_FALSE(Eval("=F1").has_value());
  EXPECT_FALSE(Eval("=F2*2").has_value());
  EXPECT_FALSE(Eval("=SUM(F1:F2)").has_value());
  EXPECT_EQ(Computed("=SUM(A1:B5)"), CellValue(12230 + 12240.5 + 3 + 5));  // F is outside

  RecalcCounts counts = RecalculateWorkbook(book_);
  EXPECT_EQ(counts.computed, 1);  // D5
  EXPECT_EQ(counts.notComputed, 2);
  EXPECT_EQ(sheet_.Value(Cell("F1")), CellValue(12230));
  EXPECT_EQ(sheet_.Value(Cell("F2")), CellValue(5));
  EXPECT_EQ(sheet_.Value(Cell("D5")), CellValue(10.5));
}

TEST_F(FormulaEvalTest, CirclesGiveValueErrorsInsteadOfRecursingForever) {
  sheet_.SetValue(Cell("G1"), "=G2+1");
  sheet_.SetValue(Cell("G2"), "=G1+1");
  sheet_.SetValue(Cell("G3"), "=G3");
  sheet_.SetValue(Cell("G4"), "=SUM(G4:G5)+1");
  sheet_.SetValue(Cell("G6"), "=G1*0+7");
  book_.AppendSheet("Other").SetValue(Cell("A1"), "=Sheet1!G7");
  sheet_.SetValue(Cell("G7"), "=Other!A1");
  RecalculateWorkbook(book_);
  for (const char* a1 : {"G1", "G2", "G3", "G4", "G6", "G7"})
    EXPECT_EQ(sheet_.Value(Cell(a1)), Error(CellError::Value)) << a1;
  EXPECT_EQ(book_.Sheet(1).Value(Cell("A1")), Error(CellError::Value));
  EXPECT_EQ(Computed("=G1"), Error(CellError::Value));
}

TEST_F(FormulaEvalTest, RecalculationStoresEveryResultAcrossSheets) {
  MemoryWorksheet& totals = book_.AppendSheet("Totals");
  totals.SetValue(Cell("A1"), "=SUM(Sheet1!E5:E6)");
  totals.SetValue(Cell("A2"), "=\"total \"&A1");
  sheet_.SetValue(Cell("E5"), "=(B5+B4)/2*D5");
  sheet_.SetValue(Cell("E6"), "=Totals!B1*2");
  totals.SetValue(Cell("B1"), 0.25);
  RecalcCounts counts = RecalculateWorkbook(book_);
  EXPECT_EQ(counts.computed, 5);
  EXPECT_EQ(counts.notComputed, 0);
  EXPECT_EQ(sheet_.Value(Cell("D5")), CellValue(10.5));
  EXPECT_EQ(sheet_.Value(Cell("E5")), CellValue(42.0));
  EXPECT_EQ(sheet_.Value(Cell("E6")), CellValue(0.5));
  EXPECT_EQ(totals.Value(Cell("A1")), CellValue(42.5));
  EXPECT_EQ(totals.Value(Cell("A2")), CellValue("total 42.5"));
  EXPECT_EQ(totals.Formula(Cell("A2")), "=\"total \"&A1");  // only the cache changes
}

// Formulas filled down a column, on two sheets alike: each reads its own sheet's cells, moved
// with its row except where "$" fixes them.
TEST_F(FormulaEvalTest, FormulasFilledDownReadTheirOwnCells) {
  for (const char* name : {"Left", "Right"}) {
    MemoryWorksheet& s = book_.AppendSheet(name);
    const double b = s.SheetName() == "Left" ? 1 : 100;
    for (int r = 1; r <= 4; ++r) {
      const std::string n = std::to_string(r);
      s.SetValue({r, 1}, b * r);
      s.SetValue({r, 2}, "=A" + n + "*2");
      s.SetValue({r, 3}, "=A$1+$A" + n);
      s.SetValue({r, 4}, "=SUM(A$1:A" + n + ")");
      s.SetValue({r, 5}, r == 1 ? "=B1" : "=E" + std::to_string(r - 1) + "+b" + n);
      s.SetValue({r, 6}, r == 2 ? "=A$1*3" : "=A" + n + "*3");
    }
  }
  RecalculateWorkbook(book_);
  for (int sheet = 1; sheet <= 2; ++sheet) {
    MemoryWorksheet& s = book_.Sheet(sheet);
    const double b = sheet == 1 ? 1 : 100;
    for (int r = 1; r <= 4; ++r) {
      SCOPED_TRACE(s.SheetName() + " row " + std::to_string(r));
      EXPECT_EQ(s.Value({r, 2}), CellValue(2 * b * r));
      EXPECT_EQ(s.Value({r, 3}), CellValue(b + b * r));
      EXPECT_EQ(s.Value({r, 4}), CellValue(b * r * (r + 1) / 2));
      EXPECT_EQ(s.Value({r, 5}), CellValue(b * r * (r + 1)));
      EXPECT_EQ(s.Value({r, 6}), CellValue(r == 2 ? 3 * b : 3 * b * r));
    }
  }
}

// Without one computation per cell, each cell here would compute the one above it twice,
// 2^60 times in all.
TEST_F(FormulaEvalTest, EachCellIsComputedOncePerRun) {
  MemoryWorksheet& s = book_.AppendSheet("Doubling");
  s.SetValue({1, 1}, 1);
  for (int row = 2; row <= 61; ++row)
    s.SetValue({row, 1}, "=A" + std::to_string(row - 1) + "+A" + std::to_string(row - 1));
  RecalculateWorkbook(book_);
  EXPECT_EQ(s.Value({61, 1}), CellValue(std::ldexp(1.0, 60)));
}

// Every formula refers to the row below it, so the first one needs all the others first.
TEST_F(FormulaEvalTest, LongChainsDoNotExhaustTheStack) {
  MemoryWorksheet& s = book_.AppendSheet("Chain");
  const int rows = 200000;
  for (int row = 1; row < rows; ++row) s.SetValue({row, 1}, "=A" + std::to_string(row + 1) + "+1");
  s.SetValue({rows, 1}, 0);
  RecalcCounts counts = RecalculateWorkbook(book_);
  EXPECT_EQ(counts.computed, rows - 1 + 1);  // and D5 of the fixture
  EXPECT_EQ(s.Value({1, 1}), CellValue(static_cast<double>(rows - 1)));
}

// A volume sheet of 10,000 sections: 30,000 row formulas and totals over all of them, each
// computed once (bench/bench_workbook.cpp times a sheet like it).
TEST_F(FormulaEvalTest, TensOfThousandsOfFormulasAreEachComputedOnce) {
  MemoryWorksheet& s = book_.AppendSheet("Volumes");
  const int last = 10004;
  for (int r = 4; r < last; ++r) {
    s.SetValue({r, 1}, 12000 + 20.0 * (r - 4));
    s.SetValue({r, 2}, 1.5 + r % 7);
    s.SetValue({r, 3}, 0.5 * (r % 3));
  }
  for (int r = 5; r < last; ++r) {
    const std::string n = std::to_string(r), p = std::to_string(r - 1);
    s.SetValue({r, 4}, "=A" + n + "-A" + p);
    s.SetValue({r, 5}, "=(B" + n + "+B" + p + ")/2*D" + n);
    s.SetValue({r, 6}, "=(C" + n + "+C" + p + ")/2*D" + n);
  }
  for (int c = 4; c <= 6; ++c) {
    const std::string col = ColumnLetters(c);
    s.SetValue({last, c}, "=SUM(" + col + "5:" + col + std::to_string(last - 1) + ")");
  }
  RecalcCounts counts = RecalculateWorkbook(book_);
  EXPECT_EQ(counts.computed, 3 * (last - 5) + 3 + 1);
  double cut = 0;
  for (int r = 5; r < last; ++r) cut += (1.5 + r % 7 + 1.5 + (r - 1) % 7) / 2 * 20;
  EXPECT_EQ(s.Value({last, 4}), CellValue(20.0 * (last - 5)));
  EXPECT_NEAR(s.Value({last, 5}).Number(), cut, 1e-6);
}

}  // namespace
}  // namespace kestrel
