// SurveyedSection: sections, stations and points of the measured-section sheet, read in blocks.
#include "sections/surveyed_section.h"

#include <optional>

#include "addin/host/host_error.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

using C = SurveyColumns;

// The host's order of sort keys: numbers ascending, then texts, then everything else; empty last.
int KeyRank(const CellValue& v) { return v.IsNumber() ? 0 : v.IsText() ? 1 : v.IsEmpty() ? 3 : 2; }

bool InOffsetOrder(const Grid& block, SectionRows rows) {
  for (int r = rows.Start + 1; r <= rows.End; ++r) {
    const CellValue& a = block.At(r - 2, C::Offset - 1);
    const CellValue& b = block.At(r - 1, C::Offset - 1);
    if (KeyRank(a) != KeyRank(b)) {
      if (KeyRank(a) > KeyRank(b)) return false;
      continue;
    }
    if (a.IsNumber() && a.Number() > b.Number()) return false;
    if (a.IsText() && a.Text() != b.Text()) return false;  // the host's text order: let it sort
  }
  return true;
}

// Columns A to G of rows 1..last.
Grid ReadSurveyBlock(Worksheet& sheet, int last) {
  return sheet.Values(RangeRef::Block(1, C::PointName, last, C::Offset));
}

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
  const int row = sheet.EndUp({kMaxRows, column});
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

void SortSectionsByOffset(Worksheet& sheet) {
  const int last = LastSurveyRow(sheet);
  if (last == 0) return;
  const Grid block = ReadSurveyBlock(sheet, last);
  for (SectionRows rows : SplitSectionRows(block, last)) {
    if (rows.Start == rows.End || InOffsetOrder(block, rows)) continue;
    try {
      sheet.Sort(RangeRef::Block(rows.Start, C::PointName, rows.End, C::Offset), C::Offset, SortHeader::No);
    } catch (const HostError&) {
    }
  }
}

std::vector<SurveyedSection> ReadSurveyedSections(Worksheet& sheet) {
  std::vector<SurveyedSection> sections;
  const int last = LastSurveyRow(sheet);
  if (last == 0) return sections;
  const Grid block = ReadSurveyBlock(sheet, last);
  for (SectionRows rows : SplitSectionRows(block, last)) {
    SurveyedSection s;
    s.StartRow = rows.Start;
    s.EndRow = rows.End;
    const CellValue& stationCell = block.At(rows.Start - 1, C::Station - 1);
    // An empty station cell counts as 0, as the sheet's arithmetic reads it; a text that is no
    // number keeps the text the cell shows, so that the user sees it in the drawing.
    s.StationIsNumber = !stationCell.IsText() || StrictNumber(stationCell.Text()).has_value();
    s.Station = SheetNumber(stationCell);
    s.StationFormat = sheet.NumberFormat({rows.Start, C::Station});
    s.StationText = s.StationIsNumber && s.StationFormat == "General" ? StationText(s.Station)
                                                                       : sheet.Text({rows.Start, C::Station});
    s.Points.reserve(static_cast<size_t>(rows.End - rows.Start + 1));
    for (int row = rows.Start; row <= rows.End; ++row) {
      s.Points.push_back({row, SheetNumber(block.At(row - 1, C::Offset - 1)), SheetNumber(block.At(row - 1, C::Level - 1))});
    }
    sections.push_back(std::move(s));
  }
  return sections;
}

}  // namespace kestrel
