// The station-location dictionary file: bytes, reading rules, saving from a sheet, listing.
#include "sections/dictionary_file.h"

#include <fstream>
#include <iterator>

#include "support/command_fixture.h"

namespace kestrel {
namespace {

class DictionaryFileTest : public CommandFixture {
 protected:
  std::string Bytes(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // A file with these UTF-16 lines, each ending with CR LF.
  std::string FileWith(const std::string& name, const std::string& text, bool mark = true) {
    std::string path = TempPath(name);
    EXPECT_EQ(WriteTextFile(path, text, mark), 1);
    return path;
  }
  void Row(int r, CellValue a, CellValue b, CellValue c, CellValue d) {
    Sheet().SetValue({r, 1}, a);
    Sheet().SetValue({r, 2}, b);
    Sheet().SetValue({r, 3}, c);
    Sheet().SetValue({r, 4}, d);
  }
};

TEST_F(DictionaryFileTest, SavesTheExampleFileByteForByte) {
  Row(1, 12230, 1000, 500, 310.5);
  Row(2, 12240, 1100, 500, 311.2);
  std::string path = TempPath("road.Dic");
  ASSERT_EQ(WriteDicFile(path, book, session.Sections), 1);
  std::u16string expected = u"KestrelFile2.0\r\n12230,1000,500,310.5\r\n12240,1100,500,311.2\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : expected) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  EXPECT_EQ(Bytes(path), bytes);
  ASSERT_EQ(session.Sections.StationDictionary.size(), 2u);
  EXPECT_EQ(session.Sections.StationDictionary[1], (DicRecord{12240, 1100, 500, 311.2}));
}

TEST_F(DictionaryFileTest, SavesRowsUntilColumnAIsEmpty) {
  Row(1, 1, 2, 3, 4);
  Row(2, "12+300", "abc", -3.5, 0);
  Row(3, 5, 6, 7, 8);
  Row(5, 9, 9, 9, 9);  // after the empty row 4: not saved
  std::string path = TempPath("a.Dic");
  ASSERT_EQ(WriteDicFile(path, book, session.Sections), 1);
  EXPECT_EQ(ReadTextFile(path), "KestrelFile2.0\r\n1,2,3,4\r\n12,0,-3.5,0\r\n5,6,7,8\r\n");
}

TEST_F(DictionaryFileTest, AnEmptyA1SavesTheMagicLineOnly) {
  session.Sections.StationDictionary = {{1, 2, 3, 4}, {5, 6, 7, 8}};  // a stale list from an earlier load
  std::string path = TempPath("empty.Dic");
  ASSERT_EQ(WriteDicFile(path, book, session.Sections), 1);
  EXPECT_EQ(ReadTextFile(path), "KestrelFile2.0\r\n");
  EXPECT_TRUE(session.Sections.StationDictionary.empty());
}

TEST_F(DictionaryFileTest, LoadingGivesBackWhatWasSavedToFifteenDigits) {
  Row(1, 12235.689123456789, 1000.25, -0.000123, 310.1);
  std::string path = TempPath("round.Dic");
  ASSERT_EQ(WriteDicFile(path, book, session.Sections), 1);
  session.Sections.StationDictionary.clear();
  ASSERT_EQ(ReadDicFile(path, session.Sections), 1);
  ASSERT_EQ(session.Sections.StationDictionary.size(), 1u);
  EXPECT_DOUBLE_EQ(session.Sections.StationDictionary[0].Station, 12235.6891234568);
  EXPECT_DOUBLE_EQ(session.Sections.StationDictionary[0].OriginY, -0.000123);
}

TEST_F(DictionaryFileTest, FirstLineMustBeExactlyTheMagicText) {
  session.Sections.StationDictionary = {{1, 1, 1, 1}, {2, 2, 2, 2}};
  EXPECT_EQ(ReadDicFile(FileWith("blank.Dic", "KestrelFile2.0 \r\n1,2,3,4\r\n"), session.Sections), 0);
  EXPECT_EQ(session.Sections.StationDictionary.size(), 1u);  // cut down to its first record
  EXPECT_EQ(ReadDicFile(FileWith("nomark.Dic", "KestrelFile2.0\r\n1,2,3,4\r\n", false), session.Sections), 0);
  EXPECT_EQ(ReadDicFile(TempPath("missing.Dic"), session.Sections), 0);
  EXPECT_EQ(ReadDicFile(FileWith("case.Dic", "kestrelfile2.0\r\n"), session.Sections), 0);
}

TEST_F(DictionaryFileTest, FullWidthDigitsAndCommasReadAsHalfWidth) {
  std::string path = FileWith("wide.Dic", "KestrelFile2.0\r\n１２２３０，１０００．５，５００，３１０\r\n");
  ASSERT_EQ(ReadDicFile(path, session.Sections), 1);
  ASSERT_EQ(session.Sections.StationDictionary.size(), 1u);
  EXPECT_EQ(session.Sections.StationDictionary[0], (DicRecord{12230, 1000.5, 500, 310}));
}

TEST_F(DictionaryFileTest, ABlankLineLeavesARecordOfZerosAtItsPlace) {
  std::string path = FileWith("gap.Dic", "KestrelFile2.0\r\n1,2,3,4\r\n\r\n5,6,7,8,extra\r\n");
  ASSERT_EQ(ReadDicFile(path, session.Sections), 1);
  ASSERT_EQ(session.Sections.StationDictionary.size(), 3u);
  EXPECT_EQ(session.Sections.StationDictionary[1], (DicRecord{}));
  EXPECT_EQ(session.Sections.StationDictionary[2], (DicRecord{5, 6, 7, 8}));
}

TEST_F(DictionaryFileTest, ABadLineFailsAndKeepsTheFirstRecord) {
  std::string path = FileWith("bad.Dic", "KestrelFile2.0\r\n1,2,3,4\r\n5,6,x,8\r\n");
  ASSERT_EQ(ReadDicFile(path, session.Sections), 0);
  ASSERT_EQ(session.Sections.StationDictionary.size(), 1u);
  EXPECT_EQ(session.Sections.StationDictionary[0], (DicRecord{1, 2, 3, 4}));
  EXPECT_EQ(ReadDicFile(FileWith("short.Dic", "KestrelFile2.0\r\n1,2,3\r\n"), session.Sections), 0);
}

TEST_F(DictionaryFileTest, AFileWithoutRecordsKeepsThePreviousList) {
  session.Sections.StationDictionary = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  ASSERT_EQ(ReadDicFile(FileWith("magic.Dic", "KestrelFile2.0\r\n"), session.Sections), 1);
  EXPECT_EQ(session.Sections.StationDictionary.size(), 2u);
}

TEST_F(DictionaryFileTest, SaveCommandAsksAndReports) {
  Row(1, 12230, 1000, 500, 310.5);
  CommandContext context = Context();
  SaveDictionaryCommand(context, session.Sections);  // cancelled: silent
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(ui.Prompts().size(), 1u);
  EXPECT_EQ(ui.Prompts()[0].filter, "KestrelDicFiles (*.Dic),*.Dic");
  EXPECT_EQ(ui.Prompts()[0].title, "保存字典文件");
  EXPECT_EQ(ui.Prompts()[0].initialName, "");

  std::string path = TempPath("saved.Dic");
  ui.QueueSaveFile(path);
  SaveDictionaryCommand(context, session.Sections);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "保存成功");
  EXPECT_EQ(ui.Messages()[0].text, "断面位置字典文件成功保存到：\r\n" + path);
  EXPECT_EQ(ReadTextFile(path), "KestrelFile2.0\r\n12230,1000,500,310.5\r\n");

  ui.QueueSaveFile(TempPath("no/such/folder/x.Dic"));
  SaveDictionaryCommand(context, session.Sections);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].title, "保存失败");
  EXPECT_EQ(ui.Messages()[1].text, "断面位置字典文件保存不成功！");
}

TEST_F(DictionaryFileTest, ListsTheDictionaryOnANewSheet) {
  session.Sections.StationDictionary = {{12230, 1000, 500, 310.5}, {12240, 1100, 500, 311.2}};
  ShowDictionarySheet("", book, session.Sections);
  EXPECT_EQ(book.SheetCount(), 1);
  ShowDictionarySheet("C:\\road.Dic", book, session.Sections);
  ASSERT_EQ(book.SheetCount(), 2);
  EXPECT_EQ(book.ActiveIndex(), 0);  // added in front of the old active sheet, and active
  MemoryWorksheet& listed = book.Active();
  EXPECT_EQ(listed.Value({1, 1}), CellValue(12230));
  EXPECT_EQ(listed.Value({2, 4}), CellValue(311.2));
  EXPECT_TRUE(listed.Value({3, 1}).IsEmpty());
  EXPECT_TRUE(book.ScreenUpdating());
}

}  // namespace
}  // namespace kestrel
