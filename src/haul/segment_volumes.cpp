// Segment volumes: average end areas, the prismoidal correction, the frustum and the pyramid.
#include "haul/segment_volumes.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// One kind's volume between sections a and b; `cut` picks the areas and the sign of c.
PartVolume PartBetween(const HaulStation& a, const HaulStation& b, bool cut, double length, const VolumeRules& rules) {
  const double a1 = cut ? a.Cut : a.Fill, a2 = cut ? b.Cut : b.Fill;
  const double other1 = cut ? a.Fill : a.Cut, other2 = cut ? b.Fill : b.Cut;
  PartVolume part;
  part.Volume = (a1 + a2) / 2 * length;
  const double small = std::min(a1, a2), large = std::max(a1, a2);
  if (rules.FrustumRatio > 0 && small > 0 && large > rules.FrustumRatio * small) {
    part.Form = VolumeForm::Frustum;
    part.Volume = length / 3 * (a1 + a2 + std::sqrt(a1 * a2));
    return part;
  }
  if (rules.Pyramid && small == 0 && large > 0 && (a1 == 0 ? other1 > 0 : other2 > 0)) {
    part.Form = VolumeForm::Pyramid;
    part.Volume = large * length / 3;
    return part;
  }
  const bool whollyThisKind = a1 > 0 && a2 > 0 && other1 == 0 && other2 == 0;
  if (rules.Prismoidal && whollyThisKind && a.Height && b.Height && a.Width && b.Width) {
    part.Form = VolumeForm::Prismoidal;
    part.Correction = length / 12 * (std::abs(*a.Height) - std::abs(*b.Height)) * (*a.Width - *b.Width);
    part.Volume -= part.Correction;
  }
  return part;
}

}  // namespace

double ExcludedLength(double from, double to, const std::vector<StationRange>& ranges) {
  double excluded = 0;
  for (const StationRange& r : ranges) excluded += std::max(0.0, std::min(to, r.To) - std::max(from, r.From));
  return std::min(excluded, to - from);
}

std::vector<SegmentVolume> SegmentVolumes(const std::vector<HaulStation>& stations, const VolumeRules& rules) {
  std::vector<SegmentVolume> segments;
  for (size_t k = 1; k < stations.size(); ++k) {
    const HaulStation &a = stations[k - 1], &b = stations[k];
    SegmentVolume s;
    s.Excluded = ExcludedLength(a.Station, b.Station, rules.Excluded);
    s.Length = b.Station - a.Station - s.Excluded;
    s.Cut = PartBetween(a, b, true, s.Length, rules);
    s.Fill = PartBetween(a, b, false, s.Length, rules);
    segments.push_back(s);
  }
  return segments;
}

}  // namespace kestrel
