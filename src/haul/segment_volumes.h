// The cut and fill volumes between consecutive stations, by average end areas or by a form that
// accounts for the sections' shape; bridge and tunnel lengths left out.
#pragma once

#include <vector>

#include "haul/haul_stations.h"

namespace kestrel {

// A length of road without earthwork (a bridge or a tunnel), from one station to another.
struct StationRange {
  double From = 0;
  double To = 0;
};

// Which forms are allowed besides the average end areas.
struct VolumeRules {
  // The prismoidal correction Cp = L/12 · (c1 − c2)(D1 − D2) (c: centre cut or fill height, D:
  // width between the daylight points), where both sections are wholly cut or wholly fill and
  // the design gives c and D.
  bool Prismoidal = false;
  // The frustum L/3 · (A1 + A2 + √(A1·A2)) where the larger area exceeds the smaller this many
  // times; 0: never.
  double FrustumRatio = 0;
  // A pyramid A·L/3 where an area falls to zero at a change from cut to fill.
  bool Pyramid = false;
  std::vector<StationRange> Excluded;
};

enum class VolumeForm { AverageEndArea, Prismoidal, Frustum, Pyramid };

// One kind (cut or fill) between two stations.
struct PartVolume {
  VolumeForm Form = VolumeForm::AverageEndArea;
  double Volume = 0;      // m³
  double Correction = 0;  // the prismoidal correction taken off the average end areas
};

// From the previous station to this one.
struct SegmentVolume {
  double Length = 0;    // the distance less the excluded lengths
  double Excluded = 0;  // metres of bridges and tunnels within the segment
  PartVolume Cut, Fill;
};

// The segment volumes, one per station after the first.
//   stations 0 (fill 10, c 2, D 18) and 20 (fill 30, c 4, D 26), prismoidal:
//   average 400, Cp = 20/12 · (2 − 4)(18 − 26) = 26.667, fill 373.333
std::vector<SegmentVolume> SegmentVolumes(const std::vector<HaulStation>& stations, const VolumeRules& rules);

// Metres of the ranges that lie between two stations.
double ExcludedLength(double from, double to, const std::vector<StationRange>& ranges);

}  // namespace kestrel
