// The draw-data command done one cell at a time, as its steps read: the oracle for the block
// implementation (no dictionary; settings from the session).
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "host/worksheet.h"
#include "addin/session.h"
#include "sections/level_labels.h"
#include "util/number_text.h"

namespace kestrel {

inline void ReferenceDrawSectionData(Worksheet& sheet, const DrawRequest& set, Session& session) {
  auto num = [&](int r, int c) {
    CellValue v = sheet.Value({r, c});
    return v.IsNumber() ? v.Number() : 0.0;
  };
  int last = sheet.EndUp({kMaxRows, 5});
  struct Sec {
    int s, e;
    double station, centre, bx, by;
    std::string text;
  };
  std::vector<Sec> secs;
  int start = 1;
  for (int r = 1; r <= last + 1; ++r) {
    if (r == last + 1 || sheet.Value({r, 1}).IsEmpty()) {
      if (r - 1 >= start) secs.push_back({start, r - 1, 0, 0, 0, 0, ""});
      start = r + 1;
    }
  }
  const int d = static_cast<int>(RoundHalfEven(set.LevelDigits, 0));
  const bool off = set.LabelOffsets;
  session.Sections.LabelCommands.clear();
  int unmatched = 1;
  for (Sec& sec : secs) {
    if (sec.s != sec.e) sheet.Sort(RangeRef::Block(sec.s, 1, sec.e, 7), 7, SortHeader::No);
    sec.station = num(sec.s, 6);
    sec.text = StationText(sec.station);
    sec.centre = 0;
    bool haveLeft = false;
    double gl = 0, zl = 0;
    for (int r = sec.s; r <= sec.e; ++r) {
      double g = num(r, 7), z = num(r, 4);
      if (g == 0) {
        sec.centre = z;
        break;
      }
      if (g < 0) {
        haveLeft = true, gl = g, zl = z;
      } else {
        if (haveLeft) sec.centre = zl + (z - zl) / (g - gl) * (0 - gl);
        break;
      }
    }
    sec.bx = unmatched * set.ColumnSpacing;
    sec.by = unmatched * set.RowSpacing;
    ++unmatched;
    if (set.LabelMode <= 1) {
      if (sec.centre != 0) {
        session.Sections.LabelCommands.push_back(LevelLabelCommand(
            {sec.bx, sec.by + sec.centre, FormatDecimal(sec.centre, d), off ? "0" : "NoD", set.LevelTextHeight}, off));
      }
      if (set.LabelMode == 1) {
        for (int r : {sec.s, sec.e}) {
          double g = num(r, 7), z = num(r, 4);
          session.Sections.LabelCommands.push_back(LevelLabelCommand(
              {sec.bx + g, sec.by + z, FormatDecimal(z, d), off ? FormatDecimal(g, d) : "NoD", set.LevelTextHeight},
              off));
        }
      }
    }
  }
  last = sheet.EndUp({kMaxRows, 5});
  sheet.DeleteColumns(8, 9);
  for (size_t i = 0; i < secs.size(); ++i) {
    const Sec& sec = secs[i];
    const int row = static_cast<int>(i) + 1;
    sheet.SetValue({row, 12}, sec.station);
    if (sec.centre != 0) sheet.SetValue({row, 14}, FormatDecimal(sec.centre, 3));
    for (int r = sec.s; r <= sec.e; ++r) {
      sheet.SetValue({r, 9}, sec.bx);
      sheet.SetValue({r, 10}, sec.by);
    }
    sheet.SetValue({row, 15}, "-text j MC " + GeneralText(set.StationLabelDX + sec.bx) + "," +
                                  GeneralText(set.StationLabelDY + sec.by) + " " + FormatDecimal(set.StationTextHeight, 3) +
                                  " 0 " + sec.text);
    sheet.SetValue({row, 16}, "=\"" + GeneralText(sec.bx) + ",\" & " + GeneralText(sec.by) + "+M" + std::to_string(row));
  }
  sheet.SetNumberFormat(RangeRef::WholeColumns(11, 11), "@");
  for (int r = 1; r <= last; ++r) {
    if (sheet.Value({r, 1}).IsEmpty()) {
      sheet.SetValue({r, 11}, "  pl");
      continue;
    }
    double x = num(r, 9) + num(r, 7), y = num(r, 10) + num(r, 4);
    sheet.SetValue({r, 11}, GeneralText(x) + "," + GeneralText(y));
    if (set.LabelMode == 2) {
      session.Sections.LabelCommands.push_back(LevelLabelCommand(
          {x, y, FormatDecimal(num(r, 4), d), off ? FormatDecimal(num(r, 7), d) : "NoD", set.LevelTextHeight}, off));
    }
  }
  sheet.SetAlignment(RangeRef::WholeColumns(17, 17), HAlign::Fill, std::nullopt);
  for (size_t k = 0; k < session.Sections.LabelCommands.size(); ++k)
    sheet.SetValue({static_cast<int>(k) + 1, 17}, session.Sections.LabelCommands[k]);
  sheet.ClearNotes(RangeRef::WholeColumns(6, 6));
  // The notes are checked on the block implementation itself.
  sheet.DeleteColumns(9, 2);
  FontChange font;
  font.size = 9;
  font.color = -10477568;
  sheet.SetFont(RangeRef::WholeColumns(9, 15), font);
  sheet.AutoFitColumns(9, 14);
  sheet.Select(RangeRef::Cell(1, 9));
}

}  // namespace kestrel
