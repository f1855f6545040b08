// One model worksheet as its part of the file: columns, rows, merges, the selection, page setup.
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

constexpr double kStandardRowHeight = 15;     // points, the file's default row height
constexpr double kStandardColumnWidth = 8.43;  // characters, the file's default column width
constexpr size_t kMaxTextLength = 32767;   // code points in a cell

template <typename... Format>
std::string_view NumberText(char (&buffer)[64], double v, Format... format) {
  return std::string_view(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + 64, v, format...).ptr - buffer));
}

// A number as the shortest text that reads back as the same double: plain digits in the usual
// range, with an exponent for very large and very small magnitudes.
std::string_view CellNumberText(char (&buffer)[64], double v) {
  const double magnitude = std::fabs(v);
  const bool plain = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e16);
  return NumberText(buffer, v, plain ? std::chars_format::fixed : std::chars_format::scientific);
}

void AppendNumber(PartBody& out, double v) {
  char buffer[64];
  out.Append(CellNumberText(buffer, v));
}

void AppendInteger(std::string& out, long long n) {
  char buffer[24];
  out.append(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + sizeof buffer, n).ptr - buffer));
}

// The run properties of a piece of rich text in the cell's font; what the model leaves at its
// standard is the file's default font (Calibri 11, automatic colour), stated in full as a run
// must (an automatic colour has no element).
std::string RunProperties(const FontStyle& font, bool superscript) {
  std::string xml = "<rPr>";
  if (font.bold) xml += "<b/>";
  if (superscript) xml += "<vertAlign val=\"superscript\"/>";
  char buffer[64];
  xml += "<sz val=\"";
  xml += NumberText(buffer, font.size);
  xml += "\"/>";
  if (font.color != 0) {
    xml += "<color rgb=\"" + ArgbColor(font.color) + "\"/>";
  }
  xml += "<rFont val=\"" + XmlAttributeText(font.name) + "\"/><family val=\"2\"/>";
  if (font.name == "Calibri") xml += "<scheme val=\"minor\"/>";
  xml += "</rPr>";
  return xml;
}

class SheetWriter {
 public:
  SheetWriter(const MemoryWorksheet& sheet, bool selected, WriterStyles& styles, SharedStringTable& strings)
      : sheet_(sheet), selected_(selected), styles_(styles), strings_(strings) {}

  WrittenSheet Write(const std::string& notesId) {
    written_.rows = std::make_unique<PartBody>();
    std::string columns = Columns();
    merges_ = sheet_.Merges();
    std::sort(merges_.begin(), merges_.end(),
              [](const RangeRef& a, const RangeRef& b) { return a.first.row < b.first.row; });
    WriteRows();
    written_.rows->Finish();
    written_.dimension = Dimension();

    std::string& xml = written_.xml;
    xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
          "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    xml += "<dimension ref=\"" + written_.dimension + "\"/>";
    xml += SheetViews();
    xml += "<sheetFormatPr defaultRowHeight=\"15\"/>";
    xml += columns;
    xml += "<sheetData/>";
    xml += MergeCells();
    xml += PageSetupElements();
    if (!written_.notes.empty()) xml += "<legacyDrawing r:id=\"" + notesId + "\"/>";
    xml += "</worksheet>";
    return std::move(written_);
  }

 private:
  // The view of the sheet: whether the workbook shows it, and the selection with its first cell
  // active, as the commands leave it (A1 is the file's default).
  std::string SheetViews() const {
    std::string xml = "<sheetViews><sheetView";
    if (selected_) xml += " tabSelected=\"1\"";
    xml += " workbookViewId=\"0\"";
    // Selection() is the port's reading of the selection; it changes nothing.
    const RangeRef selected = const_cast<MemoryWorksheet&>(sheet_).Selection();
    if (selected == RangeRef::Cell(1, 1)) return xml + "/></sheetViews>";
    const std::string first = CellA1(selected.first);
    const std::string area = selected.first == selected.last ? first : first + ":" + CellA1(selected.last);
    return xml + "><selection activeCell=\"" + first + "\" sqref=\"" + area + "\"/></sheetView></sheetViews>";
  }

  // The style record the file gives one of this sheet's style numbers.
  int StyleRecord(StyleId id) {
    if (id >= recordByStyleId_.size()) recordByStyleId_.resize(id + 1, -1);
    if (recordByStyleId_[id] < 0) recordByStyleId_[id] = styles_.Record(sheet_.StyleById(id));
    return recordByStyleId_[id];
  }

  // Consecutive columns with the same width and format share one column record; a column with a
  // format and no width of its own has the standard width, not marked as its own; width 0 hides.
  std::string Columns() {
    const auto columns = sheet_.ColumnFormats();
    if (columns.empty()) return "";
    std::string xml = "<cols>";
    char buffer[64];
    for (size_t i = 0; i < columns.size();) {
      size_t j = i + 1;
      while (j < columns.size() && columns[j].column == columns[j - 1].column + 1 &&
             columns[j].width == columns[i].width && columns[j].style == columns[i].style)
        ++j;
      const ColumnFormat& c = columns[i];
      xml += "<col min=\"" + std::to_string(c.column) + "\" max=\"" + std::to_string(columns[j - 1].column) + "\"";
      const double width = c.width.value_or(kStandardColumnWidth);
      xml += " width=\"" + std::string(NumberText(buffer, width == 0 ? 0 : ColumnWidthToFile(width))) + "\"";
      if (const int record = c.style == kInheritStyle ? 0 : StyleRecord(c.style))
        xml += " style=\"" + std::to_string(record) + "\"";
      if (width == 0) xml += " hidden=\"1\"";
      if (c.width) xml += " customWidth=\"1\"";
      xml += "/>";
      i = j;
    }
    return xml + "</cols>";
  }

  std::string MergeCells() const {
    if (merges_.empty()) return "";
    std::string xml = "<mergeCells count=\"" + std::to_string(merges_.size()) + "\">";
    for (const RangeRef& m : merges_) xml += "<mergeCell ref=\"" + CellA1(m.first) + ":" + CellA1(m.last) + "\"/>";
    return xml + "</mergeCells>";
  }

  // Whether a merged area's cells are written as blanks in its format, as the host writes them
  // (the format shows on every cell: borders, fill); an area larger than this is written as the
  // area alone, so that a merge of whole rows or columns costs no more than its one element.
  static bool Padded(const RangeRef& m) {
    return static_cast<long long>(m.Rows()) * static_cast<long long>(m.Columns()) <= kMostPaddedMergeCells;
  }
  static constexpr long long kMostPaddedMergeCells = 65536;

  // Every row holding stored cells, a format or height of its own, or part of a merged area, in
  // order: the rows without stored cells are taken in between the stored ones as they pass.
  void WriteRows() {
    rowFormats_ = sheet_.RowFormats();
    std::vector<int> extra;
    for (const RowFormat& r : rowFormats_) extra.push_back(r.row);
    for (const RangeRef& m : merges_)
      if (Padded(m))
        for (int row = m.first.row; row <= m.last.row; ++row) extra.push_back(row);
    std::sort(extra.begin(), extra.end());
    extra.erase(std::unique(extra.begin(), extra.end()), extra.end());
    size_t nextExtra = 0;
    int current = 0;
    sheet_.VisitCells(RangeRef::Block(1, 1, kMaxRows, kMaxColumns), [&](const CellView& c) {
      if (c.note) WriteNote(c.at, *c.note);
      if (c.at.row != current) {
        if (current != 0) WriteRow(current);
        for (; nextExtra < extra.size() && extra[nextExtra] <= c.at.row; ++nextExtra)
          if (extra[nextExtra] < c.at.row) WriteRow(extra[nextExtra]);
        current = c.at.row;
      }
      // The row is written once the next one starts: its texts' places in the shared strings
      // are read from memory meanwhile.
      if (!c.formula && !c.superscripts && c.value->IsText()) strings_.Prefetch(c.value->Text());
      rowCells_.push_back(c);
    });
    if (current != 0) WriteRow(current);
    for (; nextExtra < extra.size(); ++nextExtra)
      if (extra[nextExtra] != current) WriteRow(extra[nextExtra]);
  }

  const RowFormat* RowFormatOf(int row) {
    while (nextRowFormat_ < rowFormats_.size() && rowFormats_[nextRowFormat_].row < row) ++nextRowFormat_;
    return nextRowFormat_ < rowFormats_.size() && rowFormats_[nextRowFormat_].row == row ? &rowFormats_[nextRowFormat_]
                                                                                         : nullptr;
  }

  // <row r="5" s="3" customFormat="1" ht="25" customHeight="1">, without its closing bracket. A
  // height of 0 hides the row.
  std::string RowHead(int row) {
    std::string head = "<row r=\"" + rowText_ + "\"";
    const RowFormat* format = RowFormatOf(row);
    if (!format) return head;
    if (format->style != kInheritStyle) {
      if (int record = StyleRecord(format->style)) {
        head += " s=\"";
        AppendInteger(head, record);
        head += '"';
      }
      head += " customFormat=\"1\"";
    }
    double height = format->height.value_or(kStandardRowHeight);
    const bool hidden = height == 0;
    if (hidden) height = kStandardRowHeight;
    char buffer[64];
    if (height != kStandardRowHeight) head += " ht=\"" + std::string(NumberText(buffer, height)) + "\"";
    if (hidden) head += " hidden=\"1\"";
    if (height != kStandardRowHeight) head += " customHeight=\"1\"";
    return head;
  }

  // Whether a stored cell puts anything in the file (an empty cell without a format of its own
  // does not).
  static bool Written(const CellView& c) { return c.formula || !c.value->IsEmpty() || c.ownStyle; }

  // One <row> with the cells of rowCells_ (then cleared) and, in merged areas, a blank in the
  // format it shows at each cell no stored cell is written to.
  void WriteRow(int row) {
    PartBody& out = *written_.rows;
    rowText_.clear();
    AppendInteger(rowText_, row);
    const std::string head = RowHead(row);
    minRow_ = std::min(minRow_, row);
    maxRow_ = std::max(maxRow_, row);

    mergedColumns_.clear();
    while (nextMerge_ < merges_.size() && merges_[nextMerge_].first.row <= row)
      activeMerges_.push_back(merges_[nextMerge_++]);
    activeMerges_.erase(std::remove_if(activeMerges_.begin(), activeMerges_.end(),
                                       [&](const RangeRef& m) { return m.last.row < row; }),
                        activeMerges_.end());
    for (const RangeRef& m : activeMerges_)
      if (Padded(m))
        for (int column = m.first.column; column <= m.last.column; ++column) mergedColumns_.push_back(column);
    std::sort(mergedColumns_.begin(), mergedColumns_.end());

    bool opened = false;
    auto open = [&] {
      if (opened) return;
      out.Append(head);
      out.Append('>');
      opened = true;
    };
    auto blank = [&](int column) {
      open();
      WriteBlank({row, column}, sheet_.StyleIdAt({row, column}));
    };
    size_t m = 0;
    for (const CellView& c : rowCells_) {
      for (; m < mergedColumns_.size() && mergedColumns_[m] < c.at.column; ++m) blank(mergedColumns_[m]);
      const bool merged = m < mergedColumns_.size() && mergedColumns_[m] == c.at.column;
      if (merged) ++m;
      if (Written(c)) {
        open();
        WriteCell(c);
      } else if (merged) {
        blank(c.at.column);
      }
    }
    for (; m < mergedColumns_.size(); ++m) blank(mergedColumns_[m]);
    out.Append(opened ? "</row>" : head + "/>");
    rowCells_.clear();
  }

  // The used range as the file states it: rows with cells or formats, columns with cells.
  std::string Dimension() const {
    if (maxRow_ == 0) return "A1";
    const std::string first = std::to_string(minRow_), last = std::to_string(maxRow_);
    if (maxColumn_ == 0) return minRow_ == maxRow_ ? "A" + first : "A" + first + ":A" + last;
    const std::string from = ColumnLetters(minColumn_) + first, to = ColumnLetters(maxColumn_) + last;
    return from == to ? from : from + ":" + to;
  }

  // <c r="B7" s="3" t="s"> without its closing bracket (s when not 0, t when given), counting the
  // cell into the used range.
  void OpenCell(CellRef at, int record, const char* type) {
    StartCell(at, record, type);
    written_.rows->Append(cellHead_);
  }

  // The cell's start tag, without its ">", in cellHead_.
  void StartCell(CellRef at, int record, const char* type) {
    minColumn_ = std::min(minColumn_, at.column);
    maxColumn_ = std::max(maxColumn_, at.column);
    if (at.column >= static_cast<int>(letters_.size())) letters_.resize(at.column + 1);
    std::string& letters = letters_[at.column];
    if (letters.empty()) letters = ColumnLetters(at.column);
    cellHead_ = "<c r=\"";
    cellHead_ += letters;
    cellHead_ += rowText_;
    cellHead_ += '"';
    if (record) {
      cellHead_ += " s=\"";
      AppendInteger(cellHead_, record);
      cellHead_ += '"';
    }
    if (type) {
      cellHead_ += " t=\"";
      cellHead_ += type;
      cellHead_ += '"';
    }
  }

  // A cell of a number or a shared string (the most of a sheet's cells) in one piece.
  void WriteValueCell(CellRef at, int record, const char* type, std::string_view value) {
    StartCell(at, record, type);
    cellHead_ += "><v>";
    cellHead_ += value;
    cellHead_ += "</v></c>";
    written_.rows->Append(cellHead_);
  }

  void WriteBlank(CellRef at, StyleId style) {
    OpenCell(at, StyleRecord(style), nullptr);
    written_.rows->Append("/>");
  }

  void CheckLength(CellRef at, std::string_view text) {
    if (text.size() > kMaxTextLength && CodePointCount(EncodeEscapes(text)) > kMaxTextLength)
      throw std::runtime_error("text in " + CellA1(at) + ": longer than the 32767 characters a cell holds");
  }

  // A formula cell has its cached result: a number, else typed text, boolean or error; a formula
  // never computed offers an empty text. Numbers that are not finite are #NUM! errors.
  void WriteCell(const CellView& c) {
    PartBody& out = *written_.rows;
    const CellValue& v = *c.value;
    int record = StyleRecord(c.style);
    const bool badNumber = v.IsNumber() && !std::isfinite(v.Number());
    const std::string error =
        v.IsError() || badNumber ? CellErrorText(badNumber ? CellError::Num : v.Error()) : std::string();
    if (c.formula) {
      const char* type = v.IsNumber() && !badNumber ? nullptr : v.IsBoolean() ? "b" : !error.empty() ? "e" : "str";
      OpenCell(c.at, record, type);
      out.Append("><f>");
      const std::string& formula = *c.formula;
      out.AppendEscaped(std::string_view(formula).substr(!formula.empty() && formula[0] == '=' ? 1 : 0));
      out.Append("</f><v>");
      if (!type)
        AppendNumber(out, v.Number());
      else if (v.IsBoolean())
        out.Append(v.Bool() ? '1' : '0');
      else if (!error.empty())
        out.Append(error);
      else if (v.IsText())
        out.AppendEscaped(EncodeEscapes(v.Text()));
      out.Append("</v></c>");
    } else if (v.IsNumber() && !badNumber) {
      char buffer[64];
      WriteValueCell(c.at, record, nullptr, CellNumberText(buffer, v.Number()));
    } else if (v.IsText()) {
      CheckLength(c.at, v.Text());
      const int index = c.superscripts ? RichTextIndex(c, v.Text(), record) : strings_.Plain(v.Text());
      char buffer[24];
      WriteValueCell(c.at, record, "s",
                     std::string_view(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + 24, index).ptr - buffer)));
    } else if (v.IsBoolean()) {
      OpenCell(c.at, record, "b");
      out.Append(v.Bool() ? "><v>1</v></c>" : "><v>0</v></c>");
    } else if (v.IsEmpty()) {
      OpenCell(c.at, record, nullptr);
      out.Append("/>");
    } else {
      OpenCell(c.at, record, "e");
      out.Append("><v>");
      out.Append(error);
      out.Append("</v></c>");
    }
  }

  // The shared string of a text with superscript characters: pieces of plain and superscript
  // characters, each with the cell's font (a piece without a font of its own would show the
  // file's default font instead). A text of one superscript character is plain text in a
  // superscript format, whose style record replaces `record`.
  int RichTextIndex(const CellView& c, std::string_view text, int& record) {
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
    const bool anySuperscript = std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.superscript; });
    if (!anySuperscript) return strings_.Plain(text);
    if (pieces.size() == 1 && pieces[0].length == 1) {
      record = styles_.Record(style, true);
      return strings_.Plain(text);
    }
    if (pieces.size() == 1) {  // a rich text has two pieces at least
      pieces.push_back({pieces[0].start + 1, pieces[0].length - 1, pieces[0].superscript});
      pieces[0].length = 1;
    }
    std::string runs;
    for (const Piece& piece : pieces) {
      const std::string part = EncodeEscapes(
          CodePointSubstr(text, static_cast<size_t>(piece.start - 1), static_cast<size_t>(piece.length)));
      runs += "<r>" + RunProperties(style.font, piece.superscript);
      runs += NeedsPreservedSpace(part) ? "<t xml:space=\"preserve\">" : "<t>";
      AppendXmlText(runs, part);
      runs += "</t></r>";
    }
    return strings_.Rich(runs);
  }

  void WriteNote(CellRef at, const Note& note) { written_.notes.push_back({at, note}); }

  // Margins in the file are inches; the orientation is always stated. Print title rows are the
  // workbook's (a defined name).
  std::string PageSetupElements() {
    const PageSetup& page = sheet_.Page();
    char buffer[64];
    auto inches = [&](const char* name, double points) {
      // To twelve decimals: 21.6 points are 0.3 inch, not 0.30000000000000004.
      const double value = std::round(points / kPointsPerInch * 1e12) / 1e12;
      return std::string(" ") + name + "=\"" + std::string(NumberText(buffer, value)) + "\"";
    };
    // The header and footer margins the file cannot keep (0 or less) are its standard 0.3 inch.
    const double header = page.headerMargin > 0 ? page.headerMargin : 0.3 * kPointsPerInch;
    const double footer = page.footerMargin > 0 ? page.footerMargin : 0.3 * kPointsPerInch;
    std::string xml = "<pageMargins" + inches("left", page.leftMargin) + inches("right", page.rightMargin) +
                      inches("top", page.topMargin) + inches("bottom", page.bottomMargin) + inches("header", header) +
                      inches("footer", footer) + "/>";
    xml += page.orientation == Orientation::Landscape ? "<pageSetup orientation=\"landscape\"/>"
                                                       : "<pageSetup orientation=\"portrait\"/>";
    if (!page.printTitleRows.empty()) {
      auto rows = RangeRef::Parse(page.printTitleRows);
      if (!rows || !rows->IsWholeRows())
        throw std::runtime_error("print titles \"" + page.printTitleRows + "\" are not whole rows");
      written_.printTitleRows = "$" + std::to_string(rows->first.row) + ":$" + std::to_string(rows->last.row);
    }
    return xml;
  }

  const MemoryWorksheet& sheet_;
  bool selected_;
  WriterStyles& styles_;
  SharedStringTable& strings_;
  std::vector<int> recordByStyleId_;
  WrittenSheet written_;
  std::vector<RangeRef> merges_;  // by first row
  size_t nextMerge_ = 0;
  std::vector<RangeRef> activeMerges_;  // the areas of the row being written
  std::vector<int> mergedColumns_;
  std::vector<RowFormat> rowFormats_;  // by row
  size_t nextRowFormat_ = 0;
  std::vector<CellView> rowCells_;  // the stored cells of the row being written
  std::string rowText_;             // its number
  std::string cellHead_;
  std::vector<std::string> letters_;  // column letters by column number, as used
  int minRow_ = kMaxRows + 1, maxRow_ = 0, minColumn_ = kMaxColumns + 1, maxColumn_ = 0;
};

}  // namespace

double ColumnWidthToFile(double characters) {
  // The file format's conversions: whole pixels of a 7-pixel digit plus 5 pixels of padding (below
  // one character, 12 pixels a character), then 1/256 steps of a digit.
  const double pixels = characters >= 1 ? std::trunc(characters * 7 + 0.5) + 5 : std::trunc(characters * 12 + 0.5);
  return std::trunc(pixels / 7 * 256) / 256;
}

WrittenSheet WriteSheet(const MemoryWorksheet& sheet, bool selected, WriterStyles& styles, SharedStringTable& strings,
                        const std::string& notesId) {
  return SheetWriter(sheet, selected, styles, strings).Write(notesId);
}

}  // namespace kestrel
