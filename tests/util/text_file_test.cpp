// UTF-16 text files: byte layout, reading rules and atomic replacement.
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrel {
namespace {

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kestrel-textfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) { return PathToUtf8(dir_ / PathFromUtf8(name)); }
  static std::string Bytes(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void PutBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(PathFromUtf8(path), std::ios::binary) << bytes;
  }

  std::filesystem::path dir_;
};

TEST_F(TextFileTest, WritesMarkAndLittleEndianUnits) {
  std::string path = Path("a.Dic");
  ASSERT_EQ(WriteTextFile(path, "KestrelFile2.0\r\n", true), 1);
  std::string bytes = Bytes(path);
  ASSERT_EQ(bytes.size(), 34u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE\x4B\x00", 4));
  EXPECT_EQ(ReadTextFile(path), "KestrelFile2.0\r\n");
}

TEST_F(TextFileTest, WithoutMarkTheFirstCharacterIsLostOnReading) {
  std::string path = Path("nomark.txt");
  ASSERT_EQ(WriteTextFile(path, "KestrelFile2.0", false), 1);
  EXPECT_EQ(Bytes(path).size(), 28u);
  EXPECT_EQ(ReadTextFile(path), "estrelFile2.0");
}

TEST_F(TextFileTest, ShortMissingAndMarkOnlyFilesReadEmpty) {
  std::string markOnly = Path("mark.txt");
  PutBytes(markOnly, "\xFF\xFE");
  EXPECT_EQ(ReadTextFile(markOnly), "");
  EXPECT_EQ(ReadTextFile(Path("missing.txt")), "");
  EXPECT_EQ(ReadTextFile(dir_.string()), "");  // a folder is no file
}

TEST_F(TextFileTest, FoldsFullWidthFormsOnReading) {
  std::string path = Path("wide.Dic");
  ASSERT_EQ(WriteTextFile(path, "\xEF\xBC\x91\xEF\xBC\x8C\xEF\xBC\x8E", true), 1);  // "１，．"
  EXPECT_EQ(ReadTextFile(path), "1,.");
}

TEST_F(TextFileTest, ChineseTextAndNamesRoundTrip) {
  std::string path = Path("断面位置.Dic");
  ASSERT_EQ(WriteTextFile(path, "纵断面文件\r\n", true), 1);
  EXPECT_EQ(ReadTextFile(path), "纵断面文件\r\n");
}

TEST_F(TextFileTest, ReplacesAnExistingFileWholly) {
  std::string path = Path("b.hp");
  ASSERT_EQ(WriteTextFile(path, std::string(5000, 'x'), true), 1);
  ASSERT_EQ(WriteTextFile(path, "y", true), 1);
  EXPECT_EQ(Bytes(path), std::string("\xFF\xFEy\x00", 4));
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
}

TEST_F(TextFileTest, AFailedWriteLeavesTheOldFileWhole) {
  std::string path = Path("c.ZM");
  ASSERT_EQ(WriteTextFile(path, "old", true), 1);
  std::string before = Bytes(path);
  // Writing into a folder that does not exist fails without touching anything.
  EXPECT_EQ(WriteTextFile(Path("nowhere/c.ZM"), "new", true), 0);
  // A target that is a folder cannot be replaced: 0, and the folder stays.
  std::filesystem::create_directories(dir_ / "folder.ZM");
  EXPECT_EQ(WriteTextFile(Path("folder.ZM"), "new", true), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "folder.ZM"));
  EXPECT_EQ(Bytes(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 2);
}

}  // namespace
}  // namespace kestrel
