// CSV files: reading (UTF-8 with or without BOM, RFC 4180 quoting) and writing the active sheet.
#include "io/csv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

#include "io/csv_record.h"
#include "io/workbook_file_error.h"
#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// The sheet name a spreadsheet gives a CSV file: the file's stem, without the characters sheet
// names cannot hold, at most 31 characters.
std::string SheetNameFor(const std::filesystem::path& path) {
  std::string name = PathToUtf8(path.stem());
  for (char& c : name)
    if (std::strchr("[]:*?/\\", c)) c = '_';
  if (CodePointCount(name) > 31) name = CodePointSubstr(name, 0, 31);
  return name.empty() ? "Sheet1" : name;
}

class CsvParser {
 public:
  CsvParser(const std::string& path, MemoryWorksheet& sheet) : path_(path), sheet_(sheet) {}

  void Parse(std::string_view text) {
    bool quoted = false;      // inside a quoted field
    bool wasQuoted = false;   // the field began with a quote
    int line = 1;             // for messages: where the open quote began
    int quoteLine = 1;
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (quoted) {
        if (c == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field_ += '"';
            ++i;
          } else {
            quoted = false;
          }
        } else {
          if (c == '\n') ++line;
          field_ += c;
        }
        continue;
      }
      switch (c) {
        case ',':
          EndField();
          wasQuoted = false;
          break;
        case '\r':
          if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
          [[fallthrough]];
        case '\n':
          EndRecord();
          wasQuoted = false;
          ++line;
          break;
        case '"':
          if (field_.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
            quoteLine = line;
            break;
          }
          [[fallthrough]];
        default:
          field_ += c;
      }
    }
    if (quoted)
      throw WorkbookFileError(WorkbookFileFault::Defect, path_, "line " + std::to_string(quoteLine) + ": a quoted field is not closed");
    if (!field_.empty() || column_ > 1 || wasQuoted) EndRecord();
  }

 private:
  void EndField() {
    if (column_ > kMaxColumns)
      throw WorkbookFileError(WorkbookFileFault::Defect, path_, "row " + std::to_string(row_) + " has more than " +
                              std::to_string(kMaxColumns) + " fields");
    if (!field_.empty()) {
      if (row_ > kMaxRows)
        throw WorkbookFileError(WorkbookFileFault::Defect, path_, "more than " + std::to_string(kMaxRows) + " rows");
      if (auto number = StrictNumber(field_))
        sheet_.LoadCell({row_, column_}, *number);
      else
        sheet_.LoadCell({row_, column_}, field_);
      field_.clear();
    }
    ++column_;
  }

  void EndRecord() {
    EndField();
    ++row_;
    column_ = 1;
  }

  const std::string& path_;
  MemoryWorksheet& sheet_;
  std::string field_;
  int row_ = 1;
  int column_ = 1;
};

}  // namespace

std::string CsvFieldText(const CellValue& value) {
  if (value.IsBoolean()) return value.Bool() ? "TRUE" : "FALSE";
  return value.AsText();
}

void WriteSheetRecords(const MemoryWorksheet& sheet, const std::function<std::string(const CellView&)>& field,
                       std::ostream& out) {
  const std::optional<RangeRef> used = sheet.UsedRange();
  if (!used) return;
  int ended = 0;  // rows written so far, from row 1
  int row = 0;    // the row whose fields are being gathered
  std::vector<std::string> fields;
  auto endRow = [&] {
    if (fields.empty()) return;
    for (; ended < row - 1; ++ended) out << '\n';
    out << CsvRecord(fields) << '\n';
    ++ended;
    fields.clear();
  };
  sheet.VisitCells(RangeRef::Block(1, 1, used->last.row, used->last.column), [&](const CellView& c) {
    std::string text = field(c);
    if (text.empty()) return;
    if (c.at.row != row) {
      endRow();
      row = c.at.row;
    }
    if (fields.size() < static_cast<size_t>(c.at.column)) fields.resize(static_cast<size_t>(c.at.column));
    fields[static_cast<size_t>(c.at.column) - 1] = std::move(text);
  });
  endRow();
}

std::unique_ptr<MemoryWorkbook> ReadCsv(const std::string& path) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) throw WorkbookFileError(WorkbookFileFault::NoSuchFile, path);
  std::ifstream in(file, std::ios::binary);
  if (!in || std::filesystem::is_directory(file, error)) throw WorkbookFileError(WorkbookFileFault::Unreadable, path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw WorkbookFileError(WorkbookFileFault::Unreadable, path);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  // Bytes that are not UTF-8 become U+FFFD, so that every text in the sheet is sound.
  text = RepairUtf8(std::move(text));

  auto book = std::make_unique<MemoryWorkbook>();
  MemoryWorksheet& sheet = book->Sheet(0);
  sheet.Rename(SheetNameFor(file));
  CsvParser(path, sheet).Parse(text);
  return book;
}

void WriteCsv(MemoryWorkbook& book, const std::string& path) {
  const MemoryWorksheet& sheet = book.Active();
  std::ofstream file(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  if (!file) throw WorkbookFileError(WorkbookFileFault::TextNotWritten, path, std::strerror(errno));
  // Cells that only carry a format add nothing to a CSV file.
  WriteSheetRecords(sheet, [](const CellView& c) { return CsvFieldText(*c.value); }, file);
  file.close();
  if (!file) throw WorkbookFileError(WorkbookFileFault::TextNotWritten, path, std::strerror(errno));
}

}  // namespace kestrel
