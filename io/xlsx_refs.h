// A1 cell references as a .xlsx file writes them ("B12"), parsed quickly and checked against the sheet.
#pragma once

#include <string_view>

#include "host/address.h"

namespace kestrel {

enum class RefCheck { Ok, Malformed, OutOfRange };

// "B12" -> row 12, column 2. "$B$12" is accepted too (defined names use it). Columns past XFD and
// rows past 1048576 give OutOfRange, anything that is not letters then digits Malformed.
RefCheck ParseCellRef(std::string_view text, CellRef& cell);

// "A9:C9", or one cell "A9" (a range of one cell).
RefCheck ParseRangeRef(std::string_view text, RangeRef& range);

}  // namespace kestrel
