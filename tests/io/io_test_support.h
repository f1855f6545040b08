// Test support for workbook files: temporary folders, the oracle scripts, and checking a loaded
// workbook against the facts an oracle states (tests/io/oracles/facts.py describes the format).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "workbook/memory_workbook.h"
#include "workbook/memory_worksheet.h"
#include "util/text_file.h"

namespace kestrel::iotest {

namespace fs = std::filesystem;

inline const fs::path& OracleDir() {
  static const fs::path dir = fs::path(KESTREL_TEST_DIR) / "oracles";
  return dir;
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A folder of its own under the system's temporary folder, removed with the object.
class TempDir {
 public:
  explicit TempDir(const std::string& label) {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("kestrel-io-" + label + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return PathToUtf8(path_ / PathFromUtf8(name)); }

 private:
  fs::path path_;
};

// Runs an oracle script with the system Python; its output and errors go to `log`. The exit
// code of the script.
inline int RunOracle(const std::string& script, const std::vector<std::string>& args, const fs::path& log) {
  std::string command = std::string(KESTREL_PYTHON) + " " + ShellQuote((OracleDir() / script).string());
  for (const auto& a : args) command += " " + ShellQuote(a);
  command += " >" + ShellQuote(log.string()) + " 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the script and fails the current test (returning false) when it does not succeed.
inline bool RunOracleOrFail(const std::string& script, const std::vector<std::string>& args, const fs::path& log) {
  int code = RunOracle(script, args, log);
  if (code == 0) return true;
  ADD_FAILURE() << script << " failed with " << code << ":\n" << ReadBytes(log);
  return false;
}

struct Fact {
  std::string kind;
  std::vector<std::string> fields;
};

inline std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    char c = field[++i];
    out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  return out;
}

inline std::vector<Fact> ReadFacts(const fs::path& path) {
  std::vector<Fact> facts;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    Fact fact;
    size_t start = 0;
    bool first = true;
    while (true) {
      size_t tab = line.find('\t', start);
      std::string field = Unescape(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (first)
        fact.kind = field;
      else
        fact.fields.push_back(field);
      first = false;
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    facts.push_back(std::move(fact));
  }
  return facts;
}

inline double Number(const std::string& text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << "not a number: " << text;
  return value;
}

inline CellRef Cell(const std::string& a1) {
  auto range = RangeRef::Parse(a1);
  EXPECT_TRUE(range.has_value()) << a1;
  return range ? range->first : CellRef{};
}

// The host's colour number of "RRGGBB": red in the low byte.
inline long HostColorOf(const std::string& hex) {
  long rgb = std::stol(hex, nullptr, 16);
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// The host's ColumnWidth (characters) of a width as the file stores it, by the file format's
// rule for the standard font (a 7-pixel digit, 5 pixels of padding): 9.140625 -> 8.43.
inline double CharactersOfFileWidth(double fileWidth) {
  double pixels = std::trunc((256 * fileWidth + std::trunc(128.0 / 7)) / 256 * 7);
  double characters = pixels >= 12 ? (pixels - 5) / 7 : pixels / 12;
  return std::trunc(characters * 100 + 0.5) / 100;
}

struct CheckOptions {
  // LibreOffice shows General numbers in full where the host rounds them to the cell width:
  // display facts of such cells are not compared.
  bool skipGeneralNumberDisplays = false;
};

// Checks one fact against the workbook; `sheetIndex` counts the sheet facts met so far. False
// when the fact was not compared (a display the options leave out).
inline bool CheckFact(MemoryWorkbook& book, const Fact& fact, const CheckOptions& options, int& sheetIndex) {
  const auto& f = fact.fields;
  std::string where = fact.kind;
  for (const auto& field : f) where += " | " + field;
  SCOPED_TRACE(where);
  if (fact.kind == "sheet") {
    if (sheetIndex >= book.SheetCount()) {
      ADD_FAILURE() << "the workbook has only " << book.SheetCount() << " sheets";
      return true;
    }
    MemoryWorksheet& sheet = book.Sheet(sheetIndex++);
    EXPECT_EQ(sheet.SheetName(), f[0]);
    EXPECT_EQ(sheet.Hidden(), f[1] != "visible");
    return true;
  }
  if (fact.kind == "active") {
    EXPECT_EQ(book.ActiveIndex(), std::stoi(f[0]));
    return true;
  }
  MemoryWorksheet* sheet = book.FindSheet(f[0]);
  if (!sheet) {
    ADD_FAILURE() << "no sheet " << f[0];
    return true;
  }
  if (fact.kind == "value") {
    CellValue v = sheet->Value(Cell(f[1]));
    const std::string& type = f[2];
    if (type == "n") {
      EXPECT_TRUE(v.IsNumber() && v.Number() == Number(f[3])) << v.AsText();
    } else if (type == "s") {
      EXPECT_TRUE(v.IsText() && v.Text() == f[3]) << v.AsText();
    } else if (type == "b") {
      EXPECT_TRUE(v.IsBoolean() && v.Bool() == (f[3] == "1")) << v.AsText();
    } else if (type == "e") {
      EXPECT_TRUE(v.IsError() && CellErrorText(v.Error()) == f[3]) << v.AsText();
    } else {
      EXPECT_TRUE(v.IsEmpty()) << v.AsText();
    }
  } else if (fact.kind == "formula") {
    EXPECT_EQ(sheet->Formula(Cell(f[1])), f[2]);
  } else if (fact.kind == "format") {
    EXPECT_EQ(sheet->NumberFormat(Cell(f[1])), f[2]);
  } else if (fact.kind == "display") {
    CellRef cell = Cell(f[1]);
    if (options.skipGeneralNumberDisplays && sheet->Value(cell).IsNumber() && sheet->NumberFormat(cell) == "General")
      return false;
    EXPECT_EQ(sheet->Text(cell), f[2]);
  } else if (fact.kind == "font") {
    FontStyle font = sheet->EffectiveStyle(Cell(f[1])).font;
    EXPECT_EQ(font.name, f[2]);
    EXPECT_EQ(font.size, Number(f[3]));
    EXPECT_EQ(font.bold, f[4] == "1");
    if (f[5] != "-") {
      EXPECT_EQ(font.color, HostColorOf(f[5]));
    }
  } else if (fact.kind == "align") {
    CellStyle style = sheet->EffectiveStyle(Cell(f[1]));
    static const std::map<std::string, HAlign> kH = {{"general", HAlign::General}, {"left", HAlign::Left},
                                                     {"center", HAlign::Center},   {"right", HAlign::Right},
                                                     {"fill", HAlign::Fill}};
    static const std::map<std::string, VAlign> kV = {
        {"top", VAlign::Top}, {"center", VAlign::Center}, {"bottom", VAlign::Bottom}};
    if (!kH.count(f[2]) || !kV.count(f[3])) {
      ADD_FAILURE() << "alignment the sheet model does not know";
      return true;
    }
    EXPECT_EQ(style.horizontal, kH.at(f[2]));
    EXPECT_EQ(style.vertical, kV.at(f[3]));
    EXPECT_EQ(style.wrapText, f[4] == "1");
  } else if (fact.kind == "border") {
    CellBorders b = sheet->EffectiveStyle(Cell(f[1])).borders;
    auto flag = [](LineStyle s) { return s == LineStyle::Continuous ? '1' : '0'; };
    EXPECT_EQ(std::string({flag(b.left), flag(b.top), flag(b.bottom), flag(b.right)}), f[2]);
  } else if (fact.kind == "merge") {
    auto range = RangeRef::Parse(f[1]);
    const auto& merges = sheet->Merges();
    EXPECT_TRUE(range && std::find(merges.begin(), merges.end(), *range) != merges.end()) << "not merged: " << f[1];
  } else if (fact.kind == "note") {
    auto note = sheet->GetNote(Cell(f[1]));
    if (!note) {
      ADD_FAILURE() << "no note at " << f[1];
      return true;
    }
    EXPECT_EQ(note->text, f[2]);
    if (f.size() > 3) {
      EXPECT_EQ(note->visible, f[3] == "1");
      EXPECT_NEAR(note->width, Number(f[4]), 0.01);
      EXPECT_NEAR(note->height, Number(f[5]), 0.01);
      EXPECT_EQ(note->boldLength, std::stoi(f[6]));
    }
  } else if (fact.kind == "super") {
    auto runs = sheet->SuperscriptRuns(Cell(f[1]));
    TextRun wanted{std::stoi(f[2]), std::stoi(f[3])};
    EXPECT_NE(std::find(runs.begin(), runs.end(), wanted), runs.end());
  } else if (fact.kind == "width") {
    double fileWidth = Number(f[2]);
    EXPECT_DOUBLE_EQ(sheet->ColumnWidth(std::stoi(f[1])), fileWidth == 0 ? 0 : CharactersOfFileWidth(fileWidth));
  } else if (fact.kind == "height") {
    EXPECT_DOUBLE_EQ(sheet->RowHeight(std::stoi(f[1])), Number(f[2]));
  } else if (fact.kind == "page") {
    const PageSetup& page = sheet->Page();
    EXPECT_EQ(page.orientation, f[1] == "landscape" ? Orientation::Landscape : Orientation::Portrait);
    EXPECT_NEAR(page.leftMargin, Number(f[2]) * 72, 1e-9);
    EXPECT_NEAR(page.rightMargin, Number(f[3]) * 72, 1e-9);
    EXPECT_NEAR(page.topMargin, Number(f[4]) * 72, 1e-9);
    EXPECT_NEAR(page.bottomMargin, Number(f[5]) * 72, 1e-9);
    EXPECT_NEAR(page.headerMargin, Number(f[6]) * 72, 1e-9);
    EXPECT_NEAR(page.footerMargin, Number(f[7]) * 72, 1e-9);
    EXPECT_EQ(page.printTitleRows, f.size() > 8 ? f[8] : "");
  } else {
    ADD_FAILURE() << "unknown fact " << fact.kind;
  }
  return true;
}

// Checks every fact of the given kinds against the workbook; returns how many were compared.
inline int CheckFacts(MemoryWorkbook& book, const std::vector<Fact>& facts, const std::set<std::string>& kinds,
                      CheckOptions options = {}) {
  int checked = 0;
  int sheetIndex = 0;
  for (const Fact& fact : facts)
    if (kinds.count(fact.kind) && CheckFact(book, fact, options, sheetIndex)) ++checked;
  if (kinds.count("sheet") && sheetIndex > 0) {
    EXPECT_EQ(book.SheetCount(), sheetIndex);
  }
  return checked;
}

inline const std::set<std::string>& AllKinds() {
  static const std::set<std::string> kinds = {"sheet", "active", "value", "formula", "format", "display", "font",
                                              "align", "border", "merge", "note", "super", "width", "height", "page"};
  return kinds;
}

// Every cell of the workbook that holds a value or a formula is one the facts state: the
// reader invents nothing and moves nothing.
inline void CheckNoOtherCells(MemoryWorkbook& book, const std::vector<Fact>& facts) {
  std::set<std::pair<std::string, std::string>> stated;
  for (const Fact& fact : facts)
    if ((fact.kind == "value" && fact.fields[2] != "empty") || fact.kind == "formula")
      stated.insert({fact.fields[0], fact.fields[1]});
  for (int i = 0; i < book.SheetCount(); ++i) {
    MemoryWorksheet& sheet = book.Sheet(i);
    for (CellRef cell : sheet.UsedCells()) {
      bool filled = !sheet.Value(cell).IsEmpty() || (sheet.FormulaCount() > 0 && sheet.Formula(cell).rfind('=', 0) == 0);
      if (filled) {
        EXPECT_TRUE(stated.count({sheet.SheetName(), CellA1(cell)}))
            << "unexpected content in " << sheet.SheetName() << "!" << CellA1(cell) << ": " << sheet.Formula(cell);
      }
    }
  }
}

}  // namespace kestrel::iotest
