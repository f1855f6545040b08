// One model worksheet written through libxlsxwriter: cells, rich text, merges, sizes, page setup, notes.
#include "io/xlsx_writer_sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "io/xlsx_strings.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

constexpr double kPointsPerInch = 72;

// The library writes numbers with 16 significant digits, which loses some (0.30000000000000004
// becomes 0.3). The shortest text that reads back as the same double, for the numbers that need
// it; empty for the rest. The 16 digits read back exactly when the shortest text has 16 digits or
// fewer: the 16-digit rounding is then at least as close to the number as that text.
std::string ExactNumberText(double v) {
  char buffer[40];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
  int seen = 0, significant = 0;  // digits from the first non-zero one; up to the last non-zero one
  for (const char* p = buffer; p < end && *p != 'e'; ++p) {
    if (*p < '0' || *p > '9' || (seen == 0 && *p == '0')) continue;
    ++seen;
    if (*p != '0') significant = seen;
  }
  if (significant <= 16) return "";
  return std::string(buffer, end);
}

class SheetWriter {
 public:
  SheetWriter(lxw_worksheet* target, const MemoryWorksheet& sheet, WriterFormats& formats)
      : target_(target), sheet_(sheet), formats_(formats) {}

  SheetPatches Write() {
    WriteColumns();
    WriteRows();
    WriteMerges();
    // Every stored cell; cells of merged areas written by WriteMerges are overwritten here with
    // their own content.
    sheet_.VisitCells(RangeRef::Block(1, 1, kMaxRows, kMaxColumns), [&](const CellView& c) {
      WriteCell(c);
      if (c.note) WriteNote(c.at, *c.note);
    });
    WritePageSetup();
    WriteSelection();
    return std::move(patches_);
  }

  // The selection with its first cell active, as the commands leave it; A1 is the file's default.
  void WriteSelection() {
    // Selection() is the port's reading of the selection; it changes nothing.
    const RangeRef selected = const_cast<MemoryWorksheet&>(sheet_).Selection();
    if (selected == RangeRef::Cell(1, 1)) return;
    worksheet_set_selection(target_, Row(selected.first), Column(selected.first), Row(selected.last),
                            Column(selected.last));
  }

 private:
  // The shared format of one of this sheet's style numbers.
  lxw_format* Format(StyleId id) {
    if (id >= byStyleId_.size()) byStyleId_.resize(id + 1, nullptr);
    if (!byStyleId_[id]) byStyleId_[id] = formats_.Cell(sheet_.StyleById(id));
    return byStyleId_[id];
  }

  // `what` and `at` name the place in the message only when there is one to give.
  static void Check(lxw_error error, CellRef at, const char* what) {
    if (error != LXW_NO_ERROR) Check(error, std::string(what) + " " + CellA1(at));
  }
  static void Check(lxw_error error, const std::string& where) {
    if (error != LXW_NO_ERROR) throw std::runtime_error(where + ": " + lxw_strerror(error));
  }

  // Consecutive columns with the same width and format share one column record.
  void WriteColumns() {
    const auto columns = sheet_.ColumnFormats();
    for (size_t i = 0; i < columns.size();) {
      size_t j = i + 1;
      while (j < columns.size() && columns[j].column == columns[j - 1].column + 1 &&
             columns[j].width == columns[i].width && columns[j].style == columns[i].style)
        ++j;
      const ColumnFormat& c = columns[i];
      lxw_format* format = c.style == kInheritStyle ? nullptr : Format(c.style);
      lxw_error error = worksheet_set_column(target_, static_cast<lxw_col_t>(c.column - 1),
                                             static_cast<lxw_col_t>(columns[j - 1].column - 1),
                                             c.width.value_or(LXW_DEF_COL_WIDTH), format);
      Check(error, "column " + ColumnLetters(c.column));
      i = j;
    }
  }

  void WriteRows() {
    for (const RowFormat& r : sheet_.RowFormats()) {
      lxw_format* format = r.style == kInheritStyle ? nullptr : Format(r.style);
      lxw_error error =
          worksheet_set_row(target_, static_cast<lxw_row_t>(r.row - 1), r.height.value_or(LXW_DEF_ROW_HEIGHT), format);
      Check(error, "row " + std::to_string(r.row));
    }
  }

  // The library fills a merged area with blanks in the top-left cell's format; each cell gets
  // the format it shows in the model instead, as the host keeps one per cell.
  void WriteMerges() {
    for (const RangeRef& m : sheet_.Merges()) {
      lxw_error error = worksheet_merge_range(target_, Row(m.first), Column(m.first), Row(m.last), Column(m.last), "",
                                              Format(sheet_.StyleIdAt(m.first)));
      Check(error, m.first, "merged area at");
      for (int row = m.first.row; row <= m.last.row; ++row)
        for (int column = m.first.column; column <= m.last.column; ++column) {
          CellRef at{row, column};
          worksheet_write_blank(target_, Row(at), Column(at), Format(sheet_.StyleIdAt(at)));
        }
    }
  }

  static lxw_row_t Row(CellRef at) { return static_cast<lxw_row_t>(at.row - 1); }
  static lxw_col_t Column(CellRef at) { return static_cast<lxw_col_t>(at.column - 1); }

  void WriteCell(const CellView& c) {
    lxw_format* format = Format(c.style);
    const CellValue& v = *c.value;
    const lxw_row_t row = Row(c.at);
    const lxw_col_t column = Column(c.at);
    const bool badNumber = v.IsNumber() && !std::isfinite(v.Number());
    if (c.formula) {
      const char* formula = c.formula->c_str();
      if (v.IsNumber() && !badNumber) {
        Check(worksheet_write_formula_num(target_, row, column, formula, format, v.Number()), c.at, "formula in");
        if (std::string exact = ExactNumberText(v.Number()); !exact.empty())
          patches_.cells.push_back({c.at, "n", exact, true});
        return;
      }
      if (v.IsText())
        return Check(
            worksheet_write_formula_str(target_, row, column, formula, format, EncodeEscapes(v.Text()).c_str()),
            c.at, "formula in");
      if (v.IsEmpty())  // never computed: no result to offer
        return Check(worksheet_write_formula_str(target_, row, column, formula, format, ""), c.at, "formula in");
      if (v.IsBoolean()) {
        const char* text = v.Bool() ? "TRUE" : "FALSE";
        Check(worksheet_write_formula_str(target_, row, column, formula, format, text), c.at, "formula in");
        patches_.cells.push_back({c.at, "b", v.Bool() ? "1" : "0", true});
        return;
      }
      const std::string error = badNumber ? CellErrorText(CellError::Num) : CellErrorText(v.Error());
      Check(worksheet_write_formula_str(target_, row, column, formula, format, error.c_str()), c.at, "formula in");
      patches_.cells.push_back({c.at, "e", error, true});
      return;
    }
    if (v.IsNumber() && !badNumber) {
      Check(worksheet_write_number(target_, row, column, v.Number(), format), c.at, "number in");
      if (std::string exact = ExactNumberText(v.Number()); !exact.empty())
        patches_.cells.push_back({c.at, "n", exact, false});
      return;
    }
    if (v.IsText()) {
      if (c.superscripts) return WriteRichText(c, v.Text());
      return Check(worksheet_write_string(target_, row, column, EncodeEscapes(v.Text()).c_str(), format), c.at,
                   "text in");
    }
    if (v.IsBoolean())
      return Check(worksheet_write_boolean(target_, row, column, v.Bool(), format), c.at, "boolean in");
    if (v.IsEmpty()) {
      if (c.ownStyle) Check(worksheet_write_blank(target_, row, column, format), c.at, "format of");
      return;
    }
    // An error value: a stand-in formula of the error itself, retyped after saving.
    const std::string error = badNumber ? CellErrorText(CellError::Num) : CellErrorText(v.Error());
    Check(worksheet_write_formula_str(target_, row, column, ("=" + error).c_str(), format, error.c_str()), c.at,
          "error value in");
    patches_.cells.push_back({c.at, "e", error, false});
  }

  // The text in pieces of plain and superscript characters, each with the cell's font: a piece
  // without a font of its own would show the file's default font instead.
  void WriteRichText(const CellView& c, const std::string& text) {
    const CellStyle& style = sheet_.StyleById(c.style);
    const int size = static_cast<int>(CodePointCount(text));
    struct Piece {
      int start;  // code points, from 1
      int length;
      bool superscript;
    };
    std::vector<Piece> pieces;
    int next = 1;
    for (const TextRun& run : *c.superscripts) {
      const int first = std::max(run.start, next);
      const int end = std::min(run.start + run.length, size + 1);
      if (first >= end) continue;
      if (first > next) pieces.push_back({next, first - next, false});
      pieces.push_back({first, end - first, true});
      next = end;
    }
    if (next <= size) pieces.push_back({next, size + 1 - next, false});
    const lxw_row_t row = Row(c.at);
    const lxw_col_t column = Column(c.at);
    lxw_format* format = Format(c.style);
    const bool anySuperscript = std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.superscript; });
    if (!anySuperscript)
      return Check(worksheet_write_string(target_, row, column, EncodeEscapes(text).c_str(), format), c.at,
                   "text in");
    if (pieces.size() == 1 && pieces[0].length == 1) {
      lxw_format* whole = pieces[0].superscript ? formats_.Cell(style, true) : format;
      return Check(worksheet_write_string(target_, row, column, EncodeEscapes(text).c_str(), whole), c.at,
                   "text in");
    }
    if (pieces.size() == 1) {  // the library wants two pieces at least
      pieces.push_back({pieces[0].start + 1, pieces[0].length - 1, pieces[0].superscript});
      pieces[0].length = 1;
    }
    std::vector<std::string> strings;
    strings.reserve(pieces.size());
    std::vector<lxw_rich_string_tuple> tuples(pieces.size());
    std::vector<lxw_rich_string_tuple*> list;
    for (size_t i = 0; i < pieces.size(); ++i) {
      strings.push_back(EncodeEscapes(
          CodePointSubstr(text, static_cast<size_t>(pieces[i].start - 1), static_cast<size_t>(pieces[i].length))));
      tuples[i].format = formats_.Run(style.font, pieces[i].superscript);
      tuples[i].string = strings.back().data();  // the library does not change it
      list.push_back(&tuples[i]);
    }
    list.push_back(nullptr);
    Check(worksheet_write_rich_string(target_, row, column, list.data(), format), c.at, "rich text in");
  }

  void WriteNote(CellRef at, const Note& note) {
    lxw_comment_options options{};
    options.visible = note.visible ? LXW_COMMENT_DISPLAY_VISIBLE : LXW_COMMENT_DISPLAY_HIDDEN;
    if (note.width > 0) options.width = static_cast<uint16_t>(PointsToPixels(note.width));
    if (note.height > 0) options.height = static_cast<uint16_t>(PointsToPixels(note.height));
    Check(worksheet_write_comment_opt(target_, Row(at), Column(at), EncodeEscapes(note.text).c_str(), &options), at,
          "note of");
    const int bold = std::min(note.boldLength, static_cast<int>(CodePointCount(note.text)));
    if (bold > 0) patches_.notes.push_back({at, bold});
  }

  // Margins in the file are inches. The library keeps its 0.3 inch header and footer margins
  // unless given a positive one, and writes an empty header or footer to carry a margin.
  void WritePageSetup() {
    const PageSetup& page = sheet_.Page();
    if (page.orientation == Orientation::Landscape)
      worksheet_set_landscape(target_);
    else
      worksheet_set_portrait(target_);
    worksheet_set_margins(target_, page.leftMargin / kPointsPerInch, page.rightMargin / kPointsPerInch,
                          page.topMargin / kPointsPerInch, page.bottomMargin / kPointsPerInch);
    const PageSetup standard;
    if (page.headerMargin != standard.headerMargin) {
      lxw_header_footer_options options{};
      options.margin = page.headerMargin / kPointsPerInch;
      worksheet_set_header_opt(target_, "", &options);
    }
    if (page.footerMargin != standard.footerMargin) {
      lxw_header_footer_options options{};
      options.margin = page.footerMargin / kPointsPerInch;
      worksheet_set_footer_opt(target_, "", &options);
    }
    if (page.printTitleRows.empty()) return;
    auto rows = RangeRef::Parse(page.printTitleRows);
    if (!rows || !rows->IsWholeRows())
      throw std::runtime_error("print titles \"" + page.printTitleRows + "\" are not whole rows");
    lxw_error error = worksheet_repeat_rows(target_, Row(rows->first), Row(rows->last));
    Check(error, "print titles " + page.printTitleRows);
  }

  lxw_worksheet* target_;
  const MemoryWorksheet& sheet_;
  WriterFormats& formats_;
  std::vector<lxw_format*> byStyleId_;
  SheetPatches patches_;
};

}  // namespace

int PointsToPixels(double points) {
  return static_cast<int>(std::lround(std::clamp(points * 4 / 3, 1.0, 65535.0)));
}

SheetPatches WriteSheetContent(lxw_worksheet* target, const MemoryWorksheet& sheet, WriterFormats& formats) {
  return SheetWriter(target, sheet, formats).Write();
}

}  // namespace kestrel
