// The memory worksheet on a large sheet: blocks, many inserts and a sort keep their results.
#include <gtest/gtest.h>

#include "workbook/memory_worksheet.h"

namespace kestrel {
namespace {

// Their speed is a benchmark's figure (bench/), never a test's.
TEST(MemoryWorksheetLargeSheet, BlocksInsertsAndSortKeepTheirResults) {
  constexpr int kRows = 100000;
  MemoryWorksheet sheet;
  Grid block(kRows, 8);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < 8; ++c) block.At(r, c) = (r * 7919 + c) % kRows;
  sheet.SetValues({1, 1}, block);
  Grid back = sheet.Values(RangeRef::Block(1, 1, kRows, 8));
  EXPECT_EQ(back.At(kRows - 1, 7), block.At(kRows - 1, 7));

  for (int r = kRows; r >= 2; r -= 10) sheet.InsertRows(r, 1);
  EXPECT_EQ(sheet.EndUp({kMaxRows, 1}), kRows + kRows / 10);

  sheet.Sort(RangeRef::Block(1, 1, kRows + kRows / 10, 8), 1, SortHeader::No);
  EXPECT_EQ(sheet.Value({1, 1}), CellValue(0));
}

}  // namespace
}  // namespace kestrel
