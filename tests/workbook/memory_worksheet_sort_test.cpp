// Tests of the memory worksheet's sort (order, stability, header guess, what moves) and replace.
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "workbook/memory_worksheet.h"
#include "sheet_test_helpers.h"

namespace kestrel {
namespace {

using testing::Cell;
using testing::Range;

std::vector<std::string> ColumnTexts(MemoryWorksheet& sheet, int column, int first, int last) {
  std::vector<std::string> out;
  for (int r = first; r <= last; ++r) out.push_back(sheet.Formula({r, column}));
  return out;
}

class MemoryWorksheetSortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Column A: row ids; B: keys of every kind; D: outside the sorted range.
    const CellValue keys[] = {3, "b", 1, CellValue(), "A", CellValue::Boolean(true), 2, "a"};
    for (int r = 1; r <= 8; ++r) {
      sheet.SetValue({r, 1}, "r" + std::to_string(r));
      sheet.SetValue({r, 2}, keys[r - 1]);
      sheet.SetValue({r, 4}, "d" + std::to_string(r));
    }
  }
  MemoryWorksheet sheet;
};

TEST_F(MemoryWorksheetSortTest, NumbersThenTextsWithoutCaseThenBooleansThenEmptyKeys) {
  sheet.Sort(Range("A1:C8"), 2, SortHeader::No);
  // 1, 2, 3, "A" and "a" in their old order, "b", TRUE, empty.
  EXPECT_EQ(ColumnTexts(sheet, 1, 1, 8), (std::vector<std::string>{"r3", "r7", "r1", "r5", "r8", "r2", "r6", "r4"}));
  EXPECT_EQ(ColumnTexts(sheet, 2, 1, 8), (std::vector<std::string>{"1", "2", "3", "A", "a", "b", "TRUE", ""}));
  // Column D is outside the range and keeps its rows.
  EXPECT_EQ(ColumnTexts(sheet, 4, 1, 3), (std::vector<std::string>{"d1", "d2", "d3"}));
}

TEST_F(MemoryWorksheetSortTest, WholeCellRecordsTravelWithTheirRow) {
  sheet.SetNote(Cell("B1"), Note{"key three"});
  FontChange bold;
  bold.bold = true;
  sheet.SetFont(Range("A3"), bold);
  sheet.SetValue(Cell("C2"), "=A2&B2");
  sheet.SetValue(Cell("C8"), "=$A$1&A8");
  sheet.Sort(Range("A1:C8"), 2, SortHeader::No);
  EXPECT_EQ(sheet.GetNote(Cell("B3"))->text, "key three");  // r1 went to row 3
  EXPECT_FALSE(sheet.GetNote(Cell("B1")).has_value());
  EXPECT_TRUE(sheet.EffectiveStyle(Cell("A1")).font.bold);  // r3 went to row 1
  EXPECT_FALSE(sheet.EffectiveStyle(Cell("A3")).font.bold);
  // Relative references follow the moved formula, absolute ones stay.
  EXPECT_EQ(sheet.Formula(Cell("C6")), "=A6&B6");     // r2 went to row 6
  EXPECT_EQ(sheet.Formula(Cell("C5")), "=$A$1&A5");   // r8 went to row 5
  EXPECT_EQ(sheet.FormulaCount(), 2);
}

TEST_F(MemoryWorksheetSortTest, FormulaKeysSortOnTheirCachedValues) {
  sheet.SetValue(Cell("B4"), "=0");
  sheet.SetCachedValue(Cell("B4"), CellValue(0.5));
  sheet.Sort(Range("A1:B8"), 2, SortHeader::No);
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue("r4"));
}

TEST(MemoryWorksheetSortHeaderTest, TextRowOverNumbersIsAHeaderAndStays) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), "Name");
  sheet.SetValue(Cell("B1"), "Station");
  const double stations[] = {30, 10, 20};
  for (int i = 0; i < 3; ++i) {
    sheet.SetValue({i + 2, 1}, "p" + std::to_string(i));
    sheet.SetValue({i + 2, 2}, stations[i]);
  }
  sheet.Sort(Range("A1:B4"), 2, SortHeader::Guess);
  EXPECT_EQ(ColumnTexts(sheet, 1, 1, 4), (std::vector<std::string>{"Name", "p1", "p2", "p0"}));
  // Without the guess the header is sorted as data: texts after numbers.
  sheet.Sort(Range("A1:B4"), 2, SortHeader::No);
  EXPECT_EQ(ColumnTexts(sheet, 1, 1, 4), (std::vector<std::string>{"p1", "p2", "p0", "Name"}));
}

TEST(MemoryWorksheetSortHeaderTest, RowWithANumberOrKeysWithoutNumbersMeanNoHeader) {
  MemoryWorksheet sheet;
  // Numeric data in row 1: no header.
  sheet.SetValue(Cell("A1"), "p9");
  sheet.SetValue(Cell("B1"), 50);
  sheet.SetValue(Cell("A2"), "p1");
  sheet.SetValue(Cell("B2"), 10);
  sheet.Sort(Range("A1:B2"), 2, SortHeader::Guess);
  EXPECT_EQ(ColumnTexts(sheet, 1, 1, 2), (std::vector<std::string>{"p1", "p9"}));
  // Texts only in the key column: no header either.
  MemoryWorksheet texts;
  texts.SetValue(Cell("A1"), "zeta");
  texts.SetValue(Cell("A2"), "alpha");
  texts.Sort(Range("A1:A2"), 1, SortHeader::Guess);
  EXPECT_EQ(ColumnTexts(texts, 1, 1, 2), (std::vector<std::string>{"alpha", "zeta"}));
}

TEST(MemoryWorksheetSortEmptyRowsTest, EmptyRowsGoToTheBottomInTheirOrder) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("F1"), 5);
  sheet.SetValue(Cell("A1"), "five");
  // row 2 wholly empty
  sheet.SetValue(Cell("A3"), "no key");
  sheet.SetValue(Cell("F4"), 1);
  sheet.SetValue(Cell("A4"), "one");
  sheet.Sort(Range("A1:H5"), 6, SortHeader::Guess);
  EXPECT_EQ(ColumnTexts(sheet, 1, 1, 5), (std::vector<std::string>{"one", "five", "", "no key", ""}));
}

TEST(MemoryWorksheetSortChineseTest, ChineseTextsSortByCodePoint) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), "甲");  // U+7532
  sheet.SetValue(Cell("A2"), "乙");  // U+4E59
  sheet.SetValue(Cell("A3"), "z");
  sheet.Sort(Range("A1:A3"), 1, SortHeader::No);
  EXPECT_EQ(ColumnTexts(sheet, 1, 1, 3), (std::vector<std::string>{"z", "乙", "甲"}));
}

TEST(MemoryWorksheetSortStabilityTest, EqualKeysKeepTheirOrderAcrossThousandsOfRows) {
  MemoryWorksheet sheet;
  const int n = 5000;
  for (int r = 1; r <= n; ++r) {
    sheet.SetValue({r, 1}, r);
    sheet.SetValue({r, 2}, (r * 7) % 3);
  }
  sheet.Sort(RangeRef::Block(1, 1, n, 2), 2, SortHeader::No);
  int previousKey = -1, previousId = 0;
  Grid g = sheet.Values(RangeRef::Block(1, 1, n, 2));
  for (int row = 0; row < n; ++row) {
    int key = static_cast<int>(g.At(row, 1).Number()), id = static_cast<int>(g.At(row, 0).Number());
    ASSERT_GE(key, previousKey) << row;
    if (key == previousKey) {
      ASSERT_GT(id, previousId) << row;
    }
    ASSERT_EQ(key, (id * 7) % 3);
    previousKey = key;
    previousId = id;
  }
}

TEST(MemoryWorksheetSortMergeTest, MergedCellsInTheRangeAreAHostError) {
  MemoryWorksheet sheet;
  sheet.SetValue(Cell("A1"), 2);
  sheet.SetValue(Cell("A3"), 1);
  sheet.Merge(Range("B2:C2"));
  EXPECT_THROW(sheet.Sort(Range("A1:C3"), 1, SortHeader::No), HostError);
  EXPECT_THROW(sheet.Sort(Range("A1:A3"), 2, SortHeader::No), HostError);  // key outside
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue(2));
}

class MemoryWorksheetReplaceTest : public ::testing::Test {
 protected:
  // The initial sort's clean-up of station notation in column E.
  void CleanStations(const RangeRef& range) {
    for (const char* what : {"zk", "dk", "k", "+", "-"}) sheet.Replace(range, what, "");
  }
  MemoryWorksheet sheet;
};

TEST_F(MemoryWorksheetReplaceTest, StationNotationBecomesNumbers) {
  sheet.SetValue(Cell("E1"), "ZK3+100");
  sheet.SetValue(Cell("E2"), "DK0+050");
  sheet.SetValue(Cell("E3"), "K12+235.689");
  sheet.SetValue(Cell("E4"), "k1+000");
  sheet.SetValue(Cell("E5"), -5);
  sheet.SetValue(Cell("E6"), 12235.5);
  sheet.SetValue(Cell("F1"), "K9+000");
  CleanStations(Range("E:E"));
  EXPECT_EQ(sheet.Value(Cell("E1")), CellValue(3100));
  EXPECT_EQ(sheet.Value(Cell("E2")), CellValue(50));
  EXPECT_EQ(sheet.Value(Cell("E3")), CellValue(12235.689));
  EXPECT_EQ(sheet.Value(Cell("E4")), CellValue(1000));
  EXPECT_EQ(sheet.Value(Cell("E5")), CellValue(5));  // the minus sign went
  EXPECT_EQ(sheet.Value(Cell("E6")), CellValue(12235.5));
  EXPECT_EQ(sheet.Value(Cell("F1")), CellValue("K9+000"));  // outside the range
}

TEST_F(MemoryWorksheetReplaceTest, LettersMatchWithoutRegardToCase) {
  sheet.SetValue(Cell("A1"), "Kilo KM kk");
  sheet.Replace(Range("A1"), "k", "x");
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue("xilo xM xx"));
  sheet.Replace(Range("A1"), "XM", "<m>");
  EXPECT_EQ(sheet.Value(Cell("A1")), CellValue("xilo <m> xx"));
}

// Full-width forms, as a Chinese input method types them, match their half-width letters and
// signs (the host's MatchByte False): "ＺＫ３＋１００" cleans to 3100.
TEST_F(MemoryWorksheetReplaceTest, FullWidthLettersAndSignsMatchTooAndTheRestStays) {
  sheet.SetValue(Cell("E1"), "ＺＫ3＋100");
  sheet.SetValue(Cell("E2"), "桩号ｋ1+000");
  CleanStations(Range("E:E"));
  EXPECT_EQ(sheet.Value(Cell("E1")), CellValue(3100));
  EXPECT_EQ(sheet.Value(Cell("E2")), CellValue("桩号1000"));
}

TEST_F(MemoryWorksheetReplaceTest, TextCellsStayTextAndUnmatchedCellsAreUntouched) {
  sheet.SetNumberFormat(Range("B:B"), "@");
  sheet.SetValue(Cell("B1"), "K0050");
  sheet.SetValue(Cell("B2"), "12");  // text: the column is text
  sheet.Replace(Range("B:B"), "k", "");
  EXPECT_EQ(sheet.Value(Cell("B1")), CellValue("0050"));
  EXPECT_EQ(sheet.Value(Cell("B2")), CellValue("12"));
}

TEST_F(MemoryWorksheetReplaceTest, WorksOnFormulaTextAndOnTheLastRow) {
  sheet.SetValue(Cell("C1"), "=A1+A2");
  sheet.SetValue({kMaxRows, 3}, "k7");
  sheet.Replace(Range("C:C"), "a2", "B9");
  sheet.Replace(Range("C:C"), "K", "");
  EXPECT_EQ(sheet.Formula(Cell("C1")), "=A1+B9");
  EXPECT_EQ(sheet.Value({kMaxRows, 3}), CellValue(7));
}

TEST_F(MemoryWorksheetReplaceTest, ReplacingEverythingEmptiesTheCell) {
  sheet.SetValue(Cell("A1"), "+");
  sheet.Replace(Range("A1:A5"), "+", "");
  EXPECT_TRUE(sheet.Value(Cell("A1")).IsEmpty());
  EXPECT_TRUE(sheet.UsedCells().empty());
}

}  // namespace
}  // namespace kestrel
