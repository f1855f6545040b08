// Cross slope and widening: segments, interpolation, the .hp file, its parse cache, the save command.
#include "geometry/slope_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host_doubles/counting_host.h"
#include "geometry/function_error.h"
#include "support/comma_locale.h"
#include "support/command_fixture.h"

namespace kestrel {
namespace {

class SlopeFileTest : public CommandFixture {
 protected:
  std::string FileWith(const std::string& name, const std::string& text, bool mark = true) {
    std::string path = TempPath(name);
    EXPECT_EQ(WriteTextFile(path, text, mark), 1);
    return path;
  }
  // The two control lines of the worked cases: (100, 2, 2) and (200, -2, 4).
  std::string Worked() { return FileWith("worked.hp", "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,4\r\n"); }
  double Value(double station, double offset, const std::string& file, int model = 1) {
    const double cached = SideValue(station, offset, file, model, session.Geometry.Slopes);
    SlopeTables tables;
    EXPECT_EQ(SideValueUncached(station, offset, file, model, tables), cached) << station << " " << offset;
    return cached;
  }
  void Row(int r, CellValue a, CellValue b, CellValue c) {
    Sheet().SetValue({r, 1}, a);
    Sheet().SetValue({r, 2}, b);
    Sheet().SetValue({r, 3}, c);
  }
};

TEST_F(SlopeFileTest, WorkedCases) {
  const std::string file = Worked();
  EXPECT_DOUBLE_EQ(Value(150, -3.5, file), 0);
  EXPECT_DOUBLE_EQ(Value(150, 3.5, file), 3);
  EXPECT_DOUBLE_EQ(Value(125, 3.5, file, 3), 2.3125);
  EXPECT_DOUBLE_EQ(Value(125, -3.5, file, 3), 2 - 0.15625 * 4);
}

TEST_F(SlopeFileTest, ControlStationsGiveTheirOwnValuesOnBothModels) {
  const std::string file = Worked();
  for (int model : {1, 3}) {
    EXPECT_DOUBLE_EQ(Value(100, -1, file, model), 2);
    EXPECT_DOUBLE_EQ(Value(100, 1, file, model), 2);
    EXPECT_DOUBLE_EQ(Value(200, -1, file, model), -2);
    EXPECT_DOUBLE_EQ(Value(200, 1, file, model), 4);
  }
  EXPECT_DOUBLE_EQ(Value(150, 0, file), 3);  // offset 0 is the right side
  EXPECT_DOUBLE_EQ(Value(150, -0.0001, file), 0);
}

TEST_F(SlopeFileTest, CubicTransitionLeavesAndMeetsWithZeroSlope) {
  const SlopeSegment s{2, 4, 100, 200, 100};
  const double h = 1e-4;
  EXPECT_NEAR((SegmentValue(100 + h, s, 3) - SegmentValue(100, s, 3)) / h, 0, 1e-3);
  EXPECT_NEAR((SegmentValue(200, s, 3) - SegmentValue(200 - h, s, 3)) / h, 0, 1e-3);
  EXPECT_DOUBLE_EQ(SegmentValue(150, s, 3), 3);  // symmetric about the middle
  for (double x = 100; x <= 200; x += 5) {
    EXPECT_GE(SegmentValue(x, s, 3), 2);
    EXPECT_LE(SegmentValue(x, s, 3), 4);
  }
}

TEST_F(SlopeFileTest, OtherModelsGiveZeroAndOutsideGivesMinusOne) {
  const std::string file = Worked();
  EXPECT_EQ(Value(150, 1, file, 2), 0);
  EXPECT_EQ(Value(100, 1, file, 0), 0);
  const SlopeSegment s{2, 4, 100, 200, 100};
  EXPECT_EQ(SegmentValue(99, s, 1), -1);
  EXPECT_EQ(SegmentValue(201, s, 3), -1);
  EXPECT_EQ(SegmentValue(201, s, 2), -1);
}

TEST_F(SlopeFileTest, AStationOutsideEverySegmentIsAnError) {
  const std::string file = Worked();
  EXPECT_THROW(SideValue(99.99, 1, file, 1, session.Geometry.Slopes), FunctionError);
  EXPECT_THROW(SideValue(200.01, -1, file, 3, session.Geometry.Slopes), FunctionError);
  SlopeTables tables;
  EXPECT_THROW(SideValueUncached(99.99, 1, file, 1, tables), FunctionError);
}

TEST_F(SlopeFileTest, AtASharedControlStationTheEarlierSegmentWins) {
  const std::string file = FileWith("three.hp", "KestrelFile2.0-HP\r\n0,1,1\r\n100,2,2\r\n200,2,8\r\n");
  SlopeTables tables;
  ASSERT_EQ(LoadSlopeFile(file, tables), 1);
  ASSERT_EQ(tables.LeftSegments.size(), 2u);
  EXPECT_EQ(FindSegmentIndex(tables.LeftSegments, 100), 0);
  EXPECT_EQ(FindSegmentIndex(tables.LeftSegments, 100.5), 1);
  EXPECT_EQ(FindSegmentIndex(tables.LeftSegments, -1), -1);
  EXPECT_EQ(FindSegmentIndex({}, 50), 0);
  EXPECT_DOUBLE_EQ(Value(150, 1, file), 5);
  EXPECT_EQ(tables.RightSegments[1], (SlopeSegment{2, 8, 100, 200, 100}));
}

TEST_F(SlopeFileTest, AZeroLengthFirstSegmentGivesMinusOne) {
  const std::string file = FileWith("zero.hp", "KestrelFile2.0-HP\r\n100,1,1\r\n100,2,2\r\n200,3,3\r\n");
  EXPECT_EQ(Value(100, 1, file, 1), -1);
  EXPECT_EQ(Value(100, -1, file, 3), -1);
  EXPECT_DOUBLE_EQ(Value(150, 1, file), 2.5);
}

TEST_F(SlopeFileTest, UnreadableFilesGiveMinusNineNineNine) {
  const std::pair<const char*, std::string> bad[] = {
      {"case", "kestrelfile2.0-hp\r\n100,2,2\r\n200,-2,4\r\n"},
      {"two fields", "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2\r\n"},
      {"text", "KestrelFile2.0-HP\r\n100,2,2\r\nK200,-2,4\r\n"},
      {"blank between", "KestrelFile2.0-HP\r\n100,2,2\r\n\r\n200,-2,4\r\n"},
  };
  for (const auto& [name, text] : bad) {
    EXPECT_EQ(Value(150, 1, FileWith(std::string(name) + ".hp", text)), -999999) << name;
  }
  EXPECT_EQ(Value(150, 1, TempPath("missing.hp")), -999999);
  EXPECT_EQ(Value(150, 1, FileWith("nomark.hp", "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,4\r\n", false)), -999999);
  EXPECT_EQ(Value(150, 1, TempPath("")), -999999);  // a folder
}

TEST_F(SlopeFileTest, FurtherFieldsAreIgnoredAndTheLastLineNeedsNoLineBreak) {
  const std::string file = FileWith("extra.hp", "KestrelFile2.0-HP\r\n100,2,2,x\r\n200,-2,4,note");
  EXPECT_DOUBLE_EQ(Value(150, 1, file), 3);
}

TEST_F(SlopeFileTest, OneControlLineBuildsNoSegment) {
  EXPECT_DOUBLE_EQ(Value(150, 1, Worked()), 3);
  const std::string single = FileWith("single.hp", "KestrelFile2.0-HP\r\n100,2,2\r\n");
  SlopeTables tables;
  ASSERT_EQ(LoadSlopeFile(single, tables), 1);
  EXPECT_TRUE(tables.LeftSegments.empty());
  // Nothing from the file read before lends its segments.
  EXPECT_THROW(SideValue(150, 1, single, 1, session.Geometry.Slopes), FunctionError);
}

TEST_F(SlopeFileTest, TheParseCacheSeesAChangedFile) {
  const std::string file = Worked();
  EXPECT_DOUBLE_EQ(Value(150, 1, file), 3);
  ASSERT_EQ(session.Geometry.Slopes.Files.size(), 1u);
  // Same size, later time.
  ASSERT_EQ(WriteTextFile(file, "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,6\r\n"), 1);
  std::filesystem::last_write_time(PathFromUtf8(file),
                                   std::filesystem::last_write_time(PathFromUtf8(file)) + std::chrono::seconds(2));
  EXPECT_DOUBLE_EQ(Value(150, 1, file), 4);
  // Another size, same time.
  const auto time = std::filesystem::last_write_time(PathFromUtf8(file));
  ASSERT_EQ(WriteTextFile(file, "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,10\r\n"), 1);
  std::filesystem::last_write_time(PathFromUtf8(file), time);
  EXPECT_DOUBLE_EQ(Value(150, 1, file), 6);
  // A file that became unreadable, and one that was removed.
  ASSERT_EQ(WriteTextFile(file, "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,x\r\n"), 1);
  EXPECT_EQ(Value(150, 1, file), -999999);
  std::filesystem::remove(PathFromUtf8(file));
  EXPECT_EQ(Value(150, 1, file), -999999);
}

TEST_F(SlopeFileTest, TheParseCacheReadsAnUnchangedFileOnce) {
  const std::string file = Worked();
  EXPECT_DOUBLE_EQ(SideValue(150, 1, file, 1, session.Geometry.Slopes), 3);
  // Spoil the cached tables: an unchanged file must be answered from them.
  session.Geometry.Slopes.Files.begin()->second.Tables.RightSegments[0].ToValue = 40;
  EXPECT_DOUBLE_EQ(SideValue(150, 1, file, 1, session.Geometry.Slopes), 21);
  // The same file under another spelling of its path is the same entry.
  const std::filesystem::path path = PathFromUtf8(file);
  const std::string spelled = PathToUtf8(path.parent_path() / "." / path.filename());
  EXPECT_DOUBLE_EQ(SideValue(150, 1, spelled, 1, session.Geometry.Slopes), 21);
  EXPECT_EQ(session.Geometry.Slopes.Files.size(), 1u);
}

TEST_F(SlopeFileTest, NumbersUseAPointInACommaLocale) {
  CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma on this system";
  const std::string text = SlopeFileText({{100.5, -2.25, 2.75}, {200, 1.5, -0.5}});
  EXPECT_EQ(text, "KestrelFile2.0-HP\r\n100.5,-2.25,2.75\r\n200,1.5,-0.5\r\n");
  const std::string file = FileWith("comma.hp", text);
  EXPECT_DOUBLE_EQ(Value(100.5, -1, file), -2.25);
  EXPECT_DOUBLE_EQ(Value(200, 1, file), -0.5);
}

TEST_F(SlopeFileTest, SaveWritesTheSheetsControlStations) {
  Row(1, 100, 2, 2);
  Row(2, "200", "-2左", 4.5);
  Row(3, 12345.678, -0.02, 0.015);
  Row(5, 999, 9, 9);  // after the empty row 4
  const std::string path = TempPath("saved.hp");
  ui.QueueSaveFile(path);
  CommandContext context = Context();
  ASSERT_EQ(SaveSlopeFile(context), CommandOutcome::Completed);
  EXPECT_EQ(ReadTextFile(path), "KestrelFile2.0-HP\r\n100,2,2\r\n200,-2,4.5\r\n12345.678,-0.02,0.015\r\n");
  ASSERT_EQ(ui.Prompts().size(), 1u);
  EXPECT_EQ(ui.Prompts()[0].initialName, "/opt/kestrel");
  EXPECT_EQ(ui.Prompts()[0].filter, "横坡文件(*.hp),*.hp");
  EXPECT_EQ(ui.Prompts()[0].title, "保存横坡文件");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "提示");
  EXPECT_EQ(ui.Messages()[0].text, "纵断面文件保存成功！\r\n" + path);
  EXPECT_DOUBLE_EQ(Value(150, -1, path), 0);
}

TEST_F(SlopeFileTest, SaveCancelFailureAndHostError) {
  Row(1, 100, 2, 2);
  CommandContext context = Context();
  EXPECT_EQ(SaveSlopeFile(context), CommandOutcome::Cancelled);
  ui.QueueSaveFile("False");
  EXPECT_EQ(SaveSlopeFile(context), CommandOutcome::Cancelled);
  EXPECT_TRUE(ui.Messages().empty());

  ui.QueueSaveFile(TempPath("no/such/folder/x.hp"));
  EXPECT_EQ(SaveSlopeFile(context), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "失败");
  EXPECT_EQ(ui.Messages()[0].text, "纵断面文件保存失败！");

  CountingApplication host(book);
  host.Counter().FailOnOperation(HostCall::Values);
  CommandContext refusing(host, context);
  ui.QueueSaveFile(TempPath("y.hp"));
  EXPECT_EQ(SaveSlopeFile(refusing), CommandOutcome::Stopped);
  EXPECT_EQ(ui.Messages().size(), 1u);  // silently
}

TEST_F(SlopeFileTest, AnEmptySheetSavesTheMagicLineOnly) {
  CommandContext context = Context();
  Row(1, 100, 2, 2);
  ui.QueueSaveFile(TempPath("first.hp"));
  ASSERT_EQ(SaveSlopeFile(context), CommandOutcome::Completed);
  Sheet().SetValue({1, 1}, CellValue());
  const std::string path = TempPath("empty.hp");
  ui.QueueSaveFile(path);
  ASSERT_EQ(SaveSlopeFile(context), CommandOutcome::Completed);
  EXPECT_EQ(ReadTextFile(path), "KestrelFile2.0-HP\r\n");
}

}  // namespace
}  // namespace kestrel
