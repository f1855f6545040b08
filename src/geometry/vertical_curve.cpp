// Vertical curves: curve elements, the elevation from one record, the governing record.
#include "geometry/vertical_curve.h"

#include <algorithm>
#include <cmath>

#include "geometry/function_error.h"

namespace kestrel {

int ComputeCurveElements(VerticalCurve& r) {
  try {
    r.GradeIn = Divide(r.PviElevation - r.StartElevation, r.PviStation - r.StartStation);
    r.GradeOut = Divide(r.EndElevation - r.PviElevation, r.EndStation - r.PviStation);
    r.GradeChange = Finite(r.GradeOut - r.GradeIn);
    const double tangent = Finite(std::abs(r.Radius * 0.5 * r.GradeChange));
    r.CurveStartStation = Finite(r.PviStation - tangent);
    r.CurveEndStation = Finite(r.CurveStartStation + 2 * tangent);
    r.CurveStartElevation = Finite(r.PviElevation - r.GradeIn * tangent);
    return 1;
  } catch (const ArithmeticError&) {
    return 0;
  }
}

double CurveElevation(double station, const VerticalCurve& r) {
  try {
    const double d = Finite(station - r.CurveStartStation);
    if (d < 0) return Finite(r.CurveStartElevation + r.GradeIn * d);
    if (station <= r.CurveEndStation) {
      // A curve of zero length (no radius, or no change of grade) is met only at its one
      // station, where the parabola adds nothing. The grades alone say whether the curve sags or
      // crests: a radius typed with a minus sign counts by its magnitude, as the tangent does, so
      // the parabola meets the outgoing grade line at the curve's end.
      const double sign = r.GradeChange > 0 ? 1 : r.GradeChange < 0 ? -1 : 0;
      const double parabola = (sign == 0 || d == 0) ? 0 : sign * Divide(d * d, 2 * std::abs(r.Radius));
      return Finite(r.CurveStartElevation + r.GradeIn * d + parabola);
    }
    return Finite(r.PviElevation + r.GradeOut * (station - r.PviStation));
  } catch (const ArithmeticError&) {
    return 0;
  }
}

int FindCurveIndex(const VerticalProfile& profile, double station, bool endsIncrease) {
  if (profile.empty()) return -1;
  const int last = static_cast<int>(profile.size()) - 1;
  if (endsIncrease) {
    auto above = std::upper_bound(profile.begin(), profile.end(), station,
                                  [](double x, const VerticalCurve& r) { return x < r.CurveEndStation; });
    return above == profile.end() ? last : static_cast<int>(above - profile.begin());
  }
  for (int k = 0; k <= last; ++k) {
    if (profile[k].CurveEndStation > station) return k;
  }
  return last;
}

bool CurveEndsIncrease(const VerticalProfile& profile) {
  // NaN never reaches the table (ComputeCurveElements keeps results finite), so "not sorted" is
  // the only reason to fall back to the scan.
  return std::is_sorted(profile.begin(), profile.end(), [](const VerticalCurve& a, const VerticalCurve& b) {
    return a.CurveEndStation < b.CurveEndStation;
  });
}

double ProfileElevationAt(const VerticalProfile& profile, double station, bool endsIncrease) {
  const int k = FindCurveIndex(profile, station, endsIncrease);
  if (k < 0) throw FunctionError("no vertical profile is loaded");
  return CurveElevation(station, profile[static_cast<size_t>(k)]);
}

}  // namespace kestrel
