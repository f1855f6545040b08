// LoadWorkbook and SaveWorkbook: choice by extension, plain messages, and saves that either
// replace the target whole or leave it as it was (a file-size limit makes writing fail).
#include "io/workbook_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "xlsx_reader_fixtures.h"

namespace kestrel {
namespace {

using namespace iotest;

class WorkbookFiles : public ::testing::Test {
 protected:
  // The names in the folder, to see that a save leaves no temporary file behind.
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Path())) names.insert(entry.path().filename().string());
    return names;
  }
  static std::string Message(const std::function<void()>& action) {
    try {
      action();
    } catch (const WorkbookFileError& e) {
      return e.what();
    }
    ADD_FAILURE() << "no WorkbookFileError";
    return "";
  }
  // A book whose CSV form is about 60 KB.
  static std::unique_ptr<MemoryWorkbook> BigBook() {
    auto book = std::make_unique<MemoryWorkbook>();
    for (int r = 1; r <= 2000; ++r) {
      book->Sheet(0).SetValue({r, 1}, 10000 + r * 0.125);
      book->Sheet(0).SetValue({r, 2}, "路基左侧边沟 " + std::to_string(r));
    }
    return book;
  }

  TempDir dir_{"files"};
};

// Writing more than `bytes` to any file fails (EFBIG) while the object lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST_F(WorkbookFiles, LoadsByExtensionInAnyCase) {
  ASSERT_FALSE(RawFixture().xlsx.empty());
  std::string upper = dir_ / "ROAD.XLSX";
  fs::copy_file(RawFixture().xlsx, upper);
  auto book = LoadWorkbook(upper);
  EXPECT_EQ(book->Sheet(0).SheetName(), "公式");
  std::string csv = dir_ / "Levels.Csv";
  WriteBytes(csv, "1,2\n");
  EXPECT_EQ(LoadWorkbook(csv)->Sheet(0).SheetName(), "Levels");
}

TEST_F(WorkbookFiles, LoadingNamesTheFileAndTheTrouble) {
  std::string xls = dir_ / "road.xls";
  WriteBytes(xls, "old format");
  EXPECT_EQ(Message([&] { LoadWorkbook(xls); }), xls + ": unknown file type (use .xlsx, .xlsm or .csv)");
  std::string missing = dir_ / "missing.xlsx";
  EXPECT_EQ(Message([&] { LoadWorkbook(missing); }), missing + ": no such file");
  std::string csvInside = dir_ / "road.xlsx";
  WriteBytes(csvInside, "1,2\n");
  EXPECT_EQ(Message([&] { LoadWorkbook(csvInside); }), csvInside + ": not a workbook (no zip archive)");
  EXPECT_EQ(Message([&] { LoadWorkbook(dir_.Path().string()); }), dir_.Path().string() + ": is a folder, not a file");
}

TEST_F(WorkbookFiles, SavesCsvAndLeavesNoTemporaryFile) {
  auto book = BigBook();
  std::string path = dir_ / "断面.csv";
  SaveWorkbook(*book, path);
  EXPECT_EQ(Entries(), (std::set<std::string>{"断面.csv"}));
  auto back = LoadWorkbook(path);
  EXPECT_EQ(back->Sheet(0).Value({2000, 2}), CellValue("路基左侧边沟 2000"));
  EXPECT_EQ(back->Sheet(0).Value({1, 1}), CellValue(10000.125));
}

TEST_F(WorkbookFiles, ASaveReplacesTheOldFileWhole) {
  std::string path = dir_ / "out.csv";
  WriteBytes(path, std::string(100000, 'x'));
  MemoryWorkbook book;
  book.Sheet(0).SetValue({1, 1}, "new");
  SaveWorkbook(book, path);
  EXPECT_EQ(ReadBytes(path), "new\n");
  EXPECT_EQ(Entries(), (std::set<std::string>{"out.csv"}));
}

TEST_F(WorkbookFiles, ASaveIntoAMissingFolderFailsAndLeavesNothing) {
  MemoryWorkbook book;
  std::string path = dir_ / "no-folder/out.csv";
  EXPECT_NE(Message([&] { SaveWorkbook(book, path); }).find(path + ": cannot be saved"), std::string::npos);
  EXPECT_TRUE(Entries().empty());
  std::string xlsx = dir_ / "no-folder/out.xlsx";
  EXPECT_NE(Message([&] { SaveWorkbook(book, xlsx); }).find(xlsx + ": cannot be saved"), std::string::npos);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(WorkbookFiles, SavingUnderAnUnknownExtensionWritesNothing) {
  MemoryWorkbook book;
  std::string path = dir_ / "out.ods";
  EXPECT_EQ(Message([&] { SaveWorkbook(book, path); }), path + ": unknown file type (use .xlsx, .xlsm or .csv)");
  EXPECT_TRUE(Entries().empty());
}

TEST_F(WorkbookFiles, AFailingCsvSaveLeavesTheOldFileByteForByte) {
  std::string path = dir_ / "keep.csv";
  const std::string old = "12235.689,old\n";
  WriteBytes(path, old);
  auto book = BigBook();
  std::string message;
  {
    FileSizeLimit limit(4096);
    message = Message([&] { SaveWorkbook(*book, path); });
  }
  EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
  EXPECT_EQ(message.find(".kestrel-"), std::string::npos) << message;  // the temporary name stays inside
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(Entries(), (std::set<std::string>{"keep.csv"}));
}

TEST_F(WorkbookFiles, AFailingXlsxSaveLeavesTheOldFileByteForByte) {
  ASSERT_FALSE(RawFixture().xlsx.empty());
  std::string path = dir_ / "keep.xlsx";
  fs::copy_file(RawFixture().xlsx, path);
  const std::string old = ReadBytes(path);
  auto book = BigBook();
  {
    FileSizeLimit limit(4096);
    Message([&] { SaveWorkbook(*book, path); });
  }
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(Entries(), (std::set<std::string>{"keep.xlsx"}));
}

TEST_F(WorkbookFiles, AnXlsxSaveReadsBackWithWhatItHeld) {
  ASSERT_FALSE(OpenpyxlFixture().xlsx.empty());
  auto book = LoadWorkbook(OpenpyxlFixture().xlsx);
  std::string path = dir_ / "again.xlsx";
  SaveWorkbook(*book, path);
  EXPECT_EQ(Entries(), (std::set<std::string>{"again.xlsx"}));
  auto back = LoadWorkbook(path);
  // Formulas come back with results the writer computed, so values of formula cells are not
  // the file's empty ones: leave them out.
  std::vector<Fact> facts;
  for (const Fact& fact : OpenpyxlFixture().facts) {
    bool formulaValue = fact.kind == "value" && back->FindSheet(fact.fields[0]) &&
                        back->FindSheet(fact.fields[0])->Formula(Cell(fact.fields[1])).rfind('=', 0) == 0;
    if (!formulaValue) facts.push_back(fact);
  }
  EXPECT_GT(CheckFacts(*back, facts, AllKinds()), 90);
}

}  // namespace
}  // namespace kestrel
