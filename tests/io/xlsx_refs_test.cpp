// Cell and range references of .xlsx files: the sheet's bounds, malformed text, any corner order.
#include "io/xlsx_refs.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(XlsxRefs, CellsUpToTheLastRowAndColumn) {
  CellRef cell;
  ASSERT_EQ(ParseCellRef("B12", cell), RefCheck::Ok);
  EXPECT_EQ(cell, (CellRef{12, 2}));
  ASSERT_EQ(ParseCellRef("$AA$3", cell), RefCheck::Ok);
  EXPECT_EQ(cell, (CellRef{3, 27}));
  ASSERT_EQ(ParseCellRef("xfd1048576", cell), RefCheck::Ok);
  EXPECT_EQ(cell, (CellRef{kMaxRows, kMaxColumns}));
}

TEST(XlsxRefs, BeyondTheSheetIsOutOfRangeWithoutOverflowing) {
  CellRef cell{7, 7};
  EXPECT_EQ(ParseCellRef("XFE1", cell), RefCheck::OutOfRange);
  EXPECT_EQ(ParseCellRef("A1048577", cell), RefCheck::OutOfRange);
  EXPECT_EQ(ParseCellRef("A0", cell), RefCheck::OutOfRange);
  EXPECT_EQ(ParseCellRef("ZZZZZZZZZZZZZZZZZZZZZZZZ1", cell), RefCheck::OutOfRange);
  EXPECT_EQ(ParseCellRef("A99999999999999999999999999", cell), RefCheck::OutOfRange);
  EXPECT_EQ(cell, (CellRef{7, 7}));  // left as it was
}

TEST(XlsxRefs, AnythingButLettersThenDigitsIsMalformed) {
  CellRef cell;
  for (const char* text : {"", "1A", "A", "12", "A1B", "A 1", "A1:", "$", "A$"})
    EXPECT_EQ(ParseCellRef(text, cell), RefCheck::Malformed) << text;
}

TEST(XlsxRefs, RangesSpanTheirCornersInAnyOrder) {
  RangeRef range;
  ASSERT_EQ(ParseRangeRef("C9:A2", range), RefCheck::Ok);
  EXPECT_EQ(range, RangeRef::Block(2, 1, 9, 3));
  ASSERT_EQ(ParseRangeRef("D4", range), RefCheck::Ok);
  EXPECT_EQ(range, RangeRef::Cell(4, 4));
  EXPECT_EQ(ParseRangeRef("A1:XFE2", range), RefCheck::OutOfRange);
  EXPECT_EQ(ParseRangeRef("A1:B", range), RefCheck::Malformed);
}

}  // namespace
}  // namespace kestrel
