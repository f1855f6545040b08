// DrawVolumeSheet: the cut-and-fill volume table on a new worksheet, by the average end area method.
#pragma once

#include "host/command_context.h"
#include "host/worksheet.h"
#include "sections/drawn_sections.h"

namespace kestrel {

// What a volume sheet is asked for: the volume sheet dialog's entries (VolumeSheetRequestFrom).
struct VolumeSheetRequest {
  int Variant = 4;            // 2, 4 or 6
  int LastRow = 20;           // the totals row: number of sections + 4, at least 6
  bool FillStations = false;  // write the recorded sections' stations into column A
};

// Builds the whole table on a new sheet of the host's workbook: page setup, fonts, the title
// "土石挖填方量计算表", heights and widths, merged headers with superscript digits, the totals
// row "合计:", the formulas, number formats and the grid. The request's last row (at least 6)
// holds the totals, so the sections take rows 4 to LastRow - 1; its variant is 2, 4 or 6. When it
// asks for stations, the recorded sections' stations go into column A from row 4, as far as the
// section rows reach (never over the totals row or below it).
//
// A host error outside the formulas and the grid ends the run with the message box
// "有错误，提示有错误！" (Stopped); what was built stays on the new sheet.
//
//   DrawVolumeSheet(context, {4, 20}, sections);   // 16 sections, design and measured, A to K
CommandOutcome DrawVolumeSheet(CommandContext& context, const VolumeSheetRequest& request,
                               const DrawnSections& sections);

// Whether the sheet is a volume sheet: its title in A1.
bool IsVolumeSheet(Worksheet& sheet);

// A thin continuous line around and inside A2:(last column)(lastRow): left, top, bottom, right,
// inside vertical, inside horizontal, in that order; an edge the host refuses is skipped.
void DrawVolumeBorders(Worksheet& sheet, int lastRow, int variant);

// The local form of the area and volume format (three decimals, negatives red with a minus).
inline constexpr const char* kVolumeNumberFormat = "0.000_ ;[Red]-0.000 ";
inline constexpr const char* kStationNumberFormat = "\"K\"0+000.000";

}  // namespace kestrel
