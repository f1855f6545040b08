// SurveyedSection: sections, stations and points of the measured-section sheet, read in blocks.
#include "sections/surveyed_section.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "host/host_error.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

using C = SurveyColumns;

// The host's order of sort keys: numbers ascending, then texts, then everything else; empty last.
int KeyRank(const CellValue& v) { return v.IsNumber() ? 0 : v.IsText() ? 1 : v.IsEmpty() ? 3 : 2; }

// `offsets`: column G of rows 1..last.
bool InOffsetOrder(const Grid& offsets, SectionRows rows) {
  for (int r = rows.Start + 1; r <= rows.End; ++r) {
    const CellValue& a = offsets.At(r - 2, 0);
    const CellValue& b = offsets.At(r - 1, 0);
    if (KeyRank(a) != KeyRank(b)) {
      if (KeyRank(a) > KeyRank(b)) return false;
      continue;
    }
    if (a.IsNumber() && a.Number() > b.Number()) return false;
    if (a.IsText() && a.Text() != b.Text()) return false;  // the host's text order: let it sort
  }
  return true;
}

// One column of rows 1..last.
Grid ReadSurveyColumn(Worksheet& sheet, int column, int last) {
  return sheet.Values(RangeRef::Block(1, column, last, column));
}

// A survey's sections are read a run of whole sections of about this many rows at a time, so
// that a survey of millions of points is never held whole as values.
constexpr int kRunRows = 1 << 16;

}  // namespace

double SurveyedSection::CentreLevel() const {
  const SurveyedPoint* left = nullptr;
  for (const SurveyedPoint& p : Points) {
    if (p.Offset == 0) return p.Level;
    if (p.Offset < 0) {
      left = &p;
    } else {
      if (left == nullptr) return 0;
      return left->Level + (p.Level - left->Level) / (p.Offset - left->Offset) * (0 - left->Offset);
    }
  }
  return 0;
}

int LastFilledRow(Worksheet& sheet, int column) {
  const int row = sheet.EndUp({sheet.RowCount(), column});
  return (row == 1 && sheet.Value({1, column}).IsEmpty()) ? 0 : row;
}

int LastSurveyRow(Worksheet& sheet) { return LastFilledRow(sheet, C::MeasuredStation); }

std::vector<SectionRows> SplitSectionRows(const Grid& blockFromA, int last) {
  std::vector<SectionRows> spans;
  int start = 1;
  for (int r = 1; r <= last; ++r) {
    if (blockFromA.At(r - 1, C::PointName - 1).IsEmpty()) {
      if (r - 1 >= start) spans.push_back({start, r - 1});
      start = r + 1;
    }
  }
  if (last >= start) spans.push_back({start, last});
  return spans;
}

double SheetNumber(const CellValue& value) {
  if (value.IsNumber()) return value.Number();
  if (value.IsText()) return StrictNumber(value.Text()).value_or(0.0);
  return 0.0;
}

std::optional<double> FiniteNumber(const CellValue& value) {
  std::optional<double> number;
  if (value.IsNumber()) number = value.Number();
  if (value.IsText()) number = StrictNumber(value.Text());
  if (number && !std::isfinite(*number)) number.reset();
  return number;
}

namespace {

// The rows of a section whose offsets are numbers or empty, in the host's sort order: numbers
// ascending, empty offsets last, each kind in sheet order.
std::vector<int> NumberOrder(const Grid& offsets, SectionRows rows) {
  std::vector<int> order;
  for (int r = rows.Start; r <= rows.End; ++r) order.push_back(r);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const CellValue& x = offsets.At(a - 1, 0);
    const CellValue& y = offsets.At(b - 1, 0);
    if (x.IsEmpty() || y.IsEmpty()) return !x.IsEmpty() && y.IsEmpty();
    return x.Number() < y.Number();
  });
  return order;
}

bool NumbersOrEmpty(const Grid& offsets, SectionRows rows) {
  for (int r = rows.Start; r <= rows.End; ++r) {
    const CellValue& v = offsets.At(r - 1, 0);
    if (!v.IsNumber() && !v.IsEmpty()) return false;
  }
  return true;
}

}  // namespace

void SortSectionsByOffset(Worksheet& sheet, int scratchColumn) {
  const int last = LastSurveyRow(sheet);
  if (last == 0) return;
  // Each row's place once sorted; sections the order can be worked out for here are sorted
  // together by one host sort on those places, the others one by one by the host.
  Grid places(last, 1);
  for (int r = 1; r <= last; ++r) places.At(r - 1, 0) = r;
  std::vector<SectionRows> together, byHost;
  {
    // The columns' room goes back before the host sorts.
    const Grid offsets = ReadSurveyColumn(sheet, C::Offset, last);
    for (SectionRows rows : SplitSectionRows(ReadSurveyColumn(sheet, C::PointName, last), last)) {
      if (rows.Start == rows.End || InOffsetOrder(offsets, rows)) continue;
      if (!NumbersOrEmpty(offsets, rows)) {
        byHost.push_back(rows);
        continue;
      }
      const std::vector<int> order = NumberOrder(offsets, rows);
      for (size_t k = 0; k < order.size(); ++k) places.At(order[k] - 1, 0) = rows.Start + static_cast<int>(k);
      together.push_back(rows);
    }
  }
  auto sortOne = [&](SectionRows rows) {
    try {
      sheet.Sort(RangeRef::Block(rows.Start, C::PointName, rows.End, C::Offset), C::Offset, SortHeader::No);
    } catch (const HostError&) {
    }
  };
  if (!together.empty()) {
    try {
      const Grid kept = sheet.Values(RangeRef::Block(1, scratchColumn, last, scratchColumn));
      sheet.SetValues({1, scratchColumn}, places);
      places = Grid();
      bool sorted = true;
      try {
        sheet.Sort(RangeRef::Block(1, C::PointName, last, scratchColumn), scratchColumn, SortHeader::No);
      } catch (const HostError&) {
        sorted = false;
      }
      sheet.SetValues({1, scratchColumn}, kept);
      if (!sorted) throw HostError("the sections were not sorted together");
    } catch (const HostError&) {
      // The host refuses the whole block (a merged area in one section, say): section by section,
      // each refusal skipping only its own section.
      for (SectionRows rows : together) sortOne(rows);
    }
  }
  for (SectionRows rows : byHost) sortOne(rows);
}

std::vector<SurveyedSection> ReadSurveyedSections(Worksheet& sheet) {
  std::vector<SurveyedSection> sections;
  const int last = LastSurveyRow(sheet);
  if (last == 0) return sections;
  const std::vector<SectionRows> spans = SplitSectionRows(ReadSurveyColumn(sheet, C::PointName, last), last);
  const std::vector<FormatRun> formats = sheet.NumberFormats(C::Station, 1, last);
  size_t run = 0;
  int runEnd = 0;  // the last row of formats[run - 1]
  sections.reserve(spans.size());
  // Columns D to G of a run of whole sections.
  Grid block;
  int blockFirst = 0, blockLast = 0;
  auto at = [&](int row, int column) -> const CellValue& { return block.At(row - blockFirst, column - C::Level); };
  for (size_t k = 0; k < spans.size(); ++k) {
    const SectionRows rows = spans[k];
    if (rows.End > blockLast) {
      blockFirst = rows.Start;
      size_t end = k + 1;
      while (end < spans.size() && spans[end].End - blockFirst < kRunRows) ++end;
      blockLast = spans[end - 1].End;
      block = Grid();
      block = sheet.Values(RangeRef::Block(blockFirst, C::Level, blockLast, C::Offset));
    }
    SurveyedSection s;
    s.StartRow = rows.Start;
    s.EndRow = rows.End;
    const CellValue& stationCell = at(rows.Start, C::Station);
    // An empty station cell counts as 0, as the sheet's arithmetic reads it; a text that is no
    // number keeps the text the cell shows, so that the user sees it in the drawing.
    s.StationIsNumber = !stationCell.IsText() || StrictNumber(stationCell.Text()).has_value();
    s.Station = SheetNumber(stationCell);
    while (runEnd < rows.Start && run < formats.size()) runEnd += formats[run++].rows;
    if (runEnd < rows.Start) throw HostError("no number format for row " + std::to_string(rows.Start));
    s.StationFormat = formats[run - 1].format;
    s.StationText = s.StationIsNumber && s.StationFormat == "General" ? StationText(s.Station)
                                                                       : sheet.Text({rows.Start, C::Station});
    s.Points.reserve(static_cast<size_t>(rows.End - rows.Start + 1));
    for (int row = rows.Start; row <= rows.End; ++row) {
      const std::optional<double> offset = FiniteNumber(at(row, C::Offset));
      const std::optional<double> level = FiniteNumber(at(row, C::Level));
      // Only a cell that is no finite number is read again, as the sheet's arithmetic reads it.
      s.Points.push_back({row, offset ? *offset : SheetNumber(at(row, C::Offset)),
                          level ? *level : SheetNumber(at(row, C::Level)), offset.has_value(),
                          level.has_value()});
    }
    sections.push_back(std::move(s));
  }
  return sections;
}

}  // namespace kestrel
