// VlookZhD: a row of a table found by station, and optionally offset, within tolerances.
#pragma once

#include <cstdint>

#include "geometry/function_value.h"

namespace kestrel {

// The number in column `column` of the first row of `table` whose column 1 lies within zhDig of
// the station and, when the offset is compared, whose column 2 lies within dDig of the offset.
// The offset is the leading number of d's text; it is not compared when d is empty or "no" in
// any case, or when dDig is 999999. zhDig and dDig become |rounded to 5 decimals| (the caller's
// variables receive them) once the table is read. -999999 when no row matches, when the column
// is beyond the table, or on any error (a table that is not a range, or a single cell) except
// running out of memory, which reaches the host. A tall table (a whole column) is read only
// down to the last row whose station or offset is filled.
//   VlookZhD(12240, "no", table, 3, zhDig, dDig)
double VlookZhD(double station, const FunctionValue& d, const FunctionValue& table, std::int32_t column,
                double& zhDig, double& dDig);

}  // namespace kestrel
