// VlookZhD: station and offset tolerances, the switches that turn the offset off, its errors.
#include "geometry/lookup_function.h"

#include <gtest/gtest.h>

#include <new>

#include "host_doubles/counting_host.h"
#include "workbook/memory_workbook.h"

namespace kestrel {
namespace {

// A host with little memory: reading more than `cells` cells in one call runs out of it.
class SmallMemorySheet : public CountingWorksheet {
 public:
  SmallMemorySheet(Worksheet& inner, CallCounter& counter, long cells) : CountingWorksheet(inner, counter), cells_(cells) {}
  Grid Values(const RangeRef& range) override {
    if (static_cast<long>(range.Rows()) * range.Columns() > cells_) throw std::bad_alloc();
    return CountingWorksheet::Values(range);
  }

 private:
  long cells_;
};

class VlookZhDTest : public ::testing::Test {
 protected:
  // Station, offset, elevation, note per row.
  VlookZhDTest() {
    const double rows[][3] = {{12200, -5, 310.1}, {12200, 0, 311.2}, {12200, 5, 310.3},
                              {12220.004, 0, 312.5}, {12240, 3.3, 313.7}};
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 3; ++c) sheet().SetValue({r + 1, c + 1}, rows[r][c]);
    sheet().SetValue({5, 4}, "K12+240 右");
  }
  MemoryWorksheet& sheet() { return book.Active(); }
  FunctionValue Table(const char* a1 = "A1:D5") { return RangeArg(sheet(), RangeRef::Parse(a1).value(), "Book1"); }
  double Look(double station, FunctionValue d, int column, double zhDig = 0, double dDig = 0,
              FunctionValue table = FunctionValue()) {
    return VlookZhD(station, d, table.IsEmpty() ? Table() : table, column, zhDig, dDig);
  }
  MemoryWorkbook book;
};

TEST_F(VlookZhDTest, StationAndOffset) {
  EXPECT_EQ(Look(12200, 0, 3), 311.2);
  EXPECT_EQ(Look(12200, 5, 3), 310.3);
  EXPECT_EQ(Look(12200, "-5", 3), 310.1);
  EXPECT_EQ(Look(12200, "5m", 3), 310.3);  // the leading number of the offset's text
  EXPECT_EQ(Look(12200, 2, 3), -999999);
  EXPECT_EQ(Look(12200, 2, 3, 0, 3), 311.2);  // within 3 m: the first such row
}

TEST_F(VlookZhDTest, StationTolerance) {
  EXPECT_EQ(Look(12220, 0, 3), -999999);
  EXPECT_EQ(Look(12220, 0, 3, 0.005), 312.5);
  EXPECT_EQ(Look(12220, 0, 3, -0.005), 312.5);  // the tolerance's size counts, not its sign
  EXPECT_EQ(Look(12220, 0, 3, 0.000004), -999999);  // rounded to 5 decimals: 0
}

TEST_F(VlookZhDTest, TheOffsetIsIgnoredForNoEmptyOr999999) {
  EXPECT_EQ(Look(12200, "NO", 3), 310.1);
  EXPECT_EQ(Look(12200, "no", 3), 310.1);
  EXPECT_EQ(Look(12200, "", 3), 310.1);
  EXPECT_EQ(Look(12200, FunctionValue(), 3), 310.1);
  EXPECT_EQ(Look(12200, 5, 3, 0, 999999), 310.1);
  EXPECT_EQ(Look(12200, 5, 3, 0, -999999), 310.1);
  EXPECT_EQ(Look(12200, 5, 3, 0, 999999.000001), 310.1);  // rounds to 999999
  EXPECT_EQ(Look(12200, 5, 3, 0, 999998), 310.1);  // any offset lies within it, but it is compared
}

TEST_F(VlookZhDTest, AnOffsetInACell) {
  sheet().SetValue({9, 9}, "No");
  sheet().SetValue({10, 9}, 5);
  EXPECT_EQ(Look(12200, RangeArg(sheet(), RangeRef::Cell(9, 9), "Book1"), 3), 310.1);
  EXPECT_EQ(Look(12200, RangeArg(sheet(), RangeRef::Cell(10, 9), "Book1"), 3), 310.3);
}

TEST_F(VlookZhDTest, ColumnsAndCellsReadAsLeadingNumbers) {
  EXPECT_EQ(Look(12240, 3.3, 4), 0);  // "K12+240 右" has no leading number
  EXPECT_EQ(Look(12240, 3.3, 1), 12240);
  EXPECT_EQ(Look(12240, 3.3, 5), -999999);  // beyond the table
  EXPECT_EQ(Look(12240, 3.3, 0), -999999);
  EXPECT_EQ(Look(12240, 3.3, -1), -999999);
}

TEST_F(VlookZhDTest, TolerancesComeBackRounded) {
  double zhDig = -0.123456789;
  double dDig = 2.5000049;
  VlookZhD(12200, 0, Table(), 3, zhDig, dDig);
  EXPECT_DOUBLE_EQ(zhDig, 0.12346);
  EXPECT_DOUBLE_EQ(dDig, 2.5);
  double halfEven = 0.000025;
  double other = 0;
  VlookZhD(12200, 0, Table(), 3, halfEven, other);
  EXPECT_DOUBLE_EQ(halfEven, 0.00002);  // halves to even, as the host rounds
}

TEST_F(VlookZhDTest, ErrorsGiveMinusNineNineNine) {
  double zhDig = 1.23456789, dDig = 0;
  EXPECT_EQ(VlookZhD(12200, "no", RangeArg(sheet(), RangeRef::Cell(1, 1), "Book1"), 1, zhDig, dDig), -999999);
  EXPECT_EQ(zhDig, 1.23457);  // the single cell was read before it failed as a table
  zhDig = 1.23456789;
  EXPECT_EQ(VlookZhD(12200, "no", "A1:D5", 1, zhDig, dDig), -999999);  // a text is not a range
  EXPECT_EQ(zhDig, 1.23456789);
  EXPECT_EQ(Look(12200, 0, 1, 0, 0, Table("A1:A5")), -999999);  // no offset column to compare
  EXPECT_EQ(Look(12200, "no", 1, 0, 0, Table("A1:A5")), 12200);
  EXPECT_EQ(Look(12200, 0, 3, 0, 0, FunctionValue("x")), -999999);
}

TEST_F(VlookZhDTest, AWholeColumnTableIsReadOnlyAsFarAsItIsFilled) {
  CallCounter counter;
  SmallMemorySheet small(sheet(), counter, 1000);
  const FunctionValue whole = RangeArg(small, RangeRef::Parse("A:D").value(), "Book1");
  EXPECT_EQ(Look(12200, 0, 3, 0, 0, whole), 311.2);
  EXPECT_EQ(Look(12240, "no", 4, 0, 0, whole), 0);
  EXPECT_EQ(Look(12250, "no", 3, 0, 0, whole), -999999);
  // Below the filled rows every row reads as station 0, offset 0: the first of them answers.
  sheet().SetValue({6, 3}, 42.0);
  EXPECT_EQ(Look(0, 0, 3, 0, 0, whole), 42);
  EXPECT_EQ(Look(0, 0, 3, 0, 0, Table("A1:D5")), -999999);
  EXPECT_LT(counter.TotalCalls(), 30);

  // A table too large for the memory left is an error the host shows, not "not found".
  for (int r = 6; r <= 600; ++r) sheet().SetValue({r, 1}, 13000.0 + r);
  double zhDig = 0, dDig = 0;
  EXPECT_THROW(VlookZhD(13400, "no", whole, 1, zhDig, dDig), std::bad_alloc);
}

}  // namespace
}  // namespace kestrel
