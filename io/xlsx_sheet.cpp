// A worksheet part: cells, shared formulas, formats, widths, heights, merges, notes, page setup.
#include "io/xlsx_sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <system_error>
#include <tuple>

#include "workbook/formula_refs.h"
#include "io/workbook_file_error.h"
#include "io/xlsx_format_blocks.h"
#include "io/xlsx_notes.h"
#include "io/xlsx_refs.h"
#include "io/xlsx_xml.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// More merged areas than this are refused: each merge is checked against all before it.
constexpr size_t kMaxMerges = 100000;

std::optional<long long> Integer(std::string_view text) {
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// An ISO 8601 date-time ("2024-03-01", "2024-03-01T12:30:00") as the host's serial number
// (days since 1899-12-30).
std::optional<double> DateSerial(std::string_view text) {
  int y = 0, m = 0, d = 0, hh = 0, mm = 0;
  double ss = 0;
  auto number = [&](size_t at, size_t length, int& out) {
    if (at + length > text.size()) return false;
    auto value = Integer(text.substr(at, length));
    if (!value) return false;
    out = static_cast<int>(*value);
    return true;
  };
  if (!number(0, 4, y) || text.size() < 10 || text[4] != '-' || !number(5, 2, m) || text[7] != '-' ||
      !number(8, 2, d))
    return std::nullopt;
  if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  if (text.size() > 10) {
    if (text[10] != 'T' || !number(11, 2, hh) || text.size() < 16 || text[13] != ':' || !number(14, 2, mm))
      return std::nullopt;
    if (text.size() > 16) {
      if (text[16] != ':') return std::nullopt;
      std::string_view seconds = text.substr(17);
      while (!seconds.empty() && (seconds.back() == 'Z')) seconds.remove_suffix(1);
      auto value = XmlNumber(seconds);
      if (!value) return std::nullopt;
      ss = *value;
    }
  }
  // Days from the civil date (proleptic Gregorian), then shifted to the host's epoch.
  const int yy = y - (m <= 2);
  const int era = (yy >= 0 ? yy : yy - 399) / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long days = static_cast<long>(era) * 146097 + doe - 719468;  // days since 1970-01-01
  return static_cast<double>(days + 25569) + (hh * 3600 + mm * 60 + ss) / 86400.0;
}

// Thrown while a part is read as it is inflated, when it turns out to need reading whole.
struct PartNeedsWholeReading {};

// The rows of a worksheet part as the part is inflated, in runs of whole rows cut exactly where
// the reading of the whole part cuts them (SheetDataContent, RowRunEnd), with the part's text
// before and after the rows. Only one run and the piece being read are held at a time.
class StreamedRows {
 public:
  static constexpr size_t kRunBytes = size_t{2} << 20;
  // A part whose start tag of the rows is not found in this much is read whole.
  static constexpr size_t kMostHead = size_t{16} << 20;

  struct Run {
    std::string text;
    pugi::xml_document doc;
    pugi::xml_parse_result result;
    bool last = false;
  };

  explicit StreamedRows(ZipArchive::Stream stream) : stream_(std::move(stream)) {}

  // Reads on to the rows' start tag: false when the part cannot be read in runs as it comes
  // (Whole then gives its text).
  bool FindStart() {
    for (;;) {
      const SheetDataStart start = FindSheetDataStart(buffer_);
      if (start.state == SheetDataStart::Found) {
        head_ = buffer_.substr(0, start.begin);
        prefix_ = std::string(start.prefix);
        if (HoldsMarkup(head_, '!') || !IsValidUtf8(head_) || RootName().empty()) return false;
        buffer_.erase(0, start.begin);
        return true;
      }
      if (start.state == SheetDataStart::Unsuitable || buffer_.size() > kMostHead || stream_.AppendTo(buffer_) == 0)
        return false;
    }
  }

  // The whole part's text, when FindStart gave false.
  std::string Whole() {
    std::string text = std::move(buffer_);
    while (stream_.AppendTo(text) != 0) {
    }
    return text;
  }

  // The part before the rows, closed after an empty <sheetData>: what the rows need to know
  // first (the columns' formats, the default row height).
  std::string HeadDocument() const {
    return head_ + "</" + prefix_ + "sheetData></" + RootName() + ">";
  }

  // The next run, parsed on the thread that calls; the last one says so. Throws
  // PartNeedsWholeReading, or WorkbookFileError.
  std::unique_ptr<Run> Next(const std::string& file, const std::string& part) {
    size_t cut = 0;
    for (bool more = true;; more = stream_.AppendTo(buffer_) != 0) {
      if (!end_) {
        if (auto end = FindSheetDataEnd(buffer_, endScan_, prefix_)) {
          end_ = end->first;
          endName_ = end->second;
        } else {
          // A name that the next piece completes begins in the last few bytes.
          endScan_ = buffer_.size() >= 8 ? buffer_.size() - 8 : 0;
        }
      }
      if (end_ && *end_ <= kRunBytes) {
        cut = *end_;
        break;
      }
      if (buffer_.size() > kRunBytes) {
        const std::optional<size_t> rowEnd = FindRowEnd(buffer_, std::max(kRunBytes, rowScan_), end_.value_or(buffer_.size()));
        if (rowEnd) {
          cut = *rowEnd;
          break;
        }
        if (end_) {
          cut = *end_;
          break;
        }
        rowScan_ = buffer_.size() >= 3 ? buffer_.size() - 3 : 0;
      }
      if (!more) throw PartNeedsWholeReading();  // no end tag of the rows
    }
    auto run = std::make_unique<Run>();
    run->text = buffer_.substr(0, cut);
    buffer_.erase(0, cut);
    rowScan_ = 0;
    endScan_ = endScan_ > cut ? endScan_ - cut : 0;
    if (end_) {
      *end_ -= cut;
      endName_ -= cut;
      run->last = *end_ == 0;
    }
    if (HoldsMarkup(run->text, '?') || HoldsMarkup(run->text, '!') ||
        !IsValidUtf8(run->text))
      throw PartNeedsWholeReading();
    if (run->last) ReadTail();
    CheckNodeCount(file, part, run->text);
    run->result = run->doc.load_buffer_inplace(run->text.data(), run->text.size(), kXmlParseOptions | pugi::parse_fragment);
    return run;
  }

  // After the last run: the part without its rows, as the whole part's reading parses it.
  std::string Rest() const { return head_ + tail_; }

 private:
  // The root element's name, as its start tag in the head gives it.
  std::string RootName() const {
    size_t open = 0;
    while ((open = head_.find('<', open)) != std::string::npos && open + 1 < head_.size() && head_[open + 1] == '?')
      ++open;
    if (open == std::string::npos) return "";
    const size_t nameEnd = head_.find_first_of(" \t\r\n/>", open + 1);
    return nameEnd == std::string::npos ? "" : head_.substr(open + 1, nameEnd - open - 1);
  }

  // The rest of the part after the rows, which must hold no other tag of the rows' name.
  void ReadTail() {
    tail_ = std::move(buffer_);
    while (stream_.AppendTo(tail_) != 0) {
    }
    if (tail_.find("sheetData", endName_ + 1) != std::string::npos || HoldsMarkup(tail_, '!') ||
        !IsValidUtf8(tail_))
      throw PartNeedsWholeReading();
  }

  ZipArchive::Stream stream_;
  std::string buffer_;  // read and not handed on: from the next run's start
  std::string head_, tail_, prefix_;
  std::optional<size_t> end_;  // in the buffer: the end tag of the rows, once read
  size_t endName_ = 0;         // in the buffer: that tag's name
  size_t endScan_ = 0, rowScan_ = 0;
};

class SheetReader {
 public:
  SheetReader(ZipArchive& zip, const std::string& part, const std::string& name, const XlsxShared& shared,
              MemoryWorksheet& sheet)
      : zip_(zip), part_(part), name_(name), shared_(shared), sheet_(sheet), baseline_(shared.styles.Format(0)) {}

  void Read(std::vector<std::string>* warnings, KeptSheet* kept) { Read(RepairUtf8(zip_.Read(part_)), warnings, kept); }

  void Read(std::string text, std::vector<std::string>* warnings, KeptSheet* kept) {
    {
      // The parsed sheet is released before the notes are read. Its rows are parsed a run at a
      // time apart from the rest of the part, so that only one run's parsed form is held: the
      // limit of elements and attributes applies to each run and to the rest on its own.
      // The rows are read where they are in the part's text; the rest is a copy of its own.
      std::string_view rows;
      std::string rest;
      size_t cut = 0;
      if (auto content = SheetDataContent(text)) {
        cut = content->first;
        rows = std::string_view(text).substr(cut, content->second - cut);
        rest = text.substr(0, cut) + text.substr(content->second);
      }
      // The part as a whole: its message when it is damaged, or the part as it used to be read.
      // The rows go with it.
      auto whole = [&] {
        rows = {};
        return std::move(text);
      };
      std::optional<XmlPart> xml;
      try {
        xml.emplace(zip_.Path(), part_, rows.empty() ? whole() : std::move(rest));
      } catch (const WorkbookFileError&) {
        if (rows.empty()) throw;
        xml.emplace(zip_.Path(), part_, whole());
      }
      if (!rows.empty() && !Child(xml->Root(), "sheetData")) xml.emplace(zip_.Path(), part_, whole());
      pugi::xml_node root = xml->Root();
      ReadHead(root);
      if (rows.empty()) {
        ReadRows(Child(root, "sheetData"));
      } else {
        ReadRowRuns(rows, [&](size_t offset) {
          XmlPart check(zip_.Path(), part_, whole());  // throws the whole part's message
          ThrowDamagedXml(zip_.Path(), part_, cut + offset);
        });
      }
      ReadAfterRows(root, kept);
    }
    ReadNotesOf(warnings);
  }

  // The same with the part read as it is inflated, so that its text is never held whole: the
  // part up to the rows first, then each run of rows, parsed on a helper thread while this one
  // loads the run before, then the rest. Throws PartNeedsWholeReading when the part has to be
  // read whole after all (a comment, a damaged run, anything reading it whole would find
  // otherwise or refuse): the sheet may hold some of its rows then.
  void ReadStreamed(std::vector<std::string>* warnings, KeptSheet* kept) {
    try {
      StreamedRows rows(zip_.Open(part_));
      if (!rows.FindStart()) return Read(RepairUtf8(rows.Whole()), warnings, kept);
      {
        XmlPart head(zip_.Path(), part_, rows.HeadDocument());
        if (!Child(head.Root(), "sheetData")) throw PartNeedsWholeReading();
        ReadHead(head.Root());
      }
      auto start = [&] {
        auto next = [&rows, this] { return rows.Next(zip_.Path(), part_); };
        try {
          return std::async(std::launch::async, next);
        } catch (const std::system_error&) {
          return std::async(std::launch::deferred, next);  // no second thread
        }
      };
      auto next = start();
      for (;;) {
        std::unique_ptr<StreamedRows::Run> run = next.get();
        const bool last = run->last;
        if (!last) next = start();
        if (!run->result) throw PartNeedsWholeReading();
        ReadRows(run->doc);
        if (last) break;
      }
      XmlPart rest(zip_.Path(), part_, rows.Rest());
      const pugi::xml_node root = rest.Root();
      // What the rows were read with is what the whole part gives.
      if (!Child(root, "sheetData") || !BeforeRows(root, "cols") || !BeforeRows(root, "sheetFormatPr"))
        throw PartNeedsWholeReading();
      ReadAfterRows(root, kept);
    } catch (const WorkbookFileError&) {
      throw PartNeedsWholeReading();  // the whole part's reading gives the message
    }
    ReadNotesOf(warnings);
  }

 private:
  // What the rows need first: the columns' formats and the default row height.
  void ReadHead(pugi::xml_node root) {
    ReadColumns(Child(root, "cols"));
    defaultHeight_ = XmlNumber(Child(root, "sheetFormatPr").attribute("defaultRowHeight")).value_or(kStandardRowHeight);
  }

  void ReadAfterRows(pugi::xml_node root, KeptSheet* kept) {
    ApplyRowFormats();
    ApplyCellFormats(sheet_, std::move(styled_), shared_.styles, full_);
    ReadMerges(Child(root, "mergeCells"));
    ReadPage(root);
    ReadSelection(Child(Child(root, "sheetViews"), "sheetView"));
    if (kept) *kept = KeepSheetElements(root);
  }

  void ReadNotesOf(std::vector<std::string>* warnings) {
    Warn(warnings);
    ReadNotes(zip_, ReadRelationships(zip_, part_), "sheet " + MessageText(name_), sheet_, warnings);
  }

  // Whether the root's first child element of that name, if any, comes before its rows.
  static bool BeforeRows(pugi::xml_node root, std::string_view local) {
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (LocalName(child) == local) return true;
      if (LocalName(child) == "sheetData") return !Child(root, local);
    }
    return true;
  }

  [[noreturn]] void Defect(const std::string& what) const {
    throw WorkbookFileError(WorkbookFileFault::Defect, zip_.Path(), "sheet " + MessageText(name_) + ": " + what);
  }

  CellRef CellAt(std::string_view ref) const {
    CellRef cell;
    switch (ParseCellRef(ref, cell)) {
      case RefCheck::Ok: return cell;
      case RefCheck::OutOfRange: Defect("cell reference " + MessageText(ref) + " is out of range");
      case RefCheck::Malformed: break;
    }
    Defect("bad cell reference \"" + MessageText(ref) + "\"");
  }

  bool Differs(std::uint32_t format) const { return format != 0 && !(shared_.styles.Format(format) == baseline_); }

  // When every row of the sheet carries a format and no column does (a sheet formatted row by
  // row down to its end), the commonest row format goes to the columns instead. Every cell shows
  // the same either way, cells in those rows having been given their formats of their own, and
  // the rows that carried it then cost nothing: they are not kept, and formatting a whole column
  // later needs no cell in each of them.
  void ApplyRowFormats() {
    std::optional<std::uint32_t> everyRow;
    if (columnFormatted_.empty() && rowFormats_.size() == static_cast<size_t>(kMaxRows) &&
        std::is_sorted(rowFormats_.begin(), rowFormats_.end()) &&
        std::adjacent_find(rowFormats_.begin(), rowFormats_.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }) == rowFormats_.end()) {
      std::map<std::uint32_t, int> counts;
      for (const auto& entry : rowFormats_) ++counts[entry.second];
      everyRow = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                   return a.second < b.second;
                 })->first;
      ApplyFormat(sheet_, RangeRef::WholeColumns(1, kMaxColumns), shared_.styles.Format(*everyRow), baseline_, false);
    }
    for (const auto& [row, format] : rowFormats_) {
      if (everyRow && format == *everyRow) continue;
      ApplyFormat(sheet_, RangeRef::WholeRows(row, row), shared_.styles.Format(format), baseline_,
                  !columnFormatted_.empty() || everyRow.has_value());
    }
  }

  void ReadColumns(pugi::xml_node cols) {
    long long covered = 0;
    for (pugi::xml_node col : Children(cols, "col")) {
      auto min = Integer(col.attribute("min").value()), max = Integer(col.attribute("max").value());
      if (!min || !max || *min < 1 || *min > kMaxColumns || *max < *min) continue;
      const int first = static_cast<int>(*min), last = static_cast<int>(std::min<long long>(*max, kMaxColumns));
      // Entries of a sound file never overlap, so they cover each column once at most.
      covered += last - first + 1;
      if (covered > kMaxColumns) Defect("the column entries overlap");
      if (XmlBool(col.attribute("hidden"))) {
        sheet_.SetColumnWidth(first, last, 0);
      } else if (auto width = XmlNumber(col.attribute("width"));
                 width && *width >= 0 && XmlBool(col.attribute("customWidth"), true)) {
        sheet_.SetColumnWidth(first, last, ColumnWidthFromFile(*width));
      }
      auto format = Integer(col.attribute("style").value());
      if (format && *format > 0 && *format <= 0xFFFFFFFFll && Differs(static_cast<std::uint32_t>(*format))) {
        ApplyFormat(sheet_, RangeRef::WholeColumns(first, last), shared_.styles.Format(static_cast<size_t>(*format)),
                    baseline_, false);
        if (columnFormatted_.empty()) columnFormatted_.assign(kMaxColumns + 1, false);
        std::fill(columnFormatted_.begin() + first, columnFormatted_.begin() + last + 1, true);
        full_ = true;
      }
    }
  }

  // The rows' text cut after row end tags into runs of about 2 MB, each parsed on its own: the
  // next run is parsed on a helper thread while this one reads the run before into the sheet.
  // `damaged` gets the offset of an XML error and throws.
  void ReadRowRuns(std::string_view rows, const std::function<void(size_t)>& damaged) {
    constexpr size_t kRunBytes = size_t{2} << 20;
    struct Run {
      size_t from = 0;
      std::string text;
      pugi::xml_document doc;
      pugi::xml_parse_result result;
    };
    auto parse = [this, rows](size_t from, size_t to) {
      auto run = std::make_unique<Run>();
      run->from = from;
      run->text.assign(rows, from, to - from);
      CheckNodeCount(zip_.Path(), part_, run->text);
      run->result = run->doc.load_buffer_inplace(run->text.data(), run->text.size(),
                                                 kXmlParseOptions | pugi::parse_fragment);
      return run;
    };
    auto start = [&](size_t from) {
      const size_t to = RowRunEnd(rows, from, rows.size(), kRunBytes);
      try {
        return std::make_pair(to, std::async(std::launch::async, parse, from, to));
      } catch (const std::system_error&) {
        return std::make_pair(to, std::async(std::launch::deferred, parse, from, to));  // no second thread
      }
    };
    if (rows.empty()) return;
    auto [to, next] = start(0);
    for (;;) {
      std::unique_ptr<Run> run = next.get();
      const bool last = to == rows.size();
      if (!last) std::tie(to, next) = start(to);
      if (!run->result) {
        // `damaged` takes the rows' text, which the next run's parse may still be reading.
        if (!last) next.wait();
        damaged(run->from + static_cast<size_t>(run->result.offset));
      }
      ReadRows(run->doc);
      if (last) break;
    }
  }

  void ReadRows(pugi::xml_node sheetData) {
    int& lastRow = lastRow_;
    for (pugi::xml_node row : Children(sheetData, "row")) {
      int number = lastRow + 1;
      if (pugi::xml_attribute r = row.attribute("r")) {
        auto value = Integer(r.value());
        if (!value) Defect("bad row number \"" + MessageText(r.value()) + "\"");
        if (*value < 1 || *value > kMaxRows) Defect("row number " + MessageText(r.value()) + " is out of range");
        number = static_cast<int>(*value);
      } else if (number > kMaxRows) {
        Defect("more than " + std::to_string(kMaxRows) + " rows");
      }
      lastRow = number;
      if (XmlBool(row.attribute("hidden"))) {
        sheet_.SetRowHeight(number, number, 0);
      } else if (auto height = XmlNumber(row.attribute("ht"));
                 height && (XmlBool(row.attribute("customHeight")) || *height != defaultHeight_)) {
        // A height the user set, or one the row took from its content (a larger font, wrapped
        // text); rows at the sheet's default height keep the in-memory sheet's default.
        sheet_.SetRowHeight(number, number, std::clamp(*height, 0.0, 409.0));
      }
      bool rowFormatted = false;
      if (XmlBool(row.attribute("customFormat"))) {
        auto format = Integer(row.attribute("s").value());
        if (format && *format > 0 && *format <= 0xFFFFFFFFll && Differs(static_cast<std::uint32_t>(*format))) {
          rowFormats_.push_back({number, static_cast<std::uint32_t>(*format)});
          rowFormatted = true;
          full_ = true;
        }
      }
      int lastColumn = 0;
      for (pugi::xml_node c : Children(row, "c")) ReadCell(c, number, lastColumn, rowFormatted);
    }
  }

  void ReadCell(pugi::xml_node c, int rowNumber, int& lastColumn, bool rowFormatted) {
    CellRef cell{rowNumber, lastColumn + 1};
    if (pugi::xml_attribute r = c.attribute("r"))
      cell = CellAt(r.value());
    else if (cell.column > kMaxColumns)
      Defect("row " + std::to_string(rowNumber) + " has more than " + std::to_string(kMaxColumns) + " cells");
    lastColumn = cell.column;

    pugi::xml_node v, f, is;
    for (pugi::xml_node child = c.first_child(); child; child = child.next_sibling()) {
      std::string_view name = LocalName(child);
      if (name == "v") v = child;
      else if (name == "f") f = child;
      else if (name == "is") is = child;
    }
    const std::string_view type = c.attribute("t").value();
    const std::string_view text = v.child_value();
    const std::vector<TextRun>* superscripts = nullptr;
    RichText inlineText;
    CellValue value;
    if (type == "s") {
      if (!text.empty()) {
        auto index = Integer(text);
        if (!index || *index < 0 || static_cast<unsigned long long>(*index) >= shared_.strings.size())
          Defect("cell " + CellA1(cell) + " names shared string " + MessageText(text) + ", which does not exist");
        value = shared_.strings[static_cast<size_t>(*index)];
        if (auto it = shared_.superscripts.find(static_cast<size_t>(*index)); it != shared_.superscripts.end())
          superscripts = &it->second;
      }
    } else if (type == "inlineStr") {
      if (is) {
        inlineText = ReadRichText(is);
        superscripts = &inlineText.superscripts;
        value = std::move(inlineText.text);
      } else if (v) {
        value = DecodeEscapes(text);
      }
    } else if (type == "str") {
      // A formula's text result may be "" and is kept so; a constant "" is no content.
      if (v && (f || !text.empty())) value = DecodeEscapes(text);
    } else if (type == "b") {
      if (!text.empty()) value = CellValue::Boolean(text == "1" || text == "true");
    } else if (type == "e") {
      if (!text.empty()) value = CellValue::Error(CellErrorOfText(text).value_or(CellError::Value));
    } else if (type == "d") {
      if (!text.empty()) {
        auto serial = DateSerial(text);
        if (!serial) Defect("cell " + CellA1(cell) + " holds \"" + MessageText(text) + "\", which is not a date");
        value = *serial;
      }
    } else if (type.empty() || type == "n") {
      if (!text.empty()) {
        auto number = XmlNumber(text);
        if (!number && (number = NearestFiniteNumber(text))) hugeNumbers_.Add(cell, text);
        if (!number) Defect("cell " + CellA1(cell) + " holds \"" + MessageText(text) + "\", which is not a number");
        value = *number;
      }
    } else {
      Defect("cell " + CellA1(cell) + " has the unknown type \"" + MessageText(type) + "\"");
    }

    // Longer than a cell holds: another writer's text, which no save could write back.
    if (value.IsText() && value.Text().size() > kMaxCellTextLength && CodePointCount(value.Text()) > kMaxCellTextLength) {
      value = CodePointSubstr(value.Text(), 0, kMaxCellTextLength);
      superscripts = nullptr;
      longTexts_.Add(cell, "");
    }

    std::string formula;
    if (f) formula = Formula(f, cell);
    if (!formula.empty() || !value.IsEmpty()) {
      sheet_.LoadCell(cell, std::move(value), std::move(formula));
      if (superscripts && !f)
        for (const TextRun& run : *superscripts) sheet_.SetSuperscript(cell, run.start, run.length);
    }

    std::uint32_t format = 0;
    if (pugi::xml_attribute s = c.attribute("s")) {
      auto index = Integer(s.value());
      if (index && *index > 0 && *index <= 0xFFFFFFFFll) format = static_cast<std::uint32_t>(*index);
    }
    if (format != 0 || (full_ && (rowFormatted || ColumnFormatted(cell.column))))
      styled_.push_back({cell.row, cell.column, format});
  }

  bool ColumnFormatted(int column) const { return !columnFormatted_.empty() && columnFormatted_[column]; }

  // The formula of <f> as the cell holds it ("=" first). A shared formula's text is written once,
  // in its first cell; the other cells of the group read it moved by their distance from there.
  std::string Formula(pugi::xml_node f, CellRef cell) {
    const std::string_view kind = f.attribute("t").value();
    const std::string_view text = f.child_value();
    if (kind == "dataTable") return "";
    if (kind != "shared") return text.empty() ? "" : "=" + std::string(text);
    auto index = Integer(f.attribute("si").value());
    if (!index) Defect("cell " + CellA1(cell) + " has a shared formula without a number");
    if (!text.empty()) {
      std::string formula = "=" + std::string(text);
      sharedFormulas_[*index] = {formula, cell};
      return formula;
    }
    auto master = sharedFormulas_.find(*index);
    if (master == sharedFormulas_.end())
      Defect("cell " + CellA1(cell) + " uses shared formula " + std::to_string(*index) + ", which is not defined before it");
    return OffsetReferences(master->second.formula, cell.row - master->second.at.row,
                            cell.column - master->second.at.column);
  }

  void ReadMerges(pugi::xml_node mergeCells) {
    size_t count = 0;
    for (pugi::xml_node merge : Children(mergeCells, "mergeCell")) {
      if (++count > kMaxMerges) Defect("more than " + std::to_string(kMaxMerges) + " merged areas");
      std::string_view ref = merge.attribute("ref").value();
      RangeRef range;
      switch (ParseRangeRef(ref, range)) {
        case RefCheck::Ok: sheet_.Merge(range); break;
        case RefCheck::OutOfRange: Defect("merged area " + MessageText(ref) + " is out of range");
        case RefCheck::Malformed: Defect("bad merged area \"" + MessageText(ref) + "\"");
      }
    }
  }

  // The selection of the sheet's view (its first range; the active cell is taken to be that
  // range's first cell). A selection that does not parse leaves A1 selected.
  void ReadSelection(pugi::xml_node view) {
    std::string_view sqref = Child(view, "selection").attribute("sqref").value();
    sqref = sqref.substr(0, sqref.find(' '));
    if (auto range = RangeRef::Parse(sqref)) sheet_.Select(*range);
  }

  void ReadPage(pugi::xml_node root) {
    PageSetupChange change;
    std::string_view orientation = Child(root, "pageSetup").attribute("orientation").value();
    if (orientation == "landscape") change.orientation = Orientation::Landscape;
    if (orientation == "portrait") change.orientation = Orientation::Portrait;
    pugi::xml_node margins = Child(root, "pageMargins");
    auto points = [&](const char* name, std::optional<double>& out) {
      if (auto inches = XmlNumber(margins.attribute(name)); inches && *inches >= 0 && *inches < 100) out = *inches * 72;
    };
    points("left", change.leftMargin);
    points("right", change.rightMargin);
    points("top", change.topMargin);
    points("bottom", change.bottomMargin);
    points("header", change.headerMargin);
    points("footer", change.footerMargin);
    sheet_.SetPageSetup(change);
  }

  struct SharedFormula {
    std::string formula;
    CellRef at;
  };

  ZipArchive& zip_;
  const std::string& part_;
  const std::string& name_;
  const XlsxShared& shared_;
  MemoryWorksheet& sheet_;
  const CellStyle& baseline_;
  // Cells read otherwise than the file wrote them: the first one and how many more, for one warning.
  struct Changed {
    void Add(CellRef cell, std::string_view text) {
      if (count++ == 0) {
        first = CellA1(cell);
        written = MessageText(text, 30);
      }
    }
    std::string Where() const {
      return first + (count > 1 ? " (and " + std::to_string(count - 1) + (count > 2 ? " more cells)" : " more cell)")
                                : std::string());
    }
    std::string first, written;
    long long count = 0;
  };
  void Warn(std::vector<std::string>* warnings) const {
    if (!warnings) return;
    const std::string where = zip_.Path() + ": sheet " + MessageText(name_) + ": ";
    if (longTexts_.count)
      warnings->push_back(where + "the text at " + longTexts_.Where() + " is longer than " +
                          std::to_string(kMaxCellTextLength) + " characters and was cut to that length");
    if (hugeNumbers_.count)
      warnings->push_back(where + "the number " + hugeNumbers_.written + " at " + hugeNumbers_.Where() +
                          " is beyond the range of numbers and was read as the nearest one");
  }
  Changed longTexts_, hugeNumbers_;
  std::map<long long, SharedFormula> sharedFormulas_;
  std::vector<StyledCell> styled_;
  std::vector<std::pair<int, std::uint32_t>> rowFormats_;
  std::vector<bool> columnFormatted_;  // by column number, once any column has a format of its own
  bool full_ = false;                  // rows or columns carry formats that cells must override
  double defaultHeight_ = kStandardRowHeight;
  int lastRow_ = 0;  // the number of the row read last
};

}  // namespace

double ColumnWidthFromFile(double fileWidth) {
  // The file format's conversions: the width in pixels, then characters to two decimals. Below
  // one character (12 pixels) the padding shrinks with the width.
  const double pixels = std::trunc((256 * fileWidth + std::trunc(128.0 / 7)) / 256 * 7);
  const double characters = pixels >= 12 ? (pixels - 5) / 7 : pixels / 12;
  return std::clamp(std::trunc(characters * 100 + 0.5) / 100, 0.0, 255.0);
}

void ReadWorksheet(ZipArchive& zip, const std::string& part, const std::string& sheetName, const XlsxShared& shared,
                   MemoryWorksheet& sheet, std::vector<std::string>* warnings, KeptSheet* kept) {
  SheetReader(zip, part, sheetName, shared, sheet).Read(warnings, kept);
}

void ReadWorksheetStreamed(ZipArchive& zip, const std::string& part, const std::string& sheetName,
                           const XlsxShared& shared, MemoryWorksheet& sheet, std::vector<std::string>* warnings,
                           KeptSheet* kept) {
  try {
    SheetReader(zip, part, sheetName, shared, sheet).ReadStreamed(warnings, kept);
  } catch (const PartNeedsWholeReading&) {
    throw SheetNeedsWholeReading();
  }
}

void ReadWorksheet(ZipArchive& zip, const std::string& part, std::string text, const std::string& sheetName,
                   const XlsxShared& shared, MemoryWorksheet& sheet, std::vector<std::string>* warnings,
                   KeptSheet* kept) {
  SheetReader(zip, part, sheetName, shared, sheet).Read(std::move(text), warnings, kept);
}

}  // namespace kestrel
