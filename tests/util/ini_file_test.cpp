// IniFile: private-profile reading, writing and deleting, on real files.
#include "util/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "util/text_file.h"

namespace kestrel {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() / (std::string("kestrel-ini-") + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ini.SetINIFileName(Path("settings.ini"));
  }
  ~IniFileTest() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) { return PathToUtf8(dir_ / name); }
  std::string Bytes() {
    std::ifstream in(PathFromUtf8(ini.INIFileName()), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  void Write(const std::string& bytes) { ASSERT_TRUE(WriteFileAtomically(PathFromUtf8(ini.INIFileName()), bytes)); }

  IniFile ini;

 private:
  std::filesystem::path dir_;
};

TEST_F(IniFileTest, AMissingFileGivesTheDefault) {
  EXPECT_EQ(ini.GetIniKey("CAD", "Path", "none"), "none");
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(ini.INIFileName())));
  IniFile unnamed;
  EXPECT_EQ(unnamed.INIFileName(), "");
  EXPECT_EQ(unnamed.GetIniKey("a", "b", "d"), "d");
  EXPECT_EQ(unnamed.WriteIniKey("a", "b", "c"), 0);
}

TEST_F(IniFileTest, WritingCreatesFileSectionAndKey) {
  EXPECT_NE(ini.WriteIniKey("CAD", "Path", "C:\\CAD"), 0);
  EXPECT_NE(ini.WriteIniKey("CAD", "Version", "2014"), 0);
  EXPECT_NE(ini.WriteIniKey("Kestrel", "Last", "道路.xlsx"), 0);
  EXPECT_EQ(Bytes(), "[CAD]\r\nPath=C:\\CAD\r\nVersion=2014\r\n[Kestrel]\r\nLast=道路.xlsx\r\n");
  EXPECT_EQ(ini.GetIniKey("CAD", "Version", ""), "2014");
  EXPECT_EQ(ini.GetIniKey("Kestrel", "Last", ""), "道路.xlsx");
}

TEST_F(IniFileTest, NamesIgnoreCaseAndTheLastWriteWins) {
  ini.WriteIniKey("CAD", "Path", "first");
  ini.WriteIniKey("cad", "PATH", "second");
  EXPECT_EQ(ini.GetIniKey("Cad", "path", "none"), "second");
  EXPECT_EQ(Bytes(), "[CAD]\r\nPATH=second\r\n");
}

TEST_F(IniFileTest, ANewKeyGoesAfterTheSectionsLastLine) {
  Write("; settings\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ini.WriteIniKey("A", "z", "3");
  EXPECT_EQ(Bytes(), "; settings\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, ReadingTrimsBlanksAndQuotes) {
  Write("[ Road ]\n  Width = 7.5  \nName=\"  K12 \"\nNote='x'\nOdd=\"x'\nBare\n;Width=9\n");
  EXPECT_EQ(ini.GetIniKey("road", "width", ""), "7.5");
  EXPECT_EQ(ini.GetIniKey("Road", "Name", ""), "  K12 ");
  EXPECT_EQ(ini.GetIniKey("Road", "Note", ""), "x");
  EXPECT_EQ(ini.GetIniKey("Road", "Odd", ""), "\"x'");
  EXPECT_EQ(ini.GetIniKey("Road", "Bare", "d"), "");
  EXPECT_EQ(ini.GetIniKey("Road", ";Width", "d"), "d");  // comments are never keys
  EXPECT_EQ(ini.GetIniKey("Road", "Missing", "def  "), "def");
}

TEST_F(IniFileTest, KeysBeforeTheFirstSectionBelongToNone) {
  Write("x=1\r\n[A]\r\ny=2\r\n");
  EXPECT_EQ(ini.GetIniKey("", "x", "d"), "d");
  EXPECT_EQ(ini.GetIniKey("A", "x", "d"), "d");
}

TEST_F(IniFileTest, ReadsAreCutTo255Bytes) {
  const std::string long300(300, 'a');
  ini.WriteIniKey("S", "K", long300);
  EXPECT_EQ(ini.GetIniKey("S", "K", ""), std::string(255, 'a'));
  EXPECT_EQ(Bytes(), "[S]\r\nK=" + long300 + "\r\n");  // the file keeps the whole value
  EXPECT_EQ(ini.GetIniKey("S", "none", long300), std::string(255, 'a'));
  // Never inside a character: 85 three-byte characters are 255 bytes, 86 would be 258.
  std::string chinese;
  for (int i = 0; i < 86; ++i) chinese += "路";
  ini.WriteIniKey("S", "C", chinese);
  EXPECT_EQ(ini.GetIniKey("S", "C", ""), chinese.substr(0, 255));
  ini.WriteIniKey("S", "D", "a" + chinese);
  EXPECT_EQ(ini.GetIniKey("S", "D", ""), "a" + chinese.substr(0, 252));
}

TEST_F(IniFileTest, DeletingAKey) {
  Write("[A]\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n");
  ini.DelIniKey("a", "X");
  EXPECT_EQ(ini.GetIniKey("A", "x", "gone"), "gone");
  EXPECT_EQ(ini.GetIniKey("B", "x", "gone"), "3");
  EXPECT_EQ(Bytes(), "[A]\r\ny=2\r\n[B]\r\nx=3\r\n");
  ini.DelIniKey("A", "nothing");
  ini.DelIniKey("Nothing", "x");
  EXPECT_EQ(Bytes(), "[A]\r\ny=2\r\n[B]\r\nx=3\r\n");
}

TEST_F(IniFileTest, DeletingASectionWithAllItsKeys) {
  ini.WriteIniKey("A", "x", "1");
  ini.WriteIniKey("B", "y", "2");
  ini.WriteIniKey("A", "z", "3");
  ini.DelIniSec("a");
  EXPECT_EQ(ini.GetIniKey("A", "x", "d1"), "d1");
  EXPECT_EQ(ini.GetIniKey("A", "z", "d2"), "d2");
  EXPECT_EQ(ini.GetIniKey("B", "y", ""), "2");
  EXPECT_EQ(Bytes(), "[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, ASectionGivenTwiceIsDeletedEverywhere) {
  Write("[A]\nx=1\n[B]\ny=2\n[A]\nx=9\n");
  EXPECT_EQ(ini.GetIniKey("A", "x", ""), "1");  // the first section of the name is read
  ini.DelIniKey("A", "x");
  EXPECT_EQ(ini.GetIniKey("A", "x", "d"), "d");
  ini.WriteIniKey("A", "x", "5");
  ini.DelIniSec("A");
  EXPECT_EQ(ini.GetIniKey("A", "x", "d"), "d");
  EXPECT_EQ(Bytes(), "[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, DeletingInAMissingFileCreatesNothing) {
  ini.DelIniKey("A", "x");
  ini.DelIniSec("A");
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(ini.INIFileName())));
}

TEST_F(IniFileTest, AUnicodeFileStaysUnicode) {
  ASSERT_EQ(WriteTextFile(ini.INIFileName(), "[路线]\r\n名称=G15\r\n"), 1);
  EXPECT_EQ(ini.GetIniKey("路线", "名称", ""), "G15");
  ini.WriteIniKey("路线", "长度", "12.5");
  EXPECT_EQ(ReadTextFile(ini.INIFileName()), "[路线]\r\n名称=G15\r\n长度=12.5\r\n");
  EXPECT_EQ(Bytes().substr(0, 2), "\xFF\xFE");
}

// The mark stays in front: dropped, text after it that begins with FF FE would read as UTF-16
// next time, and every key of the file would be lost.
TEST_F(IniFileTest, AUtf8FileKeepsItsByteOrderMark) {
  Write("\xEF\xBB\xBF\xFF\xFE;\r\n[CAD]\r\nPath=C:\\old\r\n");
  ASSERT_EQ(ini.WriteIniKey("CAD", "Path", "C:\\CAD"), 1);
  EXPECT_EQ(Bytes(), "\xEF\xBB\xBF\xFF\xFE;\r\n[CAD]\r\nPath=C:\\CAD\r\n");
  EXPECT_EQ(ini.GetIniKey("CAD", "Path", "none"), "C:\\CAD");
}

TEST_F(IniFileTest, AWriteIntoAMissingFolderFails) {
  ini.SetINIFileName(Path("no/such/folder/a.ini"));
  EXPECT_EQ(ini.WriteIniKey("A", "x", "1"), 0);
}

}  // namespace
}  // namespace kestrel
