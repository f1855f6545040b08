// RangeArg: what a range argument reads from its sheet, and the key that tells ranges apart.
#include "host/range_arg.h"

#include <gtest/gtest.h>

#include "workbook/memory_workbook.h"

namespace kestrel {
namespace {

TEST(RangeArg, ReadsValuesTextsAndFormulasOfItsCells) {
  MemoryWorkbook book;
  MemoryWorksheet& sheet = book.Active();
  sheet.SetValue({2, 2}, 1.5);
  sheet.SetValue({3, 2}, "=B2*2");
  const RangeArg block(sheet, RangeRef::Parse("B2:C4").value(), "road.xlsx");
  EXPECT_EQ(block.Rows(), 3);
  EXPECT_EQ(block.Columns(), 2);
  EXPECT_FALSE(block.IsSingleCell());
  EXPECT_EQ(block.Values().At(0, 0), CellValue(1.5));
  EXPECT_EQ(block.FirstValue(), CellValue(1.5));
  EXPECT_EQ(block.Address(), "$B$2:$C$4");
  const RangeArg cell(sheet, RangeRef::Cell(3, 2), "road.xlsx");
  EXPECT_EQ(cell.Address(), "$B$3");
  EXPECT_EQ(cell.Formula(), "=B2*2");
  sheet.SetNumberFormat(RangeRef::Cell(2, 2), "0.00");
  EXPECT_EQ(RangeArg(sheet, RangeRef::Cell(2, 2)).Text(), "1.50");
}

TEST(RangeArg, RowBlocksStayInsideTheRange) {
  MemoryWorkbook book;
  const RangeArg table(book.Active(), RangeRef::Parse("A3:C10").value());
  EXPECT_EQ(table.RowBlock(0, 4).Ref(), RangeRef::Parse("A3:C6").value());
  EXPECT_EQ(table.RowBlock(4, 4).Ref(), RangeRef::Parse("A7:C10").value());
  EXPECT_EQ(table.RowBlock(6, 512).Ref(), RangeRef::Parse("A9:C10").value());
}

TEST(RangeArg, KeysDifferByBookSheetAndAddress) {
  MemoryWorkbook book;
  MemoryWorksheet& other = book.AppendSheet("Other");
  const RangeRef ref = RangeRef::Parse("A1:C3").value();
  const std::string key = RangeArg(book.Active(), ref, "a.xlsx").Key();
  EXPECT_EQ(key, RangeArg(book.Active(), ref, "a.xlsx").Key());
  EXPECT_NE(key, RangeArg(book.Active(), ref, "b.xlsx").Key());
  EXPECT_NE(key, RangeArg(other, ref, "a.xlsx").Key());
  EXPECT_NE(key, RangeArg(book.Active(), RangeRef::Parse("A1:C4").value(), "a.xlsx").Key());
  // HasKey, which compares without building the key, agrees with comparing keys.
  EXPECT_TRUE(RangeArg(book.Active(), ref, "a.xlsx").HasKey(key));
  for (const RangeArg& r : {RangeArg(book.Active(), ref, "b.xlsx"), RangeArg(other, ref, "a.xlsx"),
                            RangeArg(book.Active(), RangeRef::Parse("A1:C4").value(), "a.xlsx"),
                            RangeArg(book.Active(), RangeRef::Parse("C3").value(), "a.xlsx"),
                            RangeArg(book.Active(), ref, "a.xlsx\x1FSheet1")}) {
    EXPECT_FALSE(r.HasKey(key)) << r.Key();
    EXPECT_TRUE(r.HasKey(r.Key())) << r.Key();
  }
}

}  // namespace
}  // namespace kestrel
