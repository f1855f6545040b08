// Drives a MemoryWorkbook from a script of cells and operations and prints its state as JSON, so
// that a test can apply the same script to another spreadsheet and compare.
//
// One line per step, fields separated by tabs:
//   sheet  NAME                           the first renames Sheet1, the others are appended
//   cell   SHEET  A1  n|s|f  CONTENT       a number, a text, or a formula typed into the cell
//   merge  SHEET  A1:B2
//   note   SHEET  A1  TEXT
//   insert_rows|delete_rows|insert_columns|delete_columns  SHEET  AT  COUNT
//   sort   SHEET  A1:D9  KEY_COLUMN  no|guess
//   replace SHEET A1:D9  WHAT  REPLACEMENT
//   print                                  one JSON line: every sheet's cells, merges and notes
// Formulas are calculated before a sort and before each print, as the host calculates them.
// A step the workbook refuses prints {"error": "..."} and stops the script (exit 1).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "workbook/formula_eval.h"
#include "host/host_error.h"
#include "workbook/memory_workbook.h"

namespace {

using namespace kestrel;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

std::string JsonText(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonValue(const CellValue& v) {
  if (v.IsNumber()) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", v.Number());
    return buffer;
  }
  if (v.IsText()) return JsonText(v.Text());
  if (v.IsBoolean()) return v.Bool() ? "true" : "false";
  if (v.IsError()) return "{\"e\": " + JsonText(CellErrorText(v.Error())) + "}";
  return "null";
}

RangeRef Range(const std::string& a1) {
  auto range = RangeRef::Parse(a1);
  if (!range) throw std::invalid_argument("not a range: " + a1);
  return *range;
}

std::string State(MemoryWorkbook& book) {
  RecalculateWorkbook(book);
  std::string out = "[";
  for (int s = 0; s < book.SheetCount(); ++s) {
    MemoryWorksheet& sheet = book.Sheet(s);
    std::string cells, notes, merges;
    for (CellRef at : sheet.UsedCells()) {
      auto stored = sheet.StoredCell(at);
      if (!stored) continue;
      const std::string a1 = CellA1(at);
      if (stored->formula || (stored->value && !stored->value->IsEmpty())) {
        if (!cells.empty()) cells += ", ";
        cells += JsonText(a1) + ": {\"v\": " + (stored->value ? JsonValue(*stored->value) : "null");
        if (stored->formula) cells += ", \"f\": " + JsonText(*stored->formula);
        cells += "}";
      }
      if (stored->note) {
        if (!notes.empty()) notes += ", ";
        notes += JsonText(a1) + ": " + JsonText(stored->note->text);
      }
    }
    for (const RangeRef& m : sheet.Merges()) merges += (merges.empty() ? "" : ", ") + JsonText(m.ToA1());
    out += std::string(s ? ", " : "") + "{\"name\": " + JsonText(sheet.SheetName()) + ", \"cells\": {" + cells +
           "}, \"merges\": [" + merges + "], \"notes\": {" + notes + "}}";
  }
  return out + "]";
}

void Step(MemoryWorkbook& book, const std::vector<std::string>& f, bool& firstSheet) {
  const std::string& op = f.at(0);
  if (op == "print") {
    std::cout << State(book) << "\n";
    return;
  }
  if (op == "sheet") {
    if (firstSheet) book.Sheet(0).Rename(f.at(1));
    else book.AppendSheet(f.at(1));
    firstSheet = false;
    return;
  }
  MemoryWorksheet* sheet = book.FindSheet(f.at(1));
  if (!sheet) throw std::invalid_argument("no sheet " + f.at(1));
  if (op == "cell") {
    const CellRef at = Range(f.at(2)).first;
    const std::string& kind = f.at(3);
    if (kind == "n") sheet->SetValue(at, CellValue(std::stod(f.at(4))));
    else sheet->SetValue(at, CellValue(f.at(4)));
    if (kind == "s" && !sheet->Value(at).IsText()) throw std::invalid_argument("not a text: " + f.at(4));
  } else if (op == "merge") {
    sheet->Merge(Range(f.at(2)));
  } else if (op == "note") {
    Note note;
    note.text = f.at(3);
    sheet->SetNote(Range(f.at(2)).first, note);
  } else if (op == "insert_rows") {
    sheet->InsertRows(std::stoi(f.at(2)), std::stoi(f.at(3)));
  } else if (op == "delete_rows") {
    sheet->DeleteRows(std::stoi(f.at(2)), std::stoi(f.at(3)));
  } else if (op == "insert_columns") {
    sheet->InsertColumns(std::stoi(f.at(2)), std::stoi(f.at(3)));
  } else if (op == "delete_columns") {
    sheet->DeleteColumns(std::stoi(f.at(2)), std::stoi(f.at(3)));
  } else if (op == "sort") {
    RecalculateWorkbook(book);
    sheet->Sort(Range(f.at(2)), std::stoi(f.at(3)), f.at(4) == "guess" ? SortHeader::Guess : SortHeader::No);
  } else if (op == "replace") {
    sheet->Replace(Range(f.at(2)), f.at(3), f.at(4));
  } else {
    throw std::invalid_argument("unknown step " + op);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: memory_workbook_driver SCRIPT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "memory_workbook_driver: cannot read " << argv[1] << "\n";
    return 2;
  }
  MemoryWorkbook book;
  bool firstSheet = true;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty()) continue;
    try {
      Step(book, Fields(line), firstSheet);
    } catch (const std::exception& e) {
      std::cout << "{\"error\": " << JsonText("line " + std::to_string(number) + ": " + e.what()) << "}\n";
      return 1;
    }
  }
  return 0;
}
