// Tests of WriteXlsx: a volume-sheet workbook written and read back by openpyxl, zipfile and LibreOffice.
#include "io/xlsx_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "workbook/formula_eval.h"
#include "io/workbook_file.h"
#include "io/xlsx_writer_package.h"
#include "io/xlsx_writer_styles.h"
#include "support/oracle_tools.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// ---- Helpers: addresses, temporary folders, running the oracles ----

RangeRef Range(std::string_view a1) { return RangeRef::Parse(a1).value(); }
CellRef Cell(std::string_view a1) { return Range(a1).first; }

// A folder of its own per test (ctest runs tests side by side), removed afterwards unless
// KESTREL_KEEP_TEST_FILES is set.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ =
        fs::temp_directory_path() / ("kestrel-writer-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    if (std::getenv("KESTREL_KEEP_TEST_FILES")) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Run {
  int status = -1;
  std::string out;
};

Run RunCommand(const std::string& command) {
  Run run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 65536> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), got);
  run.status = pclose(pipe);
  return run;
}

std::string Oracle(const std::string& script) { return std::string(KESTREL_TEST_DIR) + "/oracles/" + script; }

std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

// The oracles' facts: tab-separated lines, the first field naming the kind, the next `keys`
// fields identifying the fact.
class Facts {
 public:
  Facts() = default;
  explicit Facts(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      std::vector<std::string> fields;
      for (const std::string& f : SplitText(line, "\t")) fields.push_back(Unescape(f));
      if (fields.empty() || fields[0].empty()) continue;
      const std::string kind = fields[0];
      const size_t keys = KeyCount(kind);
      if (fields.size() < keys + 1) continue;
      std::string key;
      for (size_t i = 1; i <= keys; ++i) key += (i > 1 ? "|" : "") + fields[i];
      facts_[kind][key] = std::vector<std::string>(fields.begin() + 1 + static_cast<long>(keys), fields.end());
    }
  }

  // The fields after the key; nothing when there is no such fact.
  const std::vector<std::string>* Find(const std::string& kind, const std::string& key) const {
    auto k = facts_.find(kind);
    if (k == facts_.end()) return nullptr;
    auto f = k->second.find(key);
    return f == k->second.end() ? nullptr : &f->second;
  }
  std::vector<std::string> Get(const std::string& kind, const std::string& key) const {
    const auto* f = Find(kind, key);
    EXPECT_NE(f, nullptr) << "no " << kind << " fact for " << key;
    return f ? *f : std::vector<std::string>(16, "<missing>");
  }
  // Keys of one kind that begin with `prefix`.
  std::vector<std::string> Keys(const std::string& kind, const std::string& prefix = "") const {
    std::vector<std::string> keys;
    auto k = facts_.find(kind);
    if (k == facts_.end()) return keys;
    for (const auto& [key, fields] : k->second)
      if (key.compare(0, prefix.size(), prefix) == 0) keys.push_back(key);
    return keys;
  }

 private:
  static size_t KeyCount(const std::string& kind) {
    if (kind == "active") return 0;
    if (kind == "sheet" || kind == "page" || kind == "titles" || kind == "entry") return 1;
    if (kind == "run" || kind == "noterun") return 3;
    return 2;
  }
  std::map<std::string, std::map<std::string, std::vector<std::string>>> facts_;
};

std::string Key(int sheet, const std::string& a1) { return std::to_string(sheet) + "|" + a1; }
std::string Key(int sheet, CellRef at) { return Key(sheet, CellA1(at)); }

Facts ReadWithOpenpyxl(const std::string& path) {
  Run run = RunCommand(std::string(KESTREL_PYTHON) + " " + Quoted(Oracle("writer_dump.py")) + " " + Quoted(path));
  EXPECT_EQ(run.status, 0) << "openpyxl could not read " << path << ":\n" << run.out;
  return Facts(run.out);
}

double Number(const std::string& text) { return std::stod(text); }

// ---- The workbook: a volume sheet as the volume command builds it, and its neighbours ----

FontChange FontName(const char* name) {
  FontChange f;
  f.name = name;
  return f;
}
FontChange FontSize(double size) {
  FontChange f;
  f.size = size;
  return f;
}
FontChange FontBold() {
  FontChange f;
  f.bold = true;
  return f;
}

struct Section {
  double station, designCut, designFill, measuredCut, measuredFill;
};

// Designed so that every result has at most three decimals, and one remaining area is negative.
const std::vector<Section> kSections = {
    {12230, 12.5, 0, 10.25, 0.5}, {12240.5, 8, 1.5, 9.5, 0.75}, {12260, 0, 6.25, 0.5, 4},
    {12275.25, 3.75, 2, 3, 2.5},  {12300, 14, 0, 12.125, 0},    {12320, 7.5, 0.25, 7.5, 1.25},
};

// Variant "设计+实测+剩余" (columns A to O), in the order and with the host operations the volume
// command uses; the sections fill rows 4 to last - 1.
void BuildVolumeSheet(Application& app, Worksheet& s) {
  const int last = static_cast<int>(kSections.size()) + 4;
  const std::string L = std::to_string(last);
  PageSetupChange page;
  page.orientation = Orientation::Landscape;
  page.printTitleRows = "$1:$3";
  page.leftMargin = page.rightMargin = app.InchesToPoints(0.25);
  page.topMargin = page.bottomMargin = app.InchesToPoints(0.75);
  page.headerMargin = page.footerMargin = app.InchesToPoints(0.3);
  s.SetPageSetup(page);
  s.SetFont(Range("A1:O1048576"), FontName("仿宋"));
  s.SetAlignment(Range("A1:O1048576"), HAlign::Center, VAlign::Center);
  s.SetFont(Range("A1:O1"), FontSize(18));
  s.SetFont(Range("A1:O3"), FontBold());
  s.Merge(Range("A1:O1"));
  s.SetValue(Cell("A1"), "土石挖填方量计算表");
  s.SetRowHeight(1, 1, 50);
  s.SetRowHeight(2, last, 25);
  s.SetColumnWidth(1, 1, 10);
  s.SetColumnWidth(2, 8, 8);
  s.SetColumnWidth(9, 15, 10);
  struct Header {
    const char* range;
    const char* text;
  };
  for (Header h : {Header{"A2:A3", "桩号"},
                   {"B2:C2", "设计面积(m2)"},
                   {"D2:E2", "实测面积(m2)"},
                   {"F2:G2", "剩余面积(m2)"},
                   {"H2:H3", "距离(m)"},
                   {"I2:J2", "设计体积(m3)"},
                   {"K2:L2", "实测体积(m3)"},
                   {"M2:N2", "剩余体积(m3)"},
                   {"O2:O3", "备注"}}) {
    RangeRef r = Range(h.range);
    s.Merge(r);
    s.SetValue(r.first, h.text);
    std::string text = h.text;
    if (text.size() > 4 && (text.ends_with("(m2)") || text.ends_with("(m3)"))) s.SetSuperscript(r.first, 7, 1);
    if (r.Columns() == 2) {
      s.SetValue({3, r.first.column}, "挖方");
      s.SetValue({3, r.first.column + 1}, "填方");
    }
  }
  s.SetWrapText(Range("A2:O2"), true);
  s.Merge(Range("A" + L + ":G" + L));
  s.SetValue(Cell("A" + L), "合计:");
  s.SetFont(RangeRef::WholeRows(last, last), FontBold());
  for (int r = 4; r < last; ++r) {
    const std::string n = std::to_string(r);
    s.SetValue(Cell("F" + n), "=B" + n + "-D" + n);
    s.SetValue(Cell("G" + n), "=C" + n + "-E" + n);
  }
  for (int r = 5; r < last; ++r) {
    const std::string n = std::to_string(r), p = std::to_string(r - 1);
    s.SetValue(Cell("H" + n), "=A" + n + "-A" + p);
    const char* volumes[][2] = {{"I", "B"}, {"J", "C"}, {"K", "D"}, {"L", "E"}, {"M", "F"}, {"N", "G"}};
    for (auto& v : volumes) s.SetValue(Cell(v[0] + n), std::string("=(") + v[1] + n + "+" + v[1] + p + ")/2*H" + n);
  }
  for (char c = 'H'; c <= 'N'; ++c) {
    const std::string col(1, c);
    s.SetValue(Cell(col + L), "=SUM(" + col + "5:" + col + std::to_string(last - 1) + ")");
  }
  s.SetNumberFormat(Range("A4:A" + std::to_string(last - 1)), "\"K\"0+000.000");
  s.SetNumberFormat(Range("B4:N" + L), "0.000_ ;[Red]-0.000 ");
  s.SetFont(Range("A4:N" + L), FontSize(10));
  for (BorderEdge edge : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right,
                          BorderEdge::InsideVertical, BorderEdge::InsideHorizontal})
    s.SetBorder(Range("A2:O" + L), edge, LineStyle::Continuous);
  for (size_t i = 0; i < kSections.size(); ++i) {
    const int r = static_cast<int>(i) + 4;
    const Section& k = kSections[i];
    s.SetValue({r, 1}, k.station);
    s.SetValue({r, 2}, k.designCut);
    s.SetValue({r, 3}, k.designFill);
    s.SetValue({r, 4}, k.measuredCut);
    s.SetValue({r, 5}, k.measuredFill);
  }
  s.SetValue(Cell("O6"), "含淤泥");
}

constexpr int kMeasured = 0, kVolume = 1, kSummary = 2, kHidden = 3;
const char* const kVolumeName = "土石挖填方量计算表";

const Note kTitledNote{"Kestrel:\n点名在此，距离以米计", true, 150, 80, 8};
const Note kPlainNote{"plain note", false, 0, 0, 0};
const Note kNoteOnEmptyCell{"空白单元格的批注", true, 90, 45.5, 2};

// Four sheets: measured data with notes and values of every kind, the volume sheet (active),
// a summary of formulas across sheets, and a hidden sheet they read.
void BuildWorkbook(MemoryWorkbook& book) {
  MemoryWorksheet& measured = book.Sheet(0);
  measured.Rename("测量");
  measured.SetValue(Cell("A1"), "点名");
  measured.SetValue(Cell("B1"), 12.5);
  measured.LoadCell(Cell("C1"), CellValue("0050"));
  measured.LoadCell(Cell("D1"), CellValue::Boolean(true));
  measured.LoadCell(Cell("E1"), CellValue::Error(CellError::NA));
  measured.SetValue(Cell("F1"), "两行\n文字");
  measured.SetWrapText(Range("F1"), true);
  measured.SetValue(Cell("A2"), 3.14159);
  measured.SetNumberFormat(Range("A2"), "0.00");
  FontChange red;
  red.color = 255;
  red.bold = true;
  measured.SetFont(Range("A2"), red);
  measured.SetAlignment(Range("A2"), HAlign::Left, VAlign::Top);
  measured.SetValue(Cell("C3"), "x2");
  measured.SetSuperscript(Cell("C3"), 2, 1);
  measured.SetValue(Cell("D3"), "m3");
  measured.SetSuperscript(Cell("D3"), 1, 2);  // the whole text
  measured.SetNumberFormat(Range("E3"), "@");
  measured.SetValue(Cell("E3"), "3");  // a text, as the format is text
  measured.SetSuperscript(Cell("E3"), 1, 1);
  measured.SetFont(Range("A6"), FontBold());  // the other cells of the merged area keep theirs
  measured.Merge(Range("A6:C7"));
  measured.SetValue(Cell("A6"), "合并");
  measured.SetNote(Cell("A1"), kTitledNote);
  measured.SetNote(Cell("B1"), kPlainNote);
  measured.SetNote(Cell("G5"), kNoteOnEmptyCell);
  measured.SetColumnWidth(2, 2, 20);
  measured.SetRowHeight(2, 2, 30);
  PageSetupChange page;  // margins that are not the new sheet's, header and footer included
  page.leftMargin = 72;
  page.topMargin = 36;
  page.headerMargin = 36;
  page.footerMargin = 28.8;
  measured.SetPageSetup(page);

  BuildVolumeSheet(book, book.AppendSheet(kVolumeName));

  MemoryWorksheet& summary = book.AppendSheet("汇总");
  summary.SetValue(Cell("A1"), "=SUM('土石挖填方量计算表'!I5:I9)");
  summary.SetValue(Cell("A2"), "=\"合计 \"&'土石挖填方量计算表'!H10");
  summary.SetValue(Cell("A3"), "=测量!B1/0");
  summary.SetValue(Cell("A4"), "=TRUE");
  summary.SetValue(Cell("A5"), "='Hidden data'!A1*2");
  summary.SetValue(Cell("A6"), "=ROUND('Hidden data'!A1,0)");  // beyond the calculator
  summary.SetCachedValue(Cell("A6"), 777);                     // so this stale value stays
  summary.SetValue(Cell("A7"), "=A3+1");
  summary.SetValue(Cell("A8"), "=测量!C1+1");
  summary.SetValue(Cell("A9"), "=\"\"");
  summary.SetValue(Cell("A10"), "=NEWFUNCTION(1)");  // never computed: no cached value at all

  MemoryWorksheet& hidden = book.AppendSheet("Hidden data");
  hidden.SetValue(Cell("A1"), 2.75);
  hidden.SetValue(Cell("A2"), "secret");
  hidden.SetHidden(true);

  book.Activate(kVolume);
}

// ---- Expected file values from the model ----

std::string ExpectedHorizontal(HAlign a) {
  switch (a) {
    case HAlign::Left:
      return "left";
    case HAlign::Center:
      return "center";
    case HAlign::Right:
      return "right";
    case HAlign::Fill:
      return "fill";
    case HAlign::General:
      break;
  }
  return "-";
}

std::string ExpectedVertical(VAlign a) {
  switch (a) {
    case VAlign::Top:
      return "top";
    case VAlign::Center:
      return "center";
    case VAlign::Bottom:
      break;
  }
  return "-";
}

std::string ExpectedColor(long hostColor) {
  if (hostColor == 0) return "-";
  char rgb[16];
  std::snprintf(rgb, sizeof rgb, "FF%02X%02X%02X", static_cast<unsigned>(hostColor & 0xFF),
                static_cast<unsigned>((hostColor >> 8) & 0xFF), static_cast<unsigned>((hostColor >> 16) & 0xFF));
  return rgb;
}

std::string Line(LineStyle l) { return l == LineStyle::Continuous ? "thin" : "-"; }

// style SHEET A1 FORMAT FONT SIZE BOLD COLOR SCRIPT H V WRAP LEFT RIGHT TOP BOTTOM
void ExpectStyle(const Facts& facts, int sheet, CellRef at, const CellStyle& style) {
  auto f = facts.Get("style", Key(sheet, at));
  const std::string where = Key(sheet, at);
  EXPECT_EQ(f[0], style.numberFormat) << where;
  EXPECT_EQ(f[1], style.font.name) << where;
  EXPECT_EQ(f[2] == "-" ? -1 : Number(f[2]), style.font.size) << where;
  EXPECT_EQ(f[3], style.font.bold ? "1" : "0") << where;
  EXPECT_EQ(f[4], ExpectedColor(style.font.color)) << where;
  EXPECT_EQ(f[6], ExpectedHorizontal(style.horizontal)) << where;
  EXPECT_EQ(f[7], ExpectedVertical(style.vertical)) << where;
  EXPECT_EQ(f[8], style.wrapText ? "1" : "0") << where;
  EXPECT_EQ(f[9], Line(style.borders.left)) << where;
  EXPECT_EQ(f[10], Line(style.borders.right)) << where;
  EXPECT_EQ(f[11], Line(style.borders.top)) << where;
  EXPECT_EQ(f[12], Line(style.borders.bottom)) << where;
}

// A value as openpyxl reports it: TYPE and VALUE fields.
void ExpectValue(const std::vector<std::string>& f, const CellValue& v, const std::string& where) {
  if (v.IsNumber()) {
    EXPECT_EQ(f[0], "n") << where;
    if (f[0] == "n") {
      EXPECT_EQ(Number(f[1]), v.Number()) << where;
    }
  } else if (v.IsText()) {
    EXPECT_EQ(f[0], "s") << where;
    EXPECT_EQ(f[1], v.Text()) << where;
  } else if (v.IsBoolean()) {
    EXPECT_EQ(f[0], "b") << where;
    EXPECT_EQ(f[1], v.Bool() ? "1" : "0") << where;
  } else if (v.IsError()) {
    EXPECT_EQ(f[0], "e") << where;
    EXPECT_EQ(f[1], CellErrorText(v.Error())) << where;
  } else {
    EXPECT_EQ(f[0], "none") << where;
  }
}

// Excel's column width in the file is the width in characters plus padding, in units of the
// standard font's digit width (7 pixels for Calibri 11, with 5 pixels of padding); 0 hides.
double CharactersFromFileWidth(double fileWidth) {
  if (fileWidth == 0) return 0;
  return std::trunc((fileWidth * 7 - 5) / 7 * 100 + 0.5) / 100;
}

// Per code point: superscript or not.
std::vector<bool> SuperscriptFlags(std::string_view text, const std::vector<TextRun>& runs) {
  std::vector<bool> flags(CodePointCount(text), false);
  for (const TextRun& r : runs)
    for (int i = r.start; i < r.start + r.length && i <= static_cast<int>(flags.size()); ++i) flags[i - 1] = true;
  return flags;
}

// Every stored cell of the model, with its value or formula, cached result, format and rich
// text; every other cell of the file blank in the format the model shows there.
void ExpectCells(const Facts& facts, MemoryWorksheet& sheet, int index) {
  std::set<std::string> stored;
  sheet.VisitCells(RangeRef::Block(1, 1, kMaxRows, kMaxColumns), [&](const CellView& c) {
    const std::string key = Key(index, c.at);
    stored.insert(key);
    const CellValue& v = *c.value;
    const auto* cell = facts.Find("cell", key);
    if (!cell) {
      // Only a cell holding nothing but a note may be missing: its format is its row's or column's.
      EXPECT_TRUE(v.IsEmpty() && !c.formula && !c.ownStyle) << "missing " << key;
      return;
    }
    if (c.formula) {
      EXPECT_EQ((*cell)[0], "f") << key;
      EXPECT_EQ((*cell)[1], *c.formula) << key;
      auto cached = facts.Get("cached", key);
      // openpyxl reads an empty text result as no value.
      if (v.IsEmpty() || v == CellValue("")) {
        EXPECT_TRUE(cached[0] == "none" || (cached[0] == "s" && cached[1].empty())) << key;
      } else {
        ExpectValue(cached, v, key + " (cached)");
      }
    } else {
      ExpectValue(*cell, v, key);
    }
    ExpectStyle(facts, index, c.at, sheet.StyleById(c.style));
    const CellStyle& style = sheet.StyleById(c.style);
    if (!c.superscripts || !v.IsText()) return;
    std::vector<bool> flags = SuperscriptFlags(v.Text(), *c.superscripts);
    if (flags.size() == 1) {  // one character: superscript is the cell's
      EXPECT_EQ(facts.Get("style", key)[5], flags[0] ? "superscript" : "-") << key;
      return;
    }
    std::string joined;
    size_t at = 0;
    for (int k = 0;; ++k) {
      const auto* run = facts.Find("run", key + "|" + std::to_string(k));
      if (!run) break;
      const std::string& piece = (*run)[0];
      joined += piece;
      for (size_t i = 0; i < CodePointCount(piece); ++i, ++at)
        EXPECT_EQ((*run)[4] == "superscript", at < flags.size() && flags[at]) << key << " character " << at + 1;
      EXPECT_EQ((*run)[1], style.font.name) << key;
      EXPECT_EQ(Number((*run)[2]), style.font.size) << key;
      EXPECT_EQ((*run)[3], style.font.bold ? "1" : "0") << key;
    }
    EXPECT_EQ(joined, v.Text()) << key;
  });
  for (const std::string& key : facts.Keys("cell", std::to_string(index) + "|")) {
    if (stored.count(key)) continue;
    CellRef at = Cell(key.substr(key.find('|') + 1));
    EXPECT_EQ(facts.Get("cell", key)[0], "none") << key;
    ExpectStyle(facts, index, at, sheet.EffectiveStyle(at));
  }
}

void ExpectLayout(const Facts& facts, MemoryWorksheet& sheet, int index) {
  const std::string prefix = std::to_string(index) + "|";
  std::set<std::string> merges, expectedMerges;
  for (const std::string& key : facts.Keys("merge", prefix)) merges.insert(key.substr(prefix.size()));
  for (const RangeRef& m : sheet.Merges()) expectedMerges.insert(m.ToA1());
  EXPECT_EQ(merges, expectedMerges) << sheet.SheetName();

  std::map<int, ColumnFormat> columns;
  for (const ColumnFormat& c : sheet.ColumnFormats()) columns[c.column] = c;
  std::set<int> fileColumns;
  for (const std::string& key : facts.Keys("column", prefix)) {
    const int n = std::stoi(key.substr(prefix.size()));
    fileColumns.insert(n);
    auto f = facts.Get("column", key);  // WIDTH CUSTOM STYLED FONT BOLD H (openpyxl's CUSTOM is "has a width")
    auto it = columns.find(n);
    if (it == columns.end()) continue;
    EXPECT_DOUBLE_EQ(CharactersFromFileWidth(Number(f[0])), it->second.width.value_or(kStandardColumnWidth)) << key;
    EXPECT_EQ(f[2], it->second.style != kInheritStyle ? "1" : "0") << key;
    if (it->second.style == kInheritStyle) continue;
    const CellStyle& style = sheet.StyleById(it->second.style);
    EXPECT_EQ(f[3], style.font.name) << key;
    EXPECT_EQ(f[4], style.font.bold ? "1" : "0") << key;
    EXPECT_EQ(f[5], ExpectedHorizontal(style.horizontal)) << key;
  }
  std::set<int> modelColumns;
  for (const auto& [n, c] : columns) modelColumns.insert(n);
  EXPECT_EQ(fileColumns, modelColumns) << sheet.SheetName();

  std::map<int, RowFormat> rows;
  for (const RowFormat& r : sheet.RowFormats()) rows[r.row] = r;
  for (const auto& [n, r] : rows) {
    auto f = facts.Get("row", prefix + std::to_string(n));  // HEIGHT CUSTOM STYLED FONT BOLD
    if (r.height) {
      EXPECT_EQ(Number(f[0]), *r.height) << "row " << n;
    }
    EXPECT_EQ(f[1], r.height ? "1" : "0") << "row " << n;
    EXPECT_EQ(f[2], r.style != kInheritStyle ? "1" : "0") << "row " << n;
    if (r.style != kInheritStyle) {
      EXPECT_EQ(f[3], sheet.StyleById(r.style).font.name) << "row " << n;
      EXPECT_EQ(f[4], sheet.StyleById(r.style).font.bold ? "1" : "0") << "row " << n;
    }
  }
  for (const std::string& key : facts.Keys("row", prefix)) {
    if (rows.count(std::stoi(key.substr(prefix.size())))) continue;
    auto f = facts.Get("row", key);
    EXPECT_EQ(f[0], "-") << key;
    EXPECT_EQ(f[2], "0") << key;
  }

  const PageSetup& page = sheet.Page();
  auto p = facts.Get("page", std::to_string(index));  // ORIENTATION LEFT RIGHT TOP BOTTOM HEADER FOOTER
  EXPECT_EQ(p[0], page.orientation == Orientation::Landscape ? "landscape" : "portrait");
  const double margins[] = {page.leftMargin,   page.rightMargin,  page.topMargin,
                            page.bottomMargin, page.headerMargin, page.footerMargin};
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(Number(p[i + 1]) * 72, margins[i], 1e-9) << sheet.SheetName() << " margin " << i;
  const std::string& titles = page.printTitleRows;
  EXPECT_EQ(facts.Get("titles", std::to_string(index))[0], titles.empty() ? "-" : titles);
}

TEST(XlsxWriterTest, KeepsEverySheetCellFormatAndLayoutOfTheModel) {
  TempFolder folder;
  MemoryWorkbook book;
  BuildWorkbook(book);
  const std::string path = folder.File("volumes.xlsx");
  RecalculateWorkbook(book);  // as a command does before it saves
  WriteXlsx(book, path);
  Facts facts = ReadWithOpenpyxl(path);

  ASSERT_EQ(facts.Keys("sheet").size(), static_cast<size_t>(book.SheetCount()));
  for (int i = 0; i < book.SheetCount(); ++i) {
    auto sheet = facts.Get("sheet", std::to_string(i));
    EXPECT_EQ(sheet[0], book.Sheet(i).SheetName());
    EXPECT_EQ(sheet[1], book.Sheet(i).Hidden() ? "hidden" : "visible");
  }
  EXPECT_EQ(facts.Get("active", "")[0], std::to_string(kVolume));
  for (int i = 0; i < book.SheetCount(); ++i) {
    SCOPED_TRACE(book.Sheet(i).SheetName());
    ExpectCells(facts, book.Sheet(i), i);
    ExpectLayout(facts, book.Sheet(i), i);
  }
}

// The results are checked against arithmetic done here on the section table, not against the
// calculator, so a wrong computation cannot agree with itself.
TEST(XlsxWriterTest, FormulaResultsInTheFileAreTheRecomputedOnes) {
  TempFolder folder;
  MemoryWorkbook book;
  BuildWorkbook(book);
  const std::string path = folder.File("volumes.xlsx");
  RecalculateWorkbook(book);  // as a command does before it saves
  WriteXlsx(book, path);
  Facts facts = ReadWithOpenpyxl(path);

  auto cached = [&](int sheet, const std::string& a1) {
    auto f = facts.Get("cached", Key(sheet, a1));
    EXPECT_EQ(f[0], "n") << a1;
    return f[0] == "n" ? Number(f[1]) : -1e300;
  };
  const int last = static_cast<int>(kSections.size()) + 4;
  std::array<double, 7> totals{};  // H to N
  for (size_t i = 0; i < kSections.size(); ++i) {
    const Section& k = kSections[i];
    const std::string row = std::to_string(i + 4);
    EXPECT_EQ(cached(kVolume, "F" + row), k.designCut - k.measuredCut);
    EXPECT_EQ(cached(kVolume, "G" + row), k.designFill - k.measuredFill);
    if (i == 0) continue;
    const Section& p = kSections[i - 1];
    const double distance = k.station - p.station;
    const std::array<double, 7> expected = {
        distance,
        (k.designCut + p.designCut) / 2 * distance,
        (k.designFill + p.designFill) / 2 * distance,
        (k.measuredCut + p.measuredCut) / 2 * distance,
        (k.measuredFill + p.measuredFill) / 2 * distance,
        (k.designCut - k.measuredCut + p.designCut - p.measuredCut) / 2 * distance,
        (k.designFill - k.measuredFill + p.designFill - p.measuredFill) / 2 * distance};
    for (int c = 0; c < 7; ++c) {
      EXPECT_NEAR(cached(kVolume, std::string(1, static_cast<char>('H' + c)) + row), expected[c], 1e-9) << row;
      totals[c] += expected[c];
    }
  }
  for (int c = 0; c < 7; ++c)
    EXPECT_NEAR(cached(kVolume, std::string(1, static_cast<char>('H' + c)) + std::to_string(last)), totals[c], 1e-9);

  EXPECT_NEAR(cached(kSummary, "A1"), totals[1], 1e-9);
  EXPECT_EQ(facts.Get("cached", Key(kSummary, "A2")), (std::vector<std::string>{"s", "合计 90"}));
  EXPECT_EQ(facts.Get("cached", Key(kSummary, "A3")), (std::vector<std::string>{"e", "#DIV/0!"}));
  EXPECT_EQ(facts.Get("cached", Key(kSummary, "A4")), (std::vector<std::string>{"b", "1"}));
  EXPECT_EQ(cached(kSummary, "A5"), 5.5);  // from the hidden sheet
  EXPECT_EQ(cached(kSummary, "A6"), 777);  // not computed: the value it had
  EXPECT_EQ(facts.Get("cached", Key(kSummary, "A7")), (std::vector<std::string>{"e", "#DIV/0!"}));
  EXPECT_EQ(cached(kSummary, "A8"), 51);  // the text "0050" counts as 50
}

TEST(XlsxWriterTest, ErrorsAndBooleansAreTypedCellsAndErrorConstantsHaveNoFormula) {
  TempFolder folder;
  MemoryWorkbook book;
  BuildWorkbook(book);
  const std::string path = folder.File("volumes.xlsx");
  RecalculateWorkbook(book);  // as a command does before it saves
  WriteXlsx(book, path);
  Facts facts = ReadWithOpenpyxl(path);
  // raw: the t attribute of the cell and whether it holds a formula.
  EXPECT_EQ(facts.Get("raw", Key(kMeasured, "E1")), (std::vector<std::string>{"e", "0"}));
  EXPECT_EQ(facts.Get("cell", Key(kMeasured, "E1")), (std::vector<std::string>{"e", "#N/A"}));
  EXPECT_EQ(facts.Get("raw", Key(kMeasured, "D1")), (std::vector<std::string>{"b", "0"}));
  EXPECT_EQ(facts.Get("raw", Key(kSummary, "A3")), (std::vector<std::string>{"e", "1"}));
  EXPECT_EQ(facts.Get("raw", Key(kSummary, "A4")), (std::vector<std::string>{"b", "1"}));
  EXPECT_EQ(facts.Get("raw", Key(kSummary, "A7")), (std::vector<std::string>{"e", "1"}));
  EXPECT_EQ(facts.Get("cell", Key(kSummary, "A7")), (std::vector<std::string>{"f", "=A3+1"}));
  EXPECT_EQ(facts.Get("raw", Key(kSummary, "A2")), (std::vector<std::string>{"str", "1"}));
  EXPECT_EQ(facts.Get("raw", Key(kSummary, "A1")), (std::vector<std::string>{"n", "1"}));
}

// Runs as openpyxl sees them in the comments part: (text, bold).
std::vector<std::pair<std::string, bool>> NoteRuns(const Facts& facts, int sheet, const std::string& a1) {
  std::vector<std::pair<std::string, bool>> runs;
  for (int k = 0;; ++k) {
    const auto* run = facts.Find("noterun", Key(sheet, a1) + "|" + std::to_string(k));
    if (!run) return runs;
    runs.emplace_back((*run)[0], (*run)[1] == "1");
  }
}

TEST(XlsxWriterTest, NotesKeepTextVisibilitySizeAndBoldTitle) {
  TempFolder folder;
  MemoryWorkbook book;
  BuildWorkbook(book);
  const std::string path = folder.File("volumes.xlsx");
  WriteXlsx(book, path);
  Facts facts = ReadWithOpenpyxl(path);

  for (auto [a1, note] : {std::pair{"A1", kTitledNote}, {"B1", kPlainNote}, {"G5", kNoteOnEmptyCell}}) {
    SCOPED_TRACE(a1);
    EXPECT_EQ(facts.Get("note", Key(kMeasured, a1))[0], note.text);
    std::vector<std::pair<std::string, bool>> expected;
    const std::string title = CodePointSubstr(note.text, 0, static_cast<size_t>(note.boldLength));
    if (!title.empty()) expected.emplace_back(title, true);
    expected.emplace_back(CodePointSubstr(note.text, static_cast<size_t>(note.boldLength)), false);
    EXPECT_EQ(NoteRuns(facts, kMeasured, a1), expected);
    auto box = facts.Get("notebox", Key(kMeasured, a1));  // WIDTH HEIGHT VISIBLE in points
    // Sizes travel in whole pixels: within half a pixel (0.375 point). A note without a size of
    // its own keeps the host's default box of 128 x 74 pixels.
    EXPECT_NEAR(Number(box[0]), note.width > 0 ? note.width : 96, 0.375);
    EXPECT_NEAR(Number(box[1]), note.height > 0 ? note.height : 55.5, 0.375);
    EXPECT_EQ(box[2], note.visible ? "1" : "0");
  }
}

// What LibreOffice shows, by sheet name and cell: one run of writer_libreoffice.py.
std::map<std::string, std::string> LibreOfficeTexts(const std::string& path, const std::string& workdir,
                                                    const std::string& mode) {
  Run run = RunCommand(std::string(KESTREL_PYTHON) + " " + Quoted(Oracle("writer_libreoffice.py")) + " " +
                       Quoted(path) + " " + Quoted(workdir) + " " + mode);
  EXPECT_EQ(run.status, 0) << "LibreOffice (" << mode << ") did not convert " << path << ":\n" << run.out;
  std::map<std::string, std::string> texts;
  std::istringstream in(run.out);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    for (const std::string& field : SplitText(line, "\t")) f.push_back(Unescape(field));
    if (f.size() == 4 && f[0] == "text") texts[f[1] + "!" + f[2]] = f[3];
  }
  return texts;
}

// LibreOffice without recalculation shows the results stored in the file; with recalculation on
// load it computes its own. Both must show what the model shows, cell by cell. Two cells are
// beyond the calculator: one keeps a stale stored result, which tells the two modes apart.
TEST(XlsxWriterTest, LibreOfficeShowsTheStoredResultsAndTheSameAfterRecalculating) {
  KESTREL_NEED_ORACLE("soffice", "LibreOffice");
  TempFolder folder;
  MemoryWorkbook book;
  BuildWorkbook(book);
  const std::string path = folder.File("volumes.xlsx");
  RecalculateWorkbook(book);  // as a command does before it saves
  WriteXlsx(book, path);
  const auto stored = LibreOfficeTexts(path, folder.File("lo"), "cached");
  const auto recalculated = LibreOfficeTexts(path, folder.File("lo"), "recalc");
  ASSERT_FALSE(stored.empty());

  const std::string stale = "汇总!A6", unknown = "汇总!A10";
  EXPECT_EQ(stored.at(stale), "777");
  EXPECT_EQ(recalculated.at(stale), "3");  // ROUND(2.75, 0)
  EXPECT_EQ(stored.at(unknown), "#NAME?");
  EXPECT_EQ(recalculated.at(unknown), "#NAME?");

  std::set<std::string> expectedCells;
  for (int i = 0; i < book.SheetCount(); ++i) {
    MemoryWorksheet& sheet = book.Sheet(i);
    auto used = sheet.UsedRange();
    if (!used) continue;
    for (int row = used->first.row; row <= used->last.row; ++row)
      for (int column = used->first.column; column <= used->last.column; ++column) {
        const std::string key = sheet.SheetName() + "!" + CellA1({row, column});
        if (key == stale || key == unknown) continue;
        const std::string shown = sheet.Text({row, column});
        if (!shown.empty()) expectedCells.insert(key);
        auto s = stored.find(key);
        auto r = recalculated.find(key);
        EXPECT_EQ(s == stored.end() ? "" : s->second, shown) << key << " without recalculation";
        EXPECT_EQ(r == recalculated.end() ? "" : r->second, shown) << key << " recalculated";
      }
  }
  for (const auto& [key, text] : stored) {
    if (key != stale && key != unknown) {
      EXPECT_TRUE(expectedCells.count(key)) << key << " shows " << text;
    }
  }
}

// ---- Scale ----

std::map<std::string, std::vector<std::string>> StreamedCells(const std::string& path, int sheet,
                                                              const std::vector<std::string>& cells) {
  std::string command = std::string(KESTREL_PYTHON) + " " + Quoted(Oracle("writer_cells.py")) + " " + Quoted(path) +
                        " " + std::to_string(sheet);
  for (const std::string& a1 : cells) command += " " + a1;
  Run run = RunCommand(command);
  EXPECT_EQ(run.status, 0) << run.out;
  std::map<std::string, std::vector<std::string>> found;
  std::istringstream in(run.out);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f = SplitText(line, "\t");
    if (f.size() == 5 && f[0] == "cell") found[f[1]] = {f[2], f[3], f[4]};
    if (f.size() == 2) found[f[0]] = {f[1]};
  }
  return found;
}

// A volume sheet of 99,999 sections in eight columns, every cell bordered, plus totals: every
// cell and every cached result arrives (the time it takes is a benchmark's figure).
TEST(XlsxWriterTest, WritesAHundredThousandRowsOfEightColumns) {
  TempFolder folder;
  MemoryWorkbook book;
  MemoryWorksheet& s = book.Sheet(0);
  const int rows = 100000;
  s.SetFont(Range("A:H"), FontName("仿宋"));
  s.SetAlignment(Range("A:H"), HAlign::Center, VAlign::Center);
  s.SetNumberFormat(Range("A:A"), "\"K\"0+000.000");
  s.SetNumberFormat(Range("B:F"), "0.000_ ;[Red]-0.000 ");
  Grid grid(rows, 8);
  for (int r = 1; r < rows; ++r) {
    const std::string n = std::to_string(r), p = std::to_string(r - 1);
    grid.At(r - 1, 0) = 12000 + 10.0 * r;
    grid.At(r - 1, 1) = 1.5 + r % 7;
    grid.At(r - 1, 2) = 0.25 * (r % 5);
    if (r > 1) {
      grid.At(r - 1, 3) = "=A" + n + "-A" + p;
      grid.At(r - 1, 4) = "=(B" + n + "+B" + p + ")/2*D" + n;
      grid.At(r - 1, 5) = "=(C" + n + "+C" + p + ")/2*D" + n;
    }
    grid.At(r - 1, 6) = "第" + n + "断面";
    grid.At(r - 1, 7) = r * 0.001;
  }
  const std::string last = std::to_string(rows), before = std::to_string(rows - 1);
  grid.At(rows - 1, 0) = "合计:";
  for (int c = 3; c <= 5; ++c) {
    const std::string col = ColumnLetters(c + 1);
    grid.At(rows - 1, c) = "=SUM(" + col + "2:" + col + before + ")";
  }
  s.SetValues({1, 1}, grid);
  s.SetRowHeight(1, rows, 25);
  for (BorderEdge edge : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right,
                          BorderEdge::InsideVertical, BorderEdge::InsideHorizontal})
    s.SetBorder(Range("A1:H" + last), edge, LineStyle::Continuous);
  s.Merge(Range("A" + last + ":C" + last));
  s.SetValue(Cell("B2"), "=A2-A1");  // a formula amid the numbers, read back below

  const std::string path = folder.File("large.xlsx");
  RecalculateWorkbook(book);  // as a command does before it saves
  WriteXlsx(book, path);

  auto found =
      StreamedCells(path, 0, {"A2", "B2", "D3", "E50000", "F99999", "G77777", "H99999", "D" + last, "E" + last});
  EXPECT_EQ(found["rows"], std::vector<std::string>{last});
  EXPECT_EQ(found["cells"], std::vector<std::string>{std::to_string(8 * rows)});
  EXPECT_EQ(found["formulas"], std::vector<std::string>{std::to_string(3 * (rows - 2) + 3 + 1)});
  EXPECT_EQ(found["merges"], std::vector<std::string>{"1"});
  EXPECT_EQ(found["A2"], (std::vector<std::string>{"n", "", "12020"}));
  EXPECT_EQ(found["B2"], (std::vector<std::string>{"n", "=A2-A1", "10"}));
  EXPECT_EQ(found["D3"], (std::vector<std::string>{"n", "=A3-A2", "10"}));
  EXPECT_EQ(found["G77777"], (std::vector<std::string>{"s", "", "第77777断面"}));
  EXPECT_EQ(found["H99999"], (std::vector<std::string>{"n", "", "99.999"}));
  EXPECT_EQ(found["D" + last], (std::vector<std::string>{"n", "=SUM(D2:D99999)", "999980"}));
  auto B = [](int r) { return r == 2 ? 10.0 : 1.5 + r % 7; };
  auto C = [](int r) { return 0.25 * (r % 5); };
  auto result = [&](const std::string& a1, const std::string& formula) {
    EXPECT_EQ(found[a1].size(), 3u) << a1;
    if (found[a1].size() != 3) return -1.0;
    EXPECT_EQ(found[a1][1], formula);
    return std::stod(found[a1][2]);
  };
  EXPECT_DOUBLE_EQ(result("E50000", "=(B50000+B49999)/2*D50000"), (B(50000) + B(49999)) / 2 * 10);
  EXPECT_DOUBLE_EQ(result("F99999", "=(C99999+C99998)/2*D99999"), (C(99999) + C(99998)) / 2 * 10);
  double cut = 0;
  for (int r = 2; r < rows; ++r) cut += (B(r) + B(r - 1)) / 2 * 10;
  EXPECT_NEAR(result("E" + last, "=SUM(E2:E99999)"), cut, 1e-6);
}

// ---- Other workbooks ----

TEST(XlsxWriterTest, WholeRowAndColumnFormatsAndCellsWithOnlyAFormat) {
  TempFolder folder;
  MemoryWorkbook book;
  MemoryWorksheet& s = book.Sheet(0);
  s.SetFont(RangeRef::WholeColumns(1, kMaxColumns), FontName("宋体"));  // the whole sheet
  s.SetFont(RangeRef::WholeRows(5, 6), FontBold());
  s.SetBorder(RangeRef::WholeColumns(3, 3), BorderEdge::Left, LineStyle::Continuous);
  s.SetColumnWidth(4, 4, 0);  // hidden
  s.SetValue(Cell("B5"), "bold row");
  s.SetValue(Cell("C2"), 2.5);
  s.SetWrapText(Range("E9"), true);  // a format and nothing else
  s.SetAlignment(Range("F9"), HAlign::Right, VAlign::Top);
  FontChange blue;
  blue.color = 0xFF0000;  // the host's blue: red in the low byte
  s.SetFont(Range("G9"), blue);
  const std::string path = folder.File("formats.xlsx");
  WriteXlsx(book, path);
  Facts facts = ReadWithOpenpyxl(path);
  ExpectCells(facts, s, 0);
  ExpectLayout(facts, s, 0);
  EXPECT_EQ(facts.Get("style", Key(0, "G9"))[4], "FF0000FF");
  EXPECT_EQ(facts.Keys("column", "0|").size(), static_cast<size_t>(kMaxColumns));
}

TEST(XlsxWriterTest, AHiddenActiveSheetGivesWayToTheFirstVisibleOne) {
  TempFolder folder;
  MemoryWorkbook book;
  book.AppendSheet("Second");
  book.AppendSheet("Third");
  book.Sheet(0).SetHidden(true);
  book.Sheet(2).SetHidden(true);
  book.Activate(2);
  const std::string path = folder.File("hidden.xlsx");
  WriteXlsx(book, path);
  Facts facts = ReadWithOpenpyxl(path);
  EXPECT_EQ(facts.Get("active", "")[0], "1");
  EXPECT_EQ(facts.Get("sheet", "0")[1], "hidden");
  EXPECT_EQ(facts.Get("sheet", "1")[1], "visible");
  EXPECT_EQ(facts.Get("sheet", "2")[1], "hidden");

  book.Sheet(1).SetHidden(true);  // every sheet hidden: the active one is shown after all
  WriteXlsx(book, path);
  facts = ReadWithOpenpyxl(path);
  EXPECT_EQ(facts.Get("active", "")[0], "2");
  EXPECT_EQ(facts.Get("sheet", "2")[1], "visible");
  EXPECT_EQ(facts.Get("sheet", "1")[1], "hidden");
}

void ExpectOneLineError(MemoryWorkbook& book, const std::string& path, const std::string& mentions) {
  try {
    WriteXlsx(book, path);
    ADD_FAILURE() << "no error writing " << path;
  } catch (const WorkbookFileError& e) {
    const std::string what = e.what();
    EXPECT_EQ(what.rfind(path + ": cannot write (", 0), 0u) << what;
    EXPECT_EQ(what.back(), ')') << what;
    EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    EXPECT_NE(what.find(mentions), std::string::npos) << what;
  }
  EXPECT_FALSE(fs::exists(path)) << path;
}

TEST(XlsxWriterTest, FailuresAreOneLineWorkbookFileErrors) {
  TempFolder folder;
  {
    MemoryWorkbook book;
    book.Sheet(0).SetValue(Cell("A1"), 1);
    ExpectOneLineError(book, folder.File("no/such/folder/out.xlsx"), "No such file or directory");
  }
  {
    MemoryWorkbook book;
    book.Sheet(0).Rename("断面[1]");
    ExpectOneLineError(book, folder.File("name.xlsx"), "断面[1]");
  }
  {
    MemoryWorkbook book;
    book.Sheet(0).SetValue(Cell("C4"), std::string(40000, 'x'));
    ExpectOneLineError(book, folder.File("long.xlsx"), "C4");
  }
  {
    MemoryWorkbook book;
    PageSetupChange page;
    page.printTitleRows = "$A$1:$B$2";
    book.Sheet(0).SetPageSetup(page);
    ExpectOneLineError(book, folder.File("titles.xlsx"), "print titles");
  }
}

TEST(XlsxWriterTest, StyleRecordsAreMadeOncePerDistinctStyle) {
  WriterStyles styles;
  CellStyle plain, bold, red;
  bold.font.bold = true;
  red.font.color = 255;  // the host's red
  red.numberFormat = "0.000";
  EXPECT_EQ(styles.Record(plain), 0);
  const int boldRecord = styles.Record(bold);
  EXPECT_EQ(styles.Record(CellStyle(bold)), boldRecord);
  EXPECT_NE(styles.Record(bold, true), boldRecord);
  const int redRecord = styles.Record(red);
  const std::string part = styles.Part();
  EXPECT_NE(part.find("<cellXfs count=\"" + std::to_string(redRecord + 1) + "\">"), std::string::npos) << part;
  EXPECT_NE(part.find("<numFmt numFmtId=\"164\" formatCode=\"0.000\"/>"), std::string::npos) << part;
  EXPECT_NE(part.find("<color rgb=\"FFFF0000\"/>"), std::string::npos) << part;
  EXPECT_EQ(ArgbColor(0x00FF00), "FF00FF00");
  EXPECT_EQ(ArgbColor(0xFF0000), "FF0000FF");
  EXPECT_EQ(ArgbColor(0x123456), "FF563412");
}

// The file holds what the model holds and nothing else: no cell the model does not have, and the
// parts a reader expects of a workbook with texts and notes.
TEST(XlsxWriterTest, TheFileHoldsNoCellTheModelLacks) {
  TempFolder folder;
  MemoryWorkbook book;
  book.Sheet(0).SetValue(Cell("B2"), "路基");
  book.Sheet(0).Rename("断面 \"A&B\"");  // texts of attributes
  MemoryWorksheet& titled = book.AppendSheet("O'Neil");  // an apostrophe in a defined name
  PageSetupChange page;
  page.printTitleRows = "$1:$2";
  titled.SetPageSetup(page);
  Note note;
  note.text = "桩号：K1+000";
  note.boldLength = 3;
  book.Sheet(0).SetNote(Cell("C3"), note);
  const std::string path = folder.File("small.xlsx");
  WriteXlsx(book, path);
  const Facts facts = ReadWithOpenpyxl(path);
  EXPECT_EQ(facts.Find("cell", Key(0, "A1")), nullptr);
  EXPECT_EQ(facts.Get("sheet", "0")[0], "断面 \"A&B\"");
  EXPECT_EQ(facts.Get("titles", "1")[0], "$1:$2");
  EXPECT_EQ(facts.Get("cell", Key(0, "B2")), (std::vector<std::string>{"s", "路基"}));
  EXPECT_EQ(NoteRuns(facts, 0, "C3"), (std::vector<std::pair<std::string, bool>>{{"桩号：", true}, {"K1+000", false}}));
  for (const char* part : {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                           "xl/styles.xml", "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"})
    EXPECT_NE(facts.Find("entry", part), nullptr) << part;
}

// ---- The sheet part around its rows ----

TEST(XlsxWriterPackageTest, SheetPartAroundTheRowsStatesTheUsedRange) {
  const std::string empty =
      "<worksheet><dimension ref=\"A1\"/><sheetViews/><sheetData/><pageMargins left=\"0.7\"/></worksheet>";
  EXPECT_EQ(SheetPartAround(empty, "B2:H90"),
            (std::pair<std::string, std::string>{"<worksheet><dimension ref=\"B2:H90\"/><sheetViews/><sheetData>",
                                                 "</sheetData><pageMargins left=\"0.7\"/></worksheet>"}));
  const std::string filled =
      "<worksheet><dimension ref=\"A1:C3\"/><sheetData><row r=\"1\"><c r=\"A1\"/></row></sheetData>"
      "<mergeCells count=\"1\"><mergeCell ref=\"A1:C3\"/></mergeCells></worksheet>";
  EXPECT_EQ(SheetPartAround(filled, "A1:C3").second,
            "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:C3\"/></mergeCells></worksheet>");
  EXPECT_THROW(SheetPartAround("<worksheet><sheetData><row r=\"1\"/>", "A1"), std::runtime_error);
}

}  // namespace
}  // namespace kestrel
