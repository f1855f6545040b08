// A 100,000-row survey sheet loads whole (its loading time is a benchmark's figure).
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include <iostream>

#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

TEST(XlsxReaderLargeSheet, AHundredThousandRowSheetLoadsWhole) {
  constexpr int kRows = 100000;
  std::string xlsx = FixtureDir() / "big.xlsx", facts = FixtureDir() / "big.facts";
  ASSERT_TRUE(RunOracleOrFail("make_big_fixture.py", {xlsx, std::to_string(kRows), facts},
                              FixtureDir().Path() / "big.log"));
  auto book = ReadXlsx(xlsx);
  EXPECT_GT(CheckFacts(*book, ReadFacts(facts), AllKinds()), 50);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.FormulaCount(), kRows - 1);
  EXPECT_EQ(sheet.UsedRange(), RangeRef::Block(1, 1, kRows, 6));
  EXPECT_EQ(sheet.Text({kRows, 1}), "K35+000.000");
}

}  // namespace
}  // namespace kestrel
