// CSV files: reading rules (BOM, quoting, line ends, numbers), writing, the round trip, and
// Python's csv module as an independent reader and writer.
#include "io/csv.h"

#include <gtest/gtest.h>

#include "io/workbook_file.h"
#include "io_test_support.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

using namespace iotest;

class CsvFiles : public ::testing::Test {
 protected:
  TempDir dir_{"csv"};
};

// A value as a CSV field states it.
std::string FieldOf(const CellValue& v) {
  if (v.IsBoolean()) return v.Bool() ? "TRUE" : "FALSE";
  return v.AsText();
}

TEST_F(CsvFiles, ReadsQuotedFieldsLineBreaksAndABom) {
  std::string path = dir_ / "横断面.csv";
  WriteBytes(path,
             "\xEF\xBB\xBF桩号,\"偏距, m\",备注\r\n"
             "12235.689,-3.5,\"say \"\"hi\"\"\"\r\n"
             "0050,\" 12 \",\"two\r\nlines\"\r\n"
             ",,\r\n"
             "K12+300,  spaced  ,=A1");  // no line end after the last record
  auto book = ReadCsv(path);
  ASSERT_EQ(book->SheetCount(), 1);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.SheetName(), "横断面");
  EXPECT_EQ(sheet.Value({1, 1}), CellValue("桩号"));  // the BOM is no part of the text
  EXPECT_EQ(sheet.Value({1, 2}), CellValue("偏距, m"));
  EXPECT_EQ(sheet.Value({2, 1}), CellValue(12235.689));
  EXPECT_EQ(sheet.Value({2, 2}), CellValue(-3.5));
  EXPECT_EQ(sheet.Value({2, 3}), CellValue("say \"hi\""));
  EXPECT_EQ(sheet.Value({3, 1}), CellValue(50));  // reads as a number, as a spreadsheet opens it
  EXPECT_EQ(sheet.Value({3, 2}), CellValue(12));
  EXPECT_EQ(sheet.Value({3, 3}), CellValue("two\r\nlines"));
  EXPECT_TRUE(sheet.Value({4, 1}).IsEmpty());
  EXPECT_EQ(sheet.Value({5, 1}), CellValue("K12+300"));
  EXPECT_EQ(sheet.Value({5, 2}), CellValue("  spaced  "));
  EXPECT_EQ(sheet.Value({5, 3}), CellValue("=A1"));  // a text, not a formula
  EXPECT_EQ(sheet.FormulaCount(), 0);
  EXPECT_EQ(sheet.UsedRange(), RangeRef::Block(1, 1, 5, 3));
}

TEST_F(CsvFiles, LineFeedsAloneAndNoBom) {
  std::string path = dir_ / "plain.csv";
  WriteBytes(path, "a,1\nb,2\n\nc,3\n");
  auto book = ReadCsv(path);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.Value({2, 2}), CellValue(2));
  EXPECT_TRUE(sheet.Value({3, 1}).IsEmpty());  // an empty line is an empty row
  EXPECT_EQ(sheet.Value({4, 1}), CellValue("c"));
  EXPECT_EQ(sheet.UsedRange(), RangeRef::Block(1, 1, 4, 2));
}

TEST_F(CsvFiles, AgreesWithPythonsCsvWriter) {
  std::string path = dir_ / "python.csv", facts = dir_ / "python.facts";
  ASSERT_TRUE(RunOracleOrFail("csv_oracle.py", {"write", path, facts}, dir_.Path() / "write.log"));
  auto book = ReadCsv(path);
  auto stated = ReadFacts(facts);
  EXPECT_EQ(CheckFacts(*book, stated, {"value"}), 18);
  CheckNoOtherCells(*book, stated);
}

TEST_F(CsvFiles, WritesTheActiveSheetFromA1WithLineFeeds) {
  MemoryWorkbook book;
  MemoryWorksheet& first = book.Sheet(0);
  first.SetValue({1, 1}, "not this sheet");
  book.AddSheet();  // active now
  MemoryWorksheet& sheet = book.Active();
  sheet.SetValue({2, 2}, 12235.689);
  sheet.SetValue({2, 3}, "a,b");
  sheet.SetValue({3, 2}, "say \"hi\"");
  sheet.SetValue({3, 4}, "two\nlines");
  sheet.LoadCell({4, 2}, CellValue::Boolean(true));
  sheet.LoadCell({4, 3}, CellValue::Error(CellError::Div0));
  sheet.LoadCell({4, 4}, CellValue(1.0 / 3), "=1/3");
  sheet.SetNumberFormat(RangeRef::Cell(2, 2), "\"K\"0+000.000");  // a format changes no field
  sheet.SetFont(RangeRef::Cell(9, 9), FontChange{.bold = true});   // a format alone adds none
  std::string path = dir_ / "out.csv";
  WriteCsv(book, path);
  EXPECT_EQ(ReadBytes(path),
            "\n"  // each row ends at its last value: empty trailing cells are not written
            ",12235.689,\"a,b\"\n"
            ",\"say \"\"hi\"\"\",,\"two\nlines\"\n"
            ",TRUE,#DIV/0!,0.333333333333333\n");
}

TEST_F(CsvFiles, AnEmptySheetWritesAnEmptyFile) {
  MemoryWorkbook book;
  std::string path = dir_ / "empty.csv";
  WriteCsv(book, path);
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_EQ(ReadCsv(path)->Sheet(0).UsedRange(), std::nullopt);
}

TEST_F(CsvFiles, RoundTripKeepsTextsAndNumbersInTheGeneralForm) {
  MemoryWorkbook book;
  MemoryWorksheet& sheet = book.Sheet(0);
  const std::vector<CellValue> values = {
      CellValue("路基 \"左\", 右"), CellValue("line\nbreak"), CellValue("trailing,"), CellValue(-0.1),
      CellValue(1e-7), CellValue(123456789012345.0), CellValue(2.0 / 3), CellValue("K12+235.689"),
      CellValue("中文"), CellValue("\"")};
  for (size_t i = 0; i < values.size(); ++i) sheet.LoadCell({static_cast<int>(i) + 1, 2}, values[i]);
  std::string path = dir_ / "trip.csv";
  WriteCsv(book, path);
  auto backBook = ReadCsv(path);
  MemoryWorksheet& back = backBook->Sheet(0);
  for (size_t i = 0; i < values.size(); ++i) {
    CellValue got = back.Value({static_cast<int>(i) + 1, 2});
    if (values[i].IsNumber())
      EXPECT_EQ(got, CellValue(*StrictNumber(GeneralText(values[i].Number()))));  // 15 digits
    else
      EXPECT_EQ(got, values[i]);
  }
  // Python's csv module reads the same fields from the written file.
  std::string facts = dir_ / "trip.facts";
  ASSERT_TRUE(RunOracleOrFail("csv_oracle.py", {"read", path, facts}, dir_.Path() / "read.log"));
  int compared = 0;
  for (const Fact& fact : ReadFacts(facts)) {
    EXPECT_EQ(FieldOf(sheet.Value(Cell(fact.fields[1]))), fact.fields[3]) << fact.fields[1];
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(values.size()));
}

TEST_F(CsvFiles, AnUnclosedQuoteIsADefectOfTheFile) {
  std::string path = dir_ / "open.csv";
  WriteBytes(path, "a,b\nc,\"never\nclosed\n");
  try {
    ReadCsv(path);
    FAIL() << "read";
  } catch (const WorkbookFileError& e) {
    EXPECT_EQ(std::string(e.what()), path + ": line 2: a quoted field is not closed");
  }
}

TEST_F(CsvFiles, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  std::string path = dir_ / "gbk.csv";
  WriteBytes(path, "\xC2\xB7ok,\xB6\xCF\xC3\xE6\n");  // a middle dot, then 断面 in GBK
  auto book = ReadCsv(path);
  MemoryWorksheet& sheet = book->Sheet(0);
  EXPECT_EQ(sheet.Value({1, 1}), CellValue("\xC2\xB7ok"));
  EXPECT_EQ(sheet.Value({1, 2}), CellValue("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"));
}

TEST_F(CsvFiles, SheetNamesLeaveOutWhatSheetNamesCannotHold) {
  std::string path = dir_ / "a[1]b.csv";
  WriteBytes(path, "1\n");
  EXPECT_EQ(ReadCsv(path)->Sheet(0).SheetName(), "a_1_b");
}

TEST_F(CsvFiles, AMissingFileIsNamed) {
  std::string path = dir_ / "none.csv";
  try {
    ReadCsv(path);
    FAIL() << "read";
  } catch (const WorkbookFileError& e) {
    EXPECT_EQ(std::string(e.what()), path + ": no such file");
  }
}

}  // namespace
}  // namespace kestrel
