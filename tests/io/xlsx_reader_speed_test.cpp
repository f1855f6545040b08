// Loading time grows with the file's content: a 100,000-row survey sheet loads in a few seconds.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

TEST(XlsxReaderSpeed, AHundredThousandRowSheetLoadsInAFewSeconds) {
  constexpr int kRows = 100000;
  std::string xlsx = FixtureDir() / "big.xlsx", facts = FixtureDir() / "big.facts";
  ASSERT_TRUE(RunOracleOrFail("make_big_fixture.py", {xlsx, std::to_string(kRows), facts},
                              FixtureDir().Path() / "big.log"));
  auto start = std::chrono::steady_clock::now();
  auto book = ReadXlsx(xlsx);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[ TIMING   ] " << kRows << " rows loaded in " << seconds << " s\n";
  RecordProperty("load_seconds", std::to_string(seconds));
#ifdef NDEBUG
  EXPECT_LT(seconds, 5.0);
#else
  EXPECT_LT(seconds, 60.0);  // unoptimised and sanitised builds
#endif
  EXPECT_GT(CheckFacts(*book, ReadFacts(facts), AllKinds()), 50);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.FormulaCount(), kRows - 1);
  EXPECT_EQ(sheet.UsedRange(), RangeRef::Block(1, 1, kRows, 6));
  EXPECT_EQ(sheet.Text({kRows, 1}), "K35+000.000");
}

}  // namespace
}  // namespace kestrel
