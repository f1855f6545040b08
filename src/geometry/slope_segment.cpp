// Cross-slope and widening segments: the segment search and the two interpolation models.
#include "geometry/slope_segment.h"

#include "geometry/function_error.h"

namespace kestrel {

int FindSegmentIndex(const SlopeTable& table, double station) {
  if (table.empty()) return 0;
  for (size_t k = 0; k < table.size(); ++k) {
    if (table[k].FromStation <= station && station <= table[k].ToStation) return static_cast<int>(k);
  }
  return -1;
}

double SegmentValue(double station, const SlopeSegment& s, int model) {
  if (station < s.FromStation || station > s.ToStation) return -1;
  const double length = s.ToStation - s.FromStation;
  if (model == 1) {
    if (length == 0) return -1;
    return Finite(s.FromValue + (s.ToValue - s.FromValue) * (station - s.FromStation) / length);
  }
  if (model == 3) {
    if (length == 0) return -1;
    const double t = (station - s.FromStation) / length;
    return Finite(s.FromValue + (3 * t * t - 2 * t * t * t) * (s.ToValue - s.FromValue));
  }
  return 0;
}

}  // namespace kestrel
