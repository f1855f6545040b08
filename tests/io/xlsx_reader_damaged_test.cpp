// Damaged and hostile .xlsx files: one plain line naming the file and the defect, never a crash.
#include "io/xlsx_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "io/workbook_file.h"
#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

// The damaged files of the given groups (see make_damaged_fixtures.py), made once per process.
fs::path DamagedDir(const std::string& group) {
  static std::set<std::string> made;
  fs::path dir = FixtureDir().Path() / "damaged";
  if (!made.count(group)) {
    fs::create_directories(dir);
    RunOracleOrFail("make_damaged_fixtures.py", {dir.string(), group}, dir / ("make-" + group + ".log"));
    made.insert(group);
  }
  return dir;
}

// The message ReadXlsx gives for the file; empty (and a failure) when it reads.
std::string Refusal(const std::string& name, const std::string& group = "files") {
  std::string path = (DamagedDir(group) / name).string();
  try {
    ReadXlsx(path);
  } catch (const WorkbookFileError& e) {
    std::string message = e.what();
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;  // names the file first
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    return message;
  } catch (const std::exception& e) {
    ADD_FAILURE() << name << ": not a WorkbookFileError: " << e.what();
    return "";
  }
  ADD_FAILURE() << name << " was read";
  return "";
}

class DamagedWorkbook : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DamagedWorkbook, IsRefusedWithTheDefectNamed) {
  auto [file, defect] = GetParam();
  std::string message = Refusal(file);
  EXPECT_NE(message.find(defect), std::string::npos) << message;
}

// The case's file name without its extension, as the test's name.
std::string CaseName(const ::testing::TestParamInfo<std::pair<const char*, const char*>>& info) {
  std::string name = info.param.first;
  name = name.substr(0, name.find('.'));
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedWorkbook,
    ::testing::Values(
        std::make_pair("not_zip.xlsx", ": not a workbook (no zip archive)"),
        std::make_pair("empty.xlsx", ": empty file"),
        std::make_pair("truncated.xlsx", ": the zip archive is truncated or damaged"),
        std::make_pair("bad_crc.xlsx", ": xl/worksheets/sheet1.xml is damaged in the zip archive (CRC error)"),
        std::make_pair("bad_deflate.xlsx",
                       ": xl/worksheets/sheet1.xml is damaged in the zip archive (its compressed data is damaged)"),
        std::make_pair("short_deflate.xlsx",
                       ": xl/worksheets/sheet1.xml is damaged in the zip archive (its compressed data ends early)"),
        std::make_pair("wrong_size.xlsx", ": xl/worksheets/sheet1.xml is damaged in the zip archive (its size is not "
                                          "the one the archive states)"),
        std::make_pair("garbage_sheet.xlsx", ": xl/worksheets/sheet1.xml is damaged (XML error at offset "),
        std::make_pair("missing_sheet.xlsx", ": sheet Data (xl/worksheets/sheet2.xml) is missing"),
        std::make_pair("missing_workbook.xlsx", ": xl/workbook.xml is missing"),
        std::make_pair("unlinked_sheet.xlsx", ": sheet Lost has no part in the package"),
        std::make_pair("column_out_of_range.xlsx", ": sheet Sheet1: cell reference XFE1 is out of range"),
        std::make_pair("row_out_of_range.xlsx", ": sheet Sheet1: row number 1048577 is out of range"),
        std::make_pair("bad_reference.xlsx", ": bad cell reference \"1A\""),
        std::make_pair("bad_shared_string.xlsx", ": cell A1 names shared string 7, which does not exist"),
        std::make_pair("bad_number.xlsx", ": cell A1 holds \"12,5\", which is not a number"),
        std::make_pair("orphan_shared_formula.xlsx", ": cell B2 uses shared formula 4"),
        std::make_pair("merge_out_of_range.xlsx", ": merged area A1:XFE2 is out of range"),
        std::make_pair("overlapping_columns.xlsx", ": the column entries overlap"),
        std::make_pair("no_such_file.xlsx", ": no such file")),
    CaseName);

// 600 MB of blanks deflated to 600 KB: refused by its stated size, before anything is inflated.
TEST(DamagedWorkbookParts, AZipBombIsRefused) {
  std::string message = Refusal("bomb.xlsx", "bomb");
  EXPECT_NE(message.find(": xl/worksheets/sheet1.xml is larger than 512 MB uncompressed"), std::string::npos)
      << message;
}

// The original, and the same with its sheet's part written as the damaged ones are (which
// proves that only their damage refuses them).
TEST(DamagedWorkbookParts, TheSoundOriginalReads) {
  for (const char* file : {"sound.xlsx", "sound_raw.xlsx"}) {
    auto book = ReadXlsx((DamagedDir("files") / file).string());
    MemoryWorksheet& sheet = book->Sheet(0);
    EXPECT_EQ(sheet.Value({1, 2}), CellValue("K12+300")) << file;
    EXPECT_EQ(sheet.Formula({1, 3}), "=A1*2") << file;
    EXPECT_EQ(sheet.Value({2, 1}), CellValue("路基")) << file;
  }
}

TEST(DamagedWorkbookParts, AMergeOfTheWholeSheetLoadsQuickly) {
  auto book = ReadXlsx((DamagedDir("files") / "huge_merge.xlsx").string());
  EXPECT_EQ(book->Sheet(0).Merges(), (std::vector<RangeRef>{RangeRef::Block(1, 1, kMaxRows, kMaxColumns)}));
  EXPECT_EQ(book->Sheet(0).Value({1, 1}), CellValue(1));
}

TEST(DamagedWorkbookParts, EntitiesOfADoctypeAreNotExpanded) {
  auto book = ReadXlsx((DamagedDir("files") / "entities.xlsx").string());
  CellValue a1 = book->Sheet(0).Value({1, 1});
  ASSERT_TRUE(a1.IsText());
  EXPECT_EQ(a1.Text().find("lollol"), std::string::npos);
}

TEST(DamagedWorkbookParts, DeeplyNestedElementsDoNotExhaustTheStack) {
  auto book = ReadXlsx((DamagedDir("deep") / "deep.xlsx").string());
  EXPECT_EQ(book->Sheet(0).Value({1, 1}), CellValue("deep"));
}

// Cut and bit-flipped copies of a sound workbook: each reads or is refused with a
// WorkbookFileError; both happen, and nothing else (no crash, no other exception).
TEST(DamagedWorkbookParts, MutantsReadOrAreRefusedCleanly) {
  int read = 0, refused = 0;
  for (const auto& entry : fs::directory_iterator(DamagedDir("mutants") / "mutants")) {
    try {
      ReadXlsx(entry.path().string());
      ++read;
    } catch (const WorkbookFileError& e) {
      ++refused;
      EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << entry.path().filename() << ": " << e.what();
    }
  }
  EXPECT_GT(read, 10);
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace kestrel
