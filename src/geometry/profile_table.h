// The vertical-alignment table of a worksheet: station, elevation and radius per grade-change point.
#pragma once

#include <vector>

#include "host/range_arg.h"
#include "geometry/vertical_curve.h"

namespace kestrel {

struct ProfilePoint {
  double Station = 0;
  double Elevation = 0;
  double Radius = 0;  // not used for the first and last points
};

// The points of a table: the rows from its first while the first column is filled (a cell
// whose value reads as "" ends it), within the range. Cells are read as the leading number of
// their value's text, so "12+300" reads 12 and a text without a number 0. Reads in blocks: a
// long table or a whole-column range costs a few host calls.
std::vector<ProfilePoint> ReadProfilePoints(const RangeArg& table);

// One record per interior point (none for fewer than three points), the computed elements
// left at zero.
VerticalProfile ProfileRecords(const std::vector<ProfilePoint>& points);

// Replaces the profile by the table's records with their elements computed: 1; -1 when the
// range does not have exactly three columns and -2 when it holds fewer than three points (the
// profile is then left as it was).
int LoadProfileFromRange(const RangeArg& table, VerticalProfile& profile);

}  // namespace kestrel
