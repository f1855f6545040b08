// The initial sort done one cell at a time, the way the steps read: the oracle that the block
// implementation must match cell for cell.
#pragma once

#include <cmath>
#include <optional>

#include "host/worksheet.h"
#include "addin/session.h"
#include "util/number_text.h"

namespace kestrel {

// Runs steps 3 to 13 for a sheet that passes the station check, after a Yes to the rerun
// question when G1 is filled.
inline void ReferenceInitialSort(Worksheet& sheet, const SortRequest& request, const Session& session) {
  auto isEmpty = [&](int r, int c) { return sheet.Value({r, c}).IsEmpty(); };
  int last = sheet.EndUp({kMaxRows, 5});
  if (!isEmpty(1, 7)) {
    sheet.DeleteColumns(6, 1);
    for (int r = last; r >= 1; --r)
      if (sheet.Value({r, 5}).AsText().empty()) sheet.DeleteRows(r, 1);
  }
  sheet.SetNumberFormat(RangeRef::WholeColumns(6, 6), "General");
  for (int r = 1; r <= last; ++r) sheet.SetValue({r, 6}, sheet.Value({r, 6}));
  sheet.InsertColumns(6, 1);
  sheet.SetNumberFormat(RangeRef::WholeColumns(6, 6), "General");
  for (int r = 1; r <= last; ++r) {
    CellValue e = sheet.Value({r, 5});
    if (e.AsText().empty()) continue;
    double station = e.IsNumber() ? e.Number() : *StrictNumber(e.AsText());
    std::optional<double> f;
    if (!session.Sections.DicFileName.empty() && request.UseDictionary) {
      for (const DicRecord& d : session.Sections.StationDictionary) {
        if (std::fabs(station - d.Station) < std::fabs(request.MatchTolerance)) {
          f = d.Station;
          break;
        }
      }
    }
    if (!f) f = request.Spacing * RoundHalfEven(station / request.Spacing, 0);
    sheet.SetValue({r, 6}, *f);
  }
  sheet.Sort(RangeRef::Block(1, 1, last, 8), 6, SortHeader::Guess);
  auto key = [&](int r) {
    CellValue v = sheet.Value({r, 6});
    return v.IsEmpty() ? 0.0 : v.Number();
  };
  for (int r = last; r >= 2; --r)
    if (key(r) != key(r - 1)) sheet.InsertRows(r, 1);
  int last2 = sheet.EndUp({kMaxRows, 5});
  for (int r = 3; r <= last2; ++r) {
    if (isEmpty(r, 1) && !isEmpty(r - 1, 1) && isEmpty(r - 2, 1))
      sheet.SetBorder(RangeRef::Block(r - 1, 1, r - 1, 8), BorderEdge::Bottom, LineStyle::Continuous);
  }
  Note note{"检查每个断面数据：\r\n*每个断面与断面之间的数据用空行隔开\r\n*把该列每个断面桩号改为正确桩号（使之与设计图相符）",
            false, 200, 50, 9};
  sheet.SetNote({1, 6}, note);
}

}  // namespace kestrel
