// Sheets of several runs of rows read as their parts are inflated: the same cells, formats and
// heights in every form of the part, including the forms that only a reading of the whole part
// reads right.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

constexpr int kRows = 40000;  // about 7 MB of rows: four runs

const fs::path& StreamedDir() {
  static const fs::path dir = [] {
    fs::path d = FixtureDir().Path() / "streamed";
    fs::create_directories(d);
    RunOracleOrFail("make_streamed_fixtures.py", {d.string(), std::to_string(kRows)}, d / "make.log");
    return d;
  }();
  return dir;
}

class StreamedSheet : public ::testing::TestWithParam<const char*> {};

TEST_P(StreamedSheet, ReadsEveryRowOnceWithWhatTheRowsNeedFromTheRestOfThePart) {
  const fs::path xlsx = StreamedDir() / (std::string(GetParam()) + ".xlsx");
  ASSERT_TRUE(fs::exists(xlsx)) << "the fixture was not made: see " << (StreamedDir() / "make.log");
  std::vector<std::string> warnings;
  auto book = ReadXlsx(xlsx.string(), &warnings);
  MemoryWorksheet& sheet = book->Sheet(0);
  const auto used = sheet.UsedRange();
  ASSERT_TRUE(used.has_value());
  EXPECT_EQ(used->first, (CellRef{1, 1}));
  EXPECT_EQ(used->last.row, kRows);
  EXPECT_EQ(CheckFacts(*book, ReadFacts(StreamedDir() / (std::string(GetParam()) + ".facts")), AllKinds()),
            9 * 5 + 2);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
}

INSTANTIATE_TEST_SUITE_P(Forms, StreamedSheet,
                         ::testing::Values("prefixed", "comment-after", "cols-after", "instruction", "bad-utf8",
                                           "height", "end-across-pieces", "shared-strings"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace kestrel
