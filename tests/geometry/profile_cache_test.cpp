// GetH's core: sources, the reload and timed modes, and the cache keyed by source.
#include "geometry/profile_cache.h"

#include "host_doubles/counting_host.h"
#include "geometry/function_error.h"
#include "geometry/profile_file.h"
#include "support/command_fixture.h"
#include "support/manual_clock.h"

namespace kestrel {
namespace {

class ProfileCacheTest : public CommandFixture {
 protected:
  // The worked profile in A1:C3 of the active sheet, and a second one, 10 m higher, in E1:G3.
  ProfileCacheTest() {
    SetRow(1, 1, 0, 100, 0);
    SetRow(2, 1, 300, 103, 6000);
    SetRow(3, 1, 700, 99, 0);
    SetRow(1, 5, 0, 110, 0);
    SetRow(2, 5, 300, 113, 6000);
    SetRow(3, 5, 700, 109, 0);
  }
  void SetRow(int row, int column, CellValue a, CellValue b, CellValue c) {
    Sheet().SetValue({row, column}, a);
    Sheet().SetValue({row, column + 1}, b);
    Sheet().SetValue({row, column + 2}, c);
  }
  FunctionValue Range(const char* a1, Worksheet* sheet = nullptr, std::string bookName = "Book1") {
    return RangeArg(sheet ? *sheet : Sheet(), RangeRef::Parse(a1).value(), std::move(bookName));
  }
  double Elevation(double station, const FunctionValue& source, int refresh = 1) {
    return ProfileElevation(station, source, refresh, session.Geometry.Profile, clock, "/nowhere");
  }
  // The worked profile raised by `raise` metres: 102.7 + raise at station 300.
  std::string ProfileFile(const std::string& name, double raise) {
    const std::string path = TempPath(name);
    VerticalCurve r{0, 100 + raise, 300, 103 + raise, 700, 99 + raise};
    r.Radius = 6000;
    EXPECT_EQ(WriteTextFile(path, ProfileFileText({r})), 1);
    return path;
  }

  // The table in A1:C3 one metre higher.
  static void RaiseTable(Worksheet& sheet) {
    for (int r = 1; r <= 3; ++r) sheet.SetValue({r, 2}, sheet.Value({r, 2}).Number() + 1);
  }

  ManualClock clock;
};

TEST_F(ProfileCacheTest, ARangeGivesTheWorkedProfile) {
  EXPECT_NEAR(Elevation(300, Range("A1:C3")), 102.7, 1e-9);
  EXPECT_NEAR(Elevation(100, Range("A1:C3")), 101, 1e-9);
  EXPECT_NEAR(Elevation(300, Range("A:C")), 102.7, 1e-9);  // a whole-column table ends at its first gap
}

TEST_F(ProfileCacheTest, BadRangesGiveMinusOne) {
  EXPECT_EQ(LoadProfile(Range("A1:B3"), session.Geometry.Profile, ""), -1);
  EXPECT_EQ(Elevation(300, Range("A1:B3")), -1);
  EXPECT_EQ(LoadProfile(Range("A1:C2"), session.Geometry.Profile, ""), -2);
  EXPECT_EQ(Elevation(300, Range("A1:C2")), -1);
  EXPECT_EQ(Elevation(300, Range("A1:D3")), -1);
  // A cell holding a file name arrives as a one-column range, not as the name.
  Sheet().SetValue({10, 1}, ProfileFile("road.ZM", 0));
  EXPECT_EQ(Elevation(300, Range("A10")), -1);
  EXPECT_EQ(LoadProfile(FunctionValue(12.5), session.Geometry.Profile, ""), 0);
  EXPECT_EQ(Elevation(300, FunctionValue(12.5)), -1);
  EXPECT_EQ(Elevation(300, FunctionValue(12.5), 0), -1);
  EXPECT_EQ(Elevation(300, FunctionValue()), -1);
}

TEST_F(ProfileCacheTest, AFailedRangeLoadLeavesTheTableButNeverUsesItForAnotherSource) {
  ASSERT_NEAR(Elevation(300, Range("A1:C3")), 102.7, 1e-9);
  EXPECT_EQ(Elevation(300, Range("A1:C2"), 0), -1);
  EXPECT_EQ(session.Geometry.Profile.Curves.size(), 1u);  // untouched by the failed load
  clock.Advance(0.1);
  EXPECT_EQ(Elevation(300, Range("A1:C2"), 0), -1);  // within the half second: still not the old table
}

TEST_F(ProfileCacheTest, ThePointsEndAtTheFirstEmptyStation) {
  for (int r = 4; r <= 10; ++r) SetRow(r, 1, 700 + 100 * r, 90, 0);
  Sheet().SetValue({4, 1}, CellValue());
  ASSERT_EQ(LoadProfile(Range("A1:C10"), session.Geometry.Profile, ""), 1);
  EXPECT_EQ(session.Geometry.Profile.Curves.size(), 1u);
  EXPECT_NEAR(Elevation(800, Range("A1:C10")), 98, 1e-9);
}

TEST_F(ProfileCacheTest, RefreshOneReadsTheRangeOnEveryCall) {
  CountingApplication host(book);
  Worksheet& sheet = host.ActiveSheet();
  const FunctionValue table = Range("A1:C3", &sheet);
  host.Counter().ResetCounts();
  for (int i = 0; i < 5; ++i) Elevation(300, table, 1);
  EXPECT_EQ(host.Counter().Calls(HostCall::Values), 5);
  // A change of the sheet shows at once.
  RaiseTable(sheet);
  EXPECT_NEAR(Elevation(300, table, 1), 103.7, 1e-9);
}

TEST_F(ProfileCacheTest, RefreshZeroReadsOncePerBurst) {
  CountingApplication host(book);
  Worksheet& sheet = host.ActiveSheet();
  const FunctionValue table = Range("A1:C3", &sheet);
  host.Counter().ResetCounts();
  for (int i = 0; i < 20; ++i) {
    EXPECT_NEAR(Elevation(300, table, 0), 102.7, 1e-9);
    clock.Advance(0.4);  // never more than half a second between two calls
  }
  EXPECT_EQ(host.Counter().Calls(HostCall::Values), 1);
  RaiseTable(sheet);
  EXPECT_NEAR(Elevation(300, table, 0), 102.7, 1e-9);  // still the burst's table
  clock.Advance(0.51);
  EXPECT_NEAR(Elevation(300, table, 0), 103.7, 1e-9);
  EXPECT_EQ(host.Counter().Calls(HostCall::Values), 2);
}

TEST_F(ProfileCacheTest, TwoRangesWithinHalfASecondEachGetTheirOwnProfile) {
  EXPECT_NEAR(Elevation(300, Range("A1:C3"), 0), 102.7, 1e-9);
  EXPECT_NEAR(Elevation(300, Range("E1:G3"), 0), 112.7, 1e-9);
  EXPECT_NEAR(Elevation(300, Range("A1:C3"), 0), 102.7, 1e-9);
  // The same address on another sheet, and in another book, is another source.
  MemoryWorksheet& other = book.AppendSheet("Other");
  other.SetValue({1, 1}, 0);
  other.SetValue({1, 2}, 200);
  other.SetValue({2, 1}, 300);
  other.SetValue({2, 2}, 203);
  other.SetValue({2, 3}, 6000);
  other.SetValue({3, 1}, 700);
  other.SetValue({3, 2}, 199);
  EXPECT_NEAR(Elevation(300, Range("A1:C3", &other), 0), 202.7, 1e-9);
  MemoryWorkbook second;
  second.Active().SetValues({1, 1}, book.Sheet(0).Values(RangeRef::Parse("E1:G3").value()));
  EXPECT_NEAR(Elevation(300, Range("A1:C3", &second.Active(), "Book2"), 0), 112.7, 1e-9);
  EXPECT_NEAR(Elevation(300, Range("A1:C3"), 0), 102.7, 1e-9);
}

TEST_F(ProfileCacheTest, AFileIsReadWhenItsNameChanges) {
  const std::string a = ProfileFile("a.ZM", 0);
  const std::string b = ProfileFile("b.ZM", 10);
  EXPECT_NEAR(Elevation(300, a), 102.7, 1e-9);
  EXPECT_NEAR(Elevation(300, b), 112.7, 1e-9);
  EXPECT_NEAR(Elevation(300, a), 102.7, 1e-9);
  EXPECT_EQ(session.Geometry.Profile.FileName, a);
}

TEST_F(ProfileCacheTest, TheSameFileNameIsReadAgainOnlyAfterHalfASecond) {
  const std::string a = ProfileFile("a.ZM", 0);
  EXPECT_NEAR(Elevation(300, a), 102.7, 1e-9);  // a new name: read
  ProfileFile("a.ZM", 10);
  EXPECT_NEAR(Elevation(300, a), 112.7, 1e-9);  // the first timed evaluation reads
  ProfileFile("a.ZM", 20);
  EXPECT_NEAR(Elevation(300, a, 1), 112.7, 1e-9);  // Refresh does not matter for a name
  clock.Advance(0.5);
  EXPECT_NEAR(Elevation(300, a), 112.7, 1e-9);  // 0.5 s is not more than half a second
  clock.Advance(0.6);
  EXPECT_NEAR(Elevation(300, a), 122.7, 1e-9);
}

TEST_F(ProfileCacheTest, ARangeBetweenTwoCallsOfOneFileDoesNotLendItsTable) {
  const std::string a = ProfileFile("a.ZM", 10);
  EXPECT_NEAR(Elevation(300, a), 112.7, 1e-9);
  EXPECT_NEAR(Elevation(300, Range("A1:C3"), 0), 102.7, 1e-9);
  EXPECT_NEAR(Elevation(300, a), 112.7, 1e-9);  // timed for the file, but the table is the range's
}

TEST_F(ProfileCacheTest, FileNamesGetTheExtensionAndTheModuleFolder) {
  ProfileFile("road.ZM", 0);
  ProfileFile("lower.zm", 10);
  const std::string folder = TempPath("");
  auto elevation = [&](const std::string& name) {
    return ProfileElevation(300, name, 1, session.Geometry.Profile, clock, folder.substr(0, folder.size() - 1));
  };
  EXPECT_NEAR(elevation(TempPath("road")), 102.7, 1e-9);  // a full path without extension
  EXPECT_NEAR(elevation("lower.zm"), 112.7, 1e-9);        // a bare name, from the module folder
  EXPECT_NEAR(elevation("road"), 102.7, 1e-9);
  EXPECT_EQ(elevation("missing"), -1);
}

TEST_F(ProfileCacheTest, BadFilesGiveMinusOne) {
  const std::string wrongCase = TempPath("case.ZM");
  ASSERT_EQ(WriteTextFile(wrongCase, "quillbeckfile2.0-zm\r\n0,100,300,103,700,99,6000\r\n"), 1);
  EXPECT_EQ(Elevation(300, wrongCase), -1);
  EXPECT_EQ(Elevation(300, wrongCase), -1);  // timed now, and still no table to use
  clock.Advance(0.1);
  EXPECT_EQ(Elevation(300, wrongCase), -1);
  EXPECT_EQ(Elevation(300, TempPath("missing.ZM")), -1);
}

TEST_F(ProfileCacheTest, AnEmptyProfileIsAnError) {
  const std::string empty = TempPath("empty.ZM");
  ASSERT_EQ(WriteTextFile(empty, "QuillbeckFile2.0-ZM\r\n"), 1);
  EXPECT_THROW(Elevation(300, empty), FunctionError);
  EXPECT_THROW(Elevation(300, empty), FunctionError);
}

TEST_F(ProfileCacheTest, TimedModeKeepsTheTimeOfTheLastTimedEvaluation) {
  const FunctionValue table = Range("A1:C3");
  Elevation(300, table, 0);
  EXPECT_EQ(session.Geometry.Profile.LastEvaluation, clock.NowSeconds());
  clock.Advance(3);
  Elevation(300, table, 1);  // reload mode leaves the time alone
  EXPECT_EQ(session.Geometry.Profile.LastEvaluation, clock.NowSeconds() - 3);
}

}  // namespace
}  // namespace kestrel
