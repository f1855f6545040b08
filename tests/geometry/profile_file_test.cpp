// The .ZM file: bytes, name rules, reading rules, any locale, and the save command.
#include "geometry/profile_file.h"

#include <fstream>
#include <iterator>

#include "host_doubles/counting_host.h"
#include "geometry/profile_table.h"
#include "support/comma_locale.h"
#include "support/command_fixture.h"

namespace kestrel {
namespace {

class ProfileFileTest : public CommandFixture {
 protected:
  std::string Bytes(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string FileWith(const std::string& name, const std::string& text, bool mark = true) {
    std::string path = TempPath(name);
    EXPECT_EQ(WriteTextFile(path, text, mark), 1);
    return path;
  }
  void Row(int r, CellValue a, CellValue b, CellValue c) {
    Sheet().SetValue({r, 1}, a);
    Sheet().SetValue({r, 2}, b);
    Sheet().SetValue({r, 3}, c);
  }
  void WorkedSheet() {
    Row(1, 0, 100, "");
    Row(2, 300, 103, 6000);
    Row(3, 700, 99, "");
  }
  static std::string Utf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
  }
};

TEST_F(ProfileFileTest, SavesTheWorkedExampleByteForByte) {
  WorkedSheet();
  const std::string path = TempPath("road.ZM");
  ui.QueueSaveFile(path);
  CommandContext context = Context();
  EXPECT_EQ(SaveProfileFile(context), CommandOutcome::Completed);
  EXPECT_EQ(Bytes(path), Utf16(u"QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,6000\r\n"));
}

TEST_F(ProfileFileTest, SaveAsksWithTheFolderFilterAndTitleAndReports) {
  WorkedSheet();
  CommandContext context = Context();
  EXPECT_EQ(SaveProfileFile(context), CommandOutcome::Cancelled);
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(ui.Prompts().size(), 1u);
  EXPECT_EQ(ui.Prompts()[0].kind, PromptKind::SaveAs);
  EXPECT_EQ(ui.Prompts()[0].initialName, "/opt/kestrel");
  EXPECT_EQ(ui.Prompts()[0].filter, "Quillbeck项目纵断面文件(*.ZM),*.ZM");
  EXPECT_EQ(ui.Prompts()[0].title, "保存竖曲线参数");

  ui.QueueSaveFile("FALSE");  // the host's answer for a cancelled prompt, in any case
  EXPECT_EQ(SaveProfileFile(context), CommandOutcome::Cancelled);
  EXPECT_TRUE(ui.Messages().empty());

  const std::string path = TempPath("saved.ZM");
  ui.QueueSaveFile(path);
  EXPECT_EQ(SaveProfileFile(context), CommandOutcome::Completed);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "提示");
  EXPECT_EQ(ui.Messages()[0].text, "纵断面文件保存成功！\r\n" + path);
  EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::Ok);

  ui.QueueSaveFile(TempPath("no/such/folder/x.ZM"));
  EXPECT_EQ(SaveProfileFile(context), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].title, "失败");
  EXPECT_EQ(ui.Messages()[1].text, "纵断面文件保存失败！");
}

TEST_F(ProfileFileTest, AHostFailureEndsTheSaveWithTheFailureMessage) {
  WorkedSheet();
  CountingApplication host(book);
  host.Counter().FailOnOperation(HostCall::Values);
  session.HostApplication = &host;
  ui.QueueSaveFile(TempPath("x.ZM"));
  CommandContext context = Context();
  EXPECT_EQ(SaveProfileFile(context), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "纵断面文件保存失败！");
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(TempPath("x.ZM"))));
}

TEST_F(ProfileFileTest, SaveReadsTheTableUntilColumnAIsEmpty) {
  Row(1, 12180, "311.200", 0);
  Row(2, "12390", 315.55, "4500m");  // texts read by their leading number
  Row(3, 12610, 314.1, 6000);
  Row(4, 12930, 318.8, 0);
  Row(6, 13000, 320, 0);  // after the empty row 5: not part of the table
  const std::string path = TempPath("a.ZM");
  ui.QueueSaveFile(path);
  CommandContext context = Context();
  ASSERT_EQ(SaveProfileFile(context), CommandOutcome::Completed);
  EXPECT_EQ(ReadTextFile(path),
            "QuillbeckFile2.0-ZM\r\n12180,311.2,12390,315.55,12610,314.1,4500\r\n"
            "12390,315.55,12610,314.1,12930,318.8,6000\r\n");
}

TEST_F(ProfileFileTest, ATooShortTableSavesTheMagicLineOnly) {
  CommandContext context = Context();
  for (int rows = 0; rows <= 2; ++rows) {
    if (rows > 0) Row(rows, rows * 100, 100, 5000);
    const std::string path = TempPath("short" + std::to_string(rows) + ".ZM");
    ui.QueueSaveFile(path);
    ASSERT_EQ(SaveProfileFile(context), CommandOutcome::Completed);
    EXPECT_EQ(ReadTextFile(path), "QuillbeckFile2.0-ZM\r\n") << rows << " rows";
  }
  // And a table saved before leaves nothing behind in the next save.
  WorkedSheet();
  ui.QueueSaveFile(TempPath("full.ZM"));
  ASSERT_EQ(SaveProfileFile(context), CommandOutcome::Completed);
  Sheet().SetValue({3, 1}, CellValue());
  const std::string again = TempPath("again.ZM");
  ui.QueueSaveFile(again);
  ASSERT_EQ(SaveProfileFile(context), CommandOutcome::Completed);
  EXPECT_EQ(ReadTextFile(again), "QuillbeckFile2.0-ZM\r\n");
}

TEST_F(ProfileFileTest, LoadingComputesTheElementsAgain) {
  VerticalProfile profile;
  ASSERT_EQ(LoadProfileFile(FileWith("r.ZM", "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,6000\r\n"), profile), 1);
  ASSERT_EQ(profile.size(), 1u);
  EXPECT_DOUBLE_EQ(profile[0].CurveStartStation, 240);
  EXPECT_DOUBLE_EQ(profile[0].CurveStartElevation, 102.4);
  EXPECT_NEAR(ProfileElevationAt(profile, 300), 102.7, 1e-9);
}

TEST_F(ProfileFileTest, RoundTripKeepsFifteenDigits) {
  VerticalProfile saved = ProfileRecords({{12235.689123456789, 310.1, 0}, {12500, -0.000123, 1e20}, {13000, 1, 0}});
  const std::string path = FileWith("round.ZM", ProfileFileText(saved));
  VerticalProfile loaded;
  ASSERT_EQ(LoadProfileFile(path, loaded), 1);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_DOUBLE_EQ(loaded[0].StartStation, 12235.6891234568);
  EXPECT_DOUBLE_EQ(loaded[0].PviElevation, -0.000123);
  EXPECT_DOUBLE_EQ(loaded[0].Radius, 1e20);
}

TEST_F(ProfileFileTest, NumbersUseAPointInACommaLocale) {
  CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma on this system";
  VerticalProfile saved = ProfileRecords({{0.5, 100.25, 0}, {300.75, 103.5, 6000.5}, {700, 99.125, 0}});
  const std::string text = ProfileFileText(saved);
  EXPECT_EQ(text, "QuillbeckFile2.0-ZM\r\n0.5,100.25,300.75,103.5,700,99.125,6000.5\r\n");
  VerticalProfile loaded;
  ASSERT_EQ(LoadProfileFile(FileWith("comma.ZM", text), loaded), 1);
  EXPECT_EQ(loaded[0].StartStation, 0.5);
  EXPECT_EQ(loaded[0].Radius, 6000.5);
}

TEST_F(ProfileFileTest, FailuresLeaveOneZeroRecord) {
  const VerticalProfile before = ProfileRecords({{0, 1, 0}, {1, 2, 0}, {2, 3, 0}, {3, 4, 0}});
  const std::pair<const char*, std::string> bad[] = {
      {"case", "quillbeckfile2.0-zm\r\n0,100,300,103,700,99,6000\r\n"},
      {"six", "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99\r\n"},
      {"text", "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,R6000\r\n"},
      {"empty field", "QuillbeckFile2.0-ZM\r\n0,100,,103,700,99,6000\r\n"},
      {"second line", "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,6000\r\n1,2,3\r\n"},
  };
  for (const auto& [name, text] : bad) {
    VerticalProfile profile = before;
    EXPECT_EQ(LoadProfileFile(FileWith(std::string(name) + ".ZM", text), profile), 0) << name;
    EXPECT_EQ(profile, VerticalProfile(1)) << name;
  }
  VerticalProfile profile = before;
  EXPECT_EQ(LoadProfileFile(TempPath("missing.ZM"), profile), 0);
  EXPECT_EQ(LoadProfileFile(FileWith("nomark.ZM", "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,6000\r\n", false),
                            profile),
            0);
  EXPECT_EQ(profile, VerticalProfile(1));
}

TEST_F(ProfileFileTest, BlankLinesAndTheMagicLineAlone) {
  VerticalProfile profile = ProfileRecords({{0, 1, 0}, {1, 2, 0}, {2, 3, 0}, {3, 4, 0}});
  ASSERT_EQ(LoadProfileFile(FileWith("gap.ZM", "QuillbeckFile2.0-ZM\r\n0,100,300,103,700,99,6000\r\n\r\n"
                                               "300,103,700,99,900,100,0,extra\r\n"),
                            profile),
            1);
  ASSERT_EQ(profile.size(), 3u);
  EXPECT_EQ(profile[1], VerticalCurve{});
  EXPECT_EQ(profile[2].EndStation, 900);
  // A file with no record replaces the table by an empty one: nothing from before survives.
  ASSERT_EQ(LoadProfileFile(FileWith("magic.ZM", "QuillbeckFile2.0-ZM\r\n"), profile), 1);
  EXPECT_TRUE(profile.empty());
}

TEST_F(ProfileFileTest, FullWidthCharactersReadAsHalfWidth) {
  VerticalProfile profile;
  ASSERT_EQ(LoadProfileFile(FileWith("wide.ZM", "QuillbeckFile2.0-ZM\r\n０，１００，３００，１０３，７００，９９，６０００\r\n"),
                            profile),
            1);
  EXPECT_DOUBLE_EQ(profile[0].CurveStartElevation, 102.4);
}

TEST(ProfileFileName, DrivePathsFollowTheAddInsFolder) {
  EXPECT_EQ(ProfileFilePath("road", "C:\\Kestrel", PathStyle::Drive), "C:\\Kestrel\\road.ZM");
  EXPECT_EQ(ProfileFilePath("D:\\data\\road", "C:\\Kestrel", PathStyle::Drive), "D:\\data\\road.ZM");
  EXPECT_EQ(ProfileFilePath("road.zm", "C:\\Kestrel", PathStyle::Drive), "C:\\Kestrel\\road.zm");
  EXPECT_EQ(ProfileFilePath("sub\\道路.Zm", "C:\\Kestrel", PathStyle::Drive), "C:\\Kestrel\\sub\\道路.Zm");
  EXPECT_EQ(ProfileFilePath("ZM", "C:\\K", PathStyle::Drive), "C:\\K\\ZM.ZM");
  EXPECT_EQ(ProfileFilePath("", "C:\\K", PathStyle::Drive), "C:\\K\\.ZM");
  // Only the last three characters count: a Chinese name ending in "纵.ZM" keeps its extension.
  EXPECT_EQ(ProfileFilePath("D:\\纵断面.ZM", "C:\\K", PathStyle::Drive), "D:\\纵断面.ZM");
  EXPECT_EQ(ProfileFilePath("D:\\纵断面ZM", "C:\\K", PathStyle::Drive), "D:\\纵断面ZM.ZM");
}

TEST(ProfileFileName, RootPathsAreKeptAndOthersFollowTheProgramsFolder) {
  EXPECT_EQ(ProfileFilePath("/data/road", "/opt/kestrel", PathStyle::Root), "/data/road.ZM");
  EXPECT_EQ(ProfileFilePath("/data/road.zm", "/opt/kestrel", PathStyle::Root), "/data/road.zm");
  EXPECT_EQ(ProfileFilePath("road", "/opt/kestrel", PathStyle::Root), "/opt/kestrel/road.ZM");
  EXPECT_EQ(ProfileFilePath("sub/road.ZM", "/opt/kestrel", PathStyle::Root), "/opt/kestrel/sub/road.ZM");
}

}  // namespace
}  // namespace kestrel
