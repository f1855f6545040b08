// The hidden state sheet: the section list of the last draw-data run.
#include "workbook_state.h"

#include <cmath>
#include <optional>
#include <string>

namespace kestrel {

namespace {

// A whole number from 1 to `last`, as a row number must be.
bool IsRowNumber(const CellValue& value, double last) {
  return value.IsNumber() && value.Number() >= 1 && value.Number() <= last &&
         value.Number() == std::floor(value.Number());
}

}  // namespace

std::string RestoreSessionState(MemoryWorkbook& book, Session& session) {
  MemoryWorksheet* state = book.FindSheet(kStateSheet);
  if (state == nullptr) return "";
  auto ignored = [](const std::string& why) { return std::string("the ") + kStateSheet + " sheet " + why + "; ignored"; };
  if (state->Value({1, 1}) != CellValue("SectionList")) return ignored("does not begin with SectionList");
  const CellValue count = state->Value({1, 2});
  // One row for the count and one for each section, within the sheet's rows.
  if (!(count.IsNumber() && count.Number() == 0) && !IsRowNumber(count, kMaxRows - 1))
    return ignored("gives " + count.AsText() + " sections, which it cannot hold");
  const int n = static_cast<int>(count.Number());
  if (const std::optional<RangeRef> used = state->UsedRange(); n > 0 && (!used || used->last.row < n + 1))
    return ignored("gives " + count.AsText() + " sections but has fewer rows");
  std::vector<SectionRecord> sections;
  if (n > 0) {
    const Grid rows = state->Values(RangeRef::Block(2, 1, n + 1, 8));
    for (int i = 0; i < n; ++i) {
      auto number = [&](int c) { return rows.At(i, c).IsNumber() ? rows.At(i, c).Number() : 0.0; };
      if (!IsRowNumber(rows.At(i, 0), kMaxRows) || !IsRowNumber(rows.At(i, 1), kMaxRows) ||
          number(0) > number(1))
        return ignored("gives section " + std::to_string(i + 1) + " rows that are not on a sheet");
      SectionRecord s;
      s.StartRow = static_cast<int>(number(0));
      s.EndRow = static_cast<int>(number(1));
      s.Station = number(2);
      s.StationText = rows.At(i, 3).AsText();
      s.CentreLevel = number(4);
      s.BaseX = number(5);
      s.BaseY = number(6);
      s.Matched = rows.At(i, 7).IsBoolean() && rows.At(i, 7).Bool();
      sections.push_back(s);
    }
  }
  session.Sections.SectionList = std::move(sections);
  session.Sections.SectionCount = n;
  return "";
}

void StoreSessionState(MemoryWorkbook& book, const Session& session) {
  MemoryWorksheet* state = book.FindSheet(kStateSheet);
  if (state == nullptr) {
    if (session.Sections.SectionCount == 0) return;
    state = &book.AppendSheet(kStateSheet);
    state->SetHidden(true);
  }
  state->DeleteRows(1, kMaxRows);
  const int n = static_cast<int>(session.Sections.SectionList.size());
  Grid rows(n + 1, 8);
  rows.At(0, 0) = "SectionList";
  rows.At(0, 1) = static_cast<double>(session.Sections.SectionCount);
  for (int i = 0; i < n; ++i) {
    const SectionRecord& s = session.Sections.SectionList[i];
    rows.At(i + 1, 0) = static_cast<double>(s.StartRow);
    rows.At(i + 1, 1) = static_cast<double>(s.EndRow);
    rows.At(i + 1, 2) = s.Station;
    rows.At(i + 1, 3) = s.StationText;
    rows.At(i + 1, 4) = s.CentreLevel;
    rows.At(i + 1, 5) = s.BaseX;
    rows.At(i + 1, 6) = s.BaseY;
    rows.At(i + 1, 7) = CellValue::Boolean(s.Matched);
  }
  // Station texts are written as texts even when they read as numbers.
  for (int i = 0; i <= n; ++i)
    for (int c = 0; c < 8; ++c) state->LoadCell({i + 1, c + 1}, rows.At(i, c));
}

}  // namespace kestrel
