// The formulas of a volume sheet: distances, average-end-area volumes, remaining areas, totals.
#pragma once

#include <string>
#include <vector>

#include "host/worksheet.h"
#include "volumes/volume_layout.h"

namespace kestrel {

// The formula of one computed cell, exactly as written into it; "" for a cell the user fills in.
// Row numbers are plain decimals; a volume names the current row first, then the previous one.
//   VolumeFormulaText(VolumeLayoutOf(2), 20, {5, 4})  == "=A5-A4"          distance
//   VolumeFormulaText(VolumeLayoutOf(2), 20, {5, 5})  == "=(B5+B4)/2*D5"   volume
//   VolumeFormulaText(VolumeLayoutOf(2), 20, {20, 5}) == "=SUM(E5:E19)"    total
//   VolumeFormulaText(VolumeLayoutOf(6), 20, {4, 6})  == "=B4-D4"          remaining area
std::string VolumeFormulaText(const VolumeLayout& layout, int lastRow, CellRef cell);

// The blocks of computed cells in the order they are filled (each row by row, left to right):
// for variant 6 the remaining areas F:G from row 4, then for every variant the distance and
// volume columns from row 5 to the row above the totals, then the totals row. Rows beyond the
// host's last row are left out (no cell there can be written).
std::vector<RangeRef> VolumeFormulaBlocks(const VolumeLayout& layout, int lastRow);

// Writes every formula of the variant (2, 4 or 6) on the sheet whose totals are in lastRow
// (at least 6). Blocks of up to kFormulaBlockRows rows go in one call each, with the same result
// as writing cell after cell; a cell the host refuses is skipped and the next one written.
void FillVolumeFormulas(Worksheet& sheet, int lastRow, int variant);

// Rows per formula block: a sheet of 10,000 sections takes three calls per block of columns.
inline constexpr int kFormulaBlockRows = 4096;

}  // namespace kestrel
