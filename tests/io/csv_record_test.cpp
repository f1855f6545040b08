// CSV records: which fields get quoted, and how.
#include "io/csv_record.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CsvRecord, QuotesOnlyWhereNeeded) {
  EXPECT_EQ(CsvRecord({"12235.689", "K12+235.689", "断面"}), "12235.689,K12+235.689,断面");
  EXPECT_EQ(CsvRecord({"a,b", "say \"hi\"", "two\nlines", " padded"}),
            "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\" padded\"");
  EXPECT_EQ(CsvRecord({"", "", "x"}), ",,x");
  EXPECT_EQ(CsvRecord({}), "");
}

}  // namespace
}  // namespace kestrel
