// Giving loaded cells their formats in few calls: equal formats of neighbouring cells as blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "workbook/memory_worksheet.h"
#include "io/xlsx_styles.h"

namespace kestrel {

// A cell whose file format (cellXfs index) is to be applied.
struct StyledCell {
  int row;
  int column;
  std::uint32_t format;
};

// Applies `target` to the range through the port, as differences from the file's default
// format (`baseline`, which the sheet's own default stands for): a font, an alignment, a number
// format or wrapping equal to the baseline's is left alone, unless `full` is set (the range may
// show a row's or column's format that must be overridden), in which case it is set back to the
// sheet's default. Borders: every edge the target draws is set (continuous).
void ApplyFormat(Worksheet& sheet, const RangeRef& range, const CellStyle& target, const CellStyle& baseline,
                 bool full);

// Applies each cell's format. Cells with the same format in a run along a row, repeated in
// consecutive rows, form one block and take one call per property; the result is the same as
// applying every cell on its own.
void ApplyCellFormats(Worksheet& sheet, std::vector<StyledCell> cells, const XlsxStyles& styles, bool full);

}  // namespace kestrel
