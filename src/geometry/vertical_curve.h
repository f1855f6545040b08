// Vertical curves: the elements of one grade-change point and the design elevation from them.
#pragma once

#include <vector>

namespace kestrel {

// One interior grade-change point of a profile with its neighbours, in metres; grades are
// ratios. Record k's Pvi is record k+1's Start, record k+1's Pvi is record k's End. Fields
// CurveStartStation..CurveEndStation and GradeIn..GradeChange are computed by
// ComputeCurveElements; Radius 0 means no curve.
struct VerticalCurve {
  double StartStation = 0;
  double StartElevation = 0;
  double PviStation = 0;
  double PviElevation = 0;
  double EndStation = 0;
  double EndElevation = 0;
  double CurveStartStation = 0;
  double CurveStartElevation = 0;
  double CurveEndStation = 0;
  double Radius = 0;
  double GradeIn = 0;
  double GradeOut = 0;
  double GradeChange = 0;
  friend bool operator==(const VerticalCurve&, const VerticalCurve&) = default;
};

// The profile table: one record per interior point, in profile order.
using VerticalProfile = std::vector<VerticalCurve>;

// Fills the computed fields from the six point values and the radius, in the order grades,
// tangent length, curve start, curve end, curve start elevation. 1, or 0 when an arithmetic
// error (two points at one station, an overflow) stopped it: the fields of the later steps then
// keep what they held.
//   (0, 100), (300, 103) R 6000, (700, 99) -> grades 0.01 / -0.01, curve 240..360, start elevation 102.4
int ComputeCurveElements(VerticalCurve& record);

// The elevation at a station from one record: the incoming grade before the curve (extended
// without limit), the parabola on it (both ends included), the outgoing grade after it. 0 when
// an arithmetic error occurred.
double CurveElevation(double station, const VerticalCurve& record);

// The governing record: the first whose CurveEndStation is greater than the station, else the
// last; -1 for an empty table. With endsIncrease (CurveEndsIncrease of the table) the search is
// binary, with the same result as the scan.
int FindCurveIndex(const VerticalProfile& profile, double station, bool endsIncrease = false);

// Whether the curve ends never decrease along the table, so that FindCurveIndex may bisect.
bool CurveEndsIncrease(const VerticalProfile& profile);

// The elevation at a station from the governing record; throws FunctionError for an empty table.
double ProfileElevationAt(const VerticalProfile& profile, double station, bool endsIncrease = false);

}  // namespace kestrel
