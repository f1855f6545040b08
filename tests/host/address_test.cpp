// Tests of A1 address parsing and formatting.
#include <gtest/gtest.h>

#include "host/address.h"

namespace kestrel {
namespace {

TEST(AddressTest, ParsesCellsWithAndWithoutDollars) {
  EXPECT_EQ(RangeRef::Parse("A1"), RangeRef::Cell(1, 1));
  EXPECT_EQ(RangeRef::Parse("$B$2"), RangeRef::Cell(2, 2));
  EXPECT_EQ(RangeRef::Parse("B$2"), RangeRef::Cell(2, 2));
  EXPECT_EQ(RangeRef::Parse("$E65536"), RangeRef::Cell(65536, 5));
  EXPECT_EQ(RangeRef::Parse("xfd1048576"), RangeRef::Cell(kMaxRows, kMaxColumns));
}

TEST(AddressTest, ParsesBlocksWholeColumnsAndWholeRows) {
  EXPECT_EQ(RangeRef::Parse("A1:H20"), RangeRef::Block(1, 1, 20, 8));
  EXPECT_EQ(RangeRef::Parse("A2:$O$77"), RangeRef::Block(2, 1, 77, 15));
  EXPECT_EQ(RangeRef::Parse("F:F"), RangeRef::WholeColumns(6, 6));
  EXPECT_EQ(RangeRef::Parse("B:D"), RangeRef::WholeColumns(2, 4));
  EXPECT_EQ(RangeRef::Parse("$H:$P"), RangeRef::WholeColumns(8, 16));
  EXPECT_EQ(RangeRef::Parse("7:7"), RangeRef::WholeRows(7, 7));
  EXPECT_EQ(RangeRef::Parse("2:14"), RangeRef::WholeRows(2, 14));
  EXPECT_EQ(RangeRef::Parse("$1:$3"), RangeRef::WholeRows(1, 3));
}

TEST(AddressTest, PutsCornersInOrder) {
  EXPECT_EQ(RangeRef::Parse("C3:A1"), RangeRef::Block(1, 1, 3, 3));
  EXPECT_EQ(RangeRef::Parse("D:B"), RangeRef::WholeColumns(2, 4));
  EXPECT_EQ(RangeRef::Parse("14:2"), RangeRef::WholeRows(2, 14));
}

TEST(AddressTest, RejectsWhatIsNoAddress) {
  for (const char* bad : {"", "A", "7", "A0", "0:3", "XFE1", "A1048577", "1048577:1048577", "A1:B", "A:3",
                          "A1:B2:C3", "1A", "A$", "$", "A 1", " A1", "A1 ", "AAAA1", "A1.5", "A-1", "$$A1"}) {
    EXPECT_FALSE(RangeRef::Parse(bad).has_value()) << bad;
  }
}

TEST(AddressTest, FormatsAsTheHostWritesAddresses) {
  EXPECT_EQ(RangeRef::Cell(5, 2).ToA1(), "B5");
  EXPECT_EQ(RangeRef::Block(1, 1, 3, 3).ToA1(), "A1:C3");
  EXPECT_EQ(RangeRef::WholeColumns(6, 6).ToA1(), "F:F");
  EXPECT_EQ(RangeRef::WholeColumns(2, 4).ToA1(), "B:D");
  EXPECT_EQ(RangeRef::WholeRows(7, 7).ToA1(), "7:7");
  EXPECT_EQ(RangeRef::WholeRows(2, 14).ToA1(), "2:14");
  // A block that spans every row is a whole-column range.
  EXPECT_EQ(RangeRef::Block(1, 1, kMaxRows, 15).ToA1(), "A:O");
}

TEST(AddressTest, ParseAndFormatRoundTrip) {
  for (const char* a1 : {"A1", "ZZ99", "AAA1", "XFD1048576", "A1:H20", "F:F", "H:P", "7:7", "2:14"}) {
    EXPECT_EQ(RangeRef::Parse(a1)->ToA1(), a1);
  }
}

TEST(AddressTest, ColumnLettersAndIndexAreInverse) {
  EXPECT_EQ(ColumnIndex("A"), 1);
  EXPECT_EQ(ColumnIndex("Z"), 26);
  EXPECT_EQ(ColumnIndex("AA"), 27);
  EXPECT_EQ(ColumnIndex("az"), 52);
  EXPECT_EQ(ColumnIndex("ZZ"), 702);
  EXPECT_EQ(ColumnIndex("AAA"), 703);
  EXPECT_EQ(ColumnIndex("XFD"), kMaxColumns);
  EXPECT_EQ(ColumnIndex("XFE"), 0);
  EXPECT_EQ(ColumnIndex(""), 0);
  EXPECT_EQ(ColumnIndex("A1"), 0);
  EXPECT_EQ(ColumnIndex("ABCD"), 0);
  EXPECT_EQ(ColumnLetters(1), "A");
  EXPECT_EQ(ColumnLetters(26), "Z");
  EXPECT_EQ(ColumnLetters(27), "AA");
  EXPECT_EQ(ColumnLetters(702), "ZZ");
  EXPECT_EQ(ColumnLetters(703), "AAA");
  for (int c = 1; c <= kMaxColumns; ++c) ASSERT_EQ(ColumnIndex(ColumnLetters(c)), c) << c;
}

TEST(AddressTest, CellA1WithAndWithoutDollars) {
  EXPECT_EQ(CellA1({5, 2}), "B5");
  EXPECT_EQ(CellA1({5, 2}, true), "$B$5");
  EXPECT_EQ(CellA1({1048576, 16384}), "XFD1048576");
}

TEST(AddressTest, RangeShapeQueries) {
  RangeRef r = *RangeRef::Parse("A1:H20");
  EXPECT_EQ(r.Rows(), 20);
  EXPECT_EQ(r.Columns(), 8);
  EXPECT_TRUE(r.Contains({20, 8}));
  EXPECT_FALSE(r.Contains({21, 8}));
  EXPECT_TRUE(RangeRef::Parse("F:F")->IsWholeColumns());
  EXPECT_FALSE(RangeRef::Parse("F:F")->IsWholeRows());
  EXPECT_TRUE(RangeRef::Parse("7:7")->IsWholeRows());
}

}  // namespace
}  // namespace kestrel
