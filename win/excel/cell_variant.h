// Cell values and blocks as the host's VARIANTs: numbers, texts, Booleans, error values, 2-D arrays.
#pragma once

#include <oaidl.h>

#include <string_view>

#include "host/cell_value.h"

namespace kestrel {

// The host's error values travel as VT_ERROR with their code (2000 #NULL! ... 2051 #BUSY!) in the
// low word (#N/A is 0x800A07FA); CellError numbers them the same way.
int HostErrorCode(CellError error);

// One cell's value: VT_EMPTY is empty, numbers of any numeric type are numbers, VT_BSTR texts,
// VT_BOOL Booleans, VT_ERROR error values (a code without a name too). Anything else (an object)
// throws HostError naming `what`.
CellValue CellFromVariant(const VARIANT& value, std::string_view what);
// A new VARIANT the caller owns.
VARIANT VariantFromCell(const CellValue& value);

// A block read from the host: a 2-D array with any lower bounds, or a single value for a block of
// one cell. HostError when its shape is not rows x columns.
Grid GridFromVariant(const VARIANT& value, int rows, int columns, std::string_view what);
// A 2-D array of VARIANTs indexed from 1, as the host hands blocks out; the caller owns it.
VARIANT VariantFromGrid(const Grid& grid);

}  // namespace kestrel
