// Cross-slope and widening segments: the stretch between two control stations and its values.
#pragma once

#include <vector>

namespace kestrel {

// One side's value between two consecutive control stations (metres; values in the user's own
// unit). Length is ToStation - FromStation.
struct SlopeSegment {
  double FromValue = 0;
  double ToValue = 0;
  double FromStation = 0;
  double ToStation = 0;
  double Length = 0;
  friend bool operator==(const SlopeSegment&, const SlopeSegment&) = default;
};

using SlopeTable = std::vector<SlopeSegment>;

// The first segment holding the station, both ends included (at a shared control station the
// earlier one wins); -1 when none does; 0 for an empty table (which holds no segment 0: the
// caller's lookup then fails).
int FindSegmentIndex(const SlopeTable& table, double station);

// The value at a station inside the segment: model 1 linear, model 3 the cubic transition
// FromValue + (3t² - 2t³)(ToValue - FromValue), which leaves and meets the control values with
// zero slope. -1 outside the segment or for a segment of zero length; 0 for any other model;
// ArithmeticError when the value overflows.
//   segment 100..200 from 2 to 4, station 125, model 3 -> 2.3125
double SegmentValue(double station, const SlopeSegment& segment, int model);

}  // namespace kestrel
