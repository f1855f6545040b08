// A 100,000-row survey sheet loads whole (its loading time is a benchmark's figure), and a stray
// character far down it is reported where it stands.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>

#include "io/workbook_file.h"
#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

constexpr int kRows = 100000;

// The sheet, a copy damaged three quarters down, and the damage's offset in the sheet part.
struct BigFixtures {
  std::string xlsx, facts, damaged;
  long long damageOffset = -1;
};

const BigFixtures& Big() {
  static const BigFixtures fixtures = [] {
    BigFixtures f{FixtureDir() / "big.xlsx", FixtureDir() / "big.facts", FixtureDir() / "big-damaged.xlsx"};
    if (RunOracleOrFail("make_big_fixture.py", {f.xlsx, std::to_string(kRows), f.facts, f.damaged},
                        FixtureDir().Path() / "big.log"))
      std::ifstream(f.damaged + ".offset") >> f.damageOffset;
    return f;
  }();
  return fixtures;
}

TEST(XlsxReaderLargeSheet, AHundredThousandRowSheetLoadsWhole) {
  ASSERT_GE(Big().damageOffset, 0);
  auto book = ReadXlsx(Big().xlsx);
  EXPECT_GT(CheckFacts(*book, ReadFacts(Big().facts), AllKinds()), 50);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.FormulaCount(), kRows - 1);
  EXPECT_EQ(sheet.UsedRange(), RangeRef::Block(1, 1, kRows, 6));
  EXPECT_EQ(sheet.Text({kRows, 1}), "K35+000.000");
}

// The sheet is read in runs of rows: the offset of an error in a later run counts from the part's
// start, not from its run's.
TEST(XlsxReaderLargeSheet, DamageFarDownIsReportedAtItsOffsetInThePart) {
  ASSERT_GE(Big().damageOffset, 0);
  try {
    ReadXlsx(Big().damaged);
    ADD_FAILURE() << "the damaged sheet was read";
  } catch (const WorkbookFileError& e) {
    const std::string message = e.what(), key = "is damaged (XML error at offset ";
    const size_t at = message.find(key);
    ASSERT_NE(at, std::string::npos) << message;
    const long long offset = std::stoll(message.substr(at + key.size()));
    EXPECT_GE(offset, Big().damageOffset) << message;
    EXPECT_LE(offset, Big().damageOffset + 2) << message;
  }
}

}  // namespace
}  // namespace kestrel
