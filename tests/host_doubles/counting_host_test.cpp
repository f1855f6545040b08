// Tests of the counting decorators: counts per operation, the call log, injected faults.
#include <gtest/gtest.h>

#include "host_doubles/counting_host.h"
#include "host/host_error.h"
#include "workbook/memory_workbook.h"

namespace kestrel {
namespace {

class CountingHostTest : public ::testing::Test {
 protected:
  MemoryWorkbook book;
  CountingApplication app{book};
};

TEST_F(CountingHostTest, CountsEveryCallByOperationAndInTotal) {
  Worksheet& sheet = app.ActiveSheet();
  sheet.SetValue({1, 1}, 5);
  sheet.SetValue({2, 1}, 6);
  EXPECT_EQ(sheet.Value({1, 1}), CellValue(5));
  app.SetScreenUpdating(false);
  EXPECT_EQ(app.Counter().Calls(HostCall::ActiveSheet), 1);
  EXPECT_EQ(app.Counter().Calls(HostCall::SetValue), 2);
  EXPECT_EQ(app.Counter().Calls(HostCall::Value), 1);
  EXPECT_EQ(app.Counter().Calls(HostCall::SetScreenUpdating), 1);
  EXPECT_EQ(app.Counter().Calls(HostCall::Values), 0);
  EXPECT_EQ(app.Counter().TotalCalls(), 5);
  EXPECT_EQ(app.Counter().Log(),
            (std::vector<HostCall>{HostCall::ActiveSheet, HostCall::SetValue, HostCall::SetValue, HostCall::Value,
                                  HostCall::SetScreenUpdating}));
  EXPECT_FALSE(book.ScreenUpdating());  // the call reached the host
}

TEST_F(CountingHostTest, SheetsAreWrappedOnceAndShareTheCounter) {
  Worksheet& a = app.ActiveSheet();
  Worksheet& b = app.ActiveSheet();
  EXPECT_EQ(&a, &b);
  EXPECT_NE(&a, &book.ActiveSheet());
  Worksheet& added = app.AddSheet();
  added.Name();
  EXPECT_EQ(added.Name(), "Sheet2");
  EXPECT_EQ(app.Counter().Calls(HostCall::Name), 2);
  EXPECT_EQ(&app.ActiveSheet(), &added);
}

TEST_F(CountingHostTest, TheNthCallFailsOnceWithoutReachingTheHost) {
  Worksheet& sheet = app.ActiveSheet();
  app.Counter().FailOnCall(2);
  sheet.SetValue({1, 1}, 1);
  EXPECT_THROW(sheet.SetValue({2, 1}, 2), HostError);
  sheet.SetValue({3, 1}, 3);
  EXPECT_EQ(book.Active().Value({1, 1}), CellValue(1));
  EXPECT_TRUE(book.Active().Value({2, 1}).IsEmpty());
  EXPECT_EQ(book.Active().Value({3, 1}), CellValue(3));
  EXPECT_EQ(app.Counter().Calls(HostCall::SetValue), 3);  // the failed call counts
}

TEST_F(CountingHostTest, AnOperationFailsEveryTimeUntilFaultsAreCleared) {
  Worksheet& sheet = app.ActiveSheet();
  sheet.SetValue({5, 1}, "row 5");
  app.Counter().FailOnOperation(HostCall::InsertRows);
  EXPECT_THROW(sheet.InsertRows(2, 1), HostError);
  EXPECT_THROW(sheet.InsertRows(3, 1), HostError);
  EXPECT_NO_THROW(sheet.DeleteRows(9, 1));
  EXPECT_EQ(book.Active().Value({5, 1}), CellValue("row 5"));
  app.Counter().ClearFaults();
  sheet.InsertRows(2, 1);
  EXPECT_EQ(book.Active().Value({6, 1}), CellValue("row 5"));
  EXPECT_EQ(app.Counter().Calls(HostCall::InsertRows), 3);
}

TEST_F(CountingHostTest, ApplicationCallsCanFailToo) {
  app.Counter().FailOnOperation(HostCall::AddSheet);
  EXPECT_THROW(app.AddSheet(), HostError);
  EXPECT_EQ(book.SheetCount(), 1);
  app.Counter().FailOnCall(1);
  EXPECT_THROW(app.InchesToPoints(1), HostError);
  EXPECT_DOUBLE_EQ(app.InchesToPoints(1), 72);
}

TEST_F(CountingHostTest, ResetCountsKeepsAnArmedFaultAsFarAway) {
  Worksheet& sheet = app.ActiveSheet();
  app.Counter().FailOnCall(3);
  sheet.Name();
  app.Counter().ResetCounts();
  EXPECT_EQ(app.Counter().TotalCalls(), 0);
  EXPECT_TRUE(app.Counter().Log().empty());
  sheet.Name();
  EXPECT_THROW(sheet.Name(), HostError);
}

TEST_F(CountingHostTest, HostErrorsOfTheDecoratedSheetPassThrough) {
  Worksheet& sheet = app.ActiveSheet();
  EXPECT_THROW(sheet.Value({0, 1}), HostError);
  EXPECT_EQ(app.Counter().Calls(HostCall::Value), 1);
}

}  // namespace
}  // namespace kestrel
