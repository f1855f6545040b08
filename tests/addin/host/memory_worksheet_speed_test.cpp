// Guards against the memory worksheet losing its speed on large sheets (optimised builds only).
#include <gtest/gtest.h>

#include <chrono>

#include "addin/host/memory_worksheet.h"

namespace kestrel {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The bounds are several times what an optimised build needs: a cost per row that grows with
// the sheet (a pass over all rows per insert) takes minutes here, not seconds.
TEST(MemoryWorksheetSpeedTest, LargeSheetOperationsStayFast) {
#ifndef NDEBUG
  GTEST_SKIP() << "timings mean nothing in an unoptimised build";
#endif
  constexpr int kRows = 100000;
  MemoryWorksheet sheet;
  Grid block(kRows, 8);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < 8; ++c) block.At(r, c) = (r * 7919 + c) % kRows;
  auto start = std::chrono::steady_clock::now();
  sheet.SetValues({1, 1}, block);
  Grid back = sheet.Values(RangeRef::Block(1, 1, kRows, 8));
  EXPECT_LT(Seconds(start), 2.0);
  EXPECT_EQ(back.At(kRows - 1, 7), block.At(kRows - 1, 7));

  start = std::chrono::steady_clock::now();
  for (int r = kRows; r >= 2; r -= 10) sheet.InsertRows(r, 1);
  EXPECT_LT(Seconds(start), 2.0);
  EXPECT_EQ(sheet.EndUp({kMaxRows, 1}), kRows + kRows / 10);

  start = std::chrono::steady_clock::now();
  sheet.Sort(RangeRef::Block(1, 1, kRows + kRows / 10, 8), 1, SortHeader::No);
  EXPECT_LT(Seconds(start), 3.0);
  EXPECT_EQ(sheet.Value({1, 1}), CellValue(0));
}

}  // namespace
}  // namespace kestrel
