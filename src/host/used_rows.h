// How far down a column is used, found through the host's End from the bottom of a range.
#pragma once

#include "host/worksheet.h"

namespace kestrel {

// The last row of `column` within firstRow..lastRow that holds a value or a formula; firstRow - 1
// when none does. Two or three host calls, however many rows the range spans.
//   LastFilledRow(sheet, 1, 1, kMaxRows)   // A1:A5 filled: 5
int LastFilledRow(Worksheet& sheet, int column, int firstRow, int lastRow);

}  // namespace kestrel
