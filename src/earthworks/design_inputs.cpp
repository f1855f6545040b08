// Loading the design files and reading the road's values at a station.
#include "earthworks/design_inputs.h"

#include <algorithm>
#include <cmath>

#include "geometry/profile_file.h"
#include "geometry/slope_file.h"
#include "geometry/slope_segment.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

// Plausible values of the road at a station: beyond them the files describe no road.
constexpr double kMostCrossSlope = 20;          // per cent, either way
constexpr double kMostWidenedHalfWidth = 100;   // metres, centre line to the carriageway's edge

SlopeTables LoadSlopes(const std::string& path, const char* what) {
  SlopeTables tables;
  if (LoadSlopeFile(path, tables) != 1 || tables.LeftSegments.empty())
    throw DesignError(std::string("cannot read the ") + what + " file " + path +
                      " (a .hp file with at least two control stations)");
  for (const SlopeSegment& s : tables.LeftSegments)
    if (!(s.ToStation > s.FromStation))
      throw DesignError(std::string("the ") + what + " file " + path + " must list its stations in increasing order (" +
                        StationText(s.FromStation) + " is followed by " + StationText(s.ToStation) + ")");
  return tables;
}

// Both sides' values at a station, as GetHP/GetJK give them.
void SidesAt(const SlopeTables& tables, double station, int model, const char* what, double& left, double& right) {
  const int k = FindSegmentIndex(tables.LeftSegments, station);
  if (k < 0)
    throw DesignError("station " + StationText(station) + " lies outside the " + what + " file's stations (" +
                      StationText(tables.LeftSegments.front().FromStation) + " to " +
                      StationText(tables.LeftSegments.back().ToStation) + ")");
  left = SegmentValue(station, tables.LeftSegments[k], model);
  right = SegmentValue(station, tables.RightSegments[k], model);
}

// A station beyond the profile would take its level from a grade extended past the design:
// refused, as a station beyond a cross-slope file is.
void CheckProfileCovers(const VerticalProfile& profile, double station) {
  const double first = std::min(profile.front().StartStation, profile.back().EndStation);
  const double last = std::max(profile.front().StartStation, profile.back().EndStation);
  if (station < first || station > last)
    throw DesignError("station " + StationText(station) + " lies outside the profile file's stations (" +
                      StationText(first) + " to " + StationText(last) + ")");
}

void CheckSide(const char* side, double station, double crossSlope, double halfWidth, double widening) {
  if (!(std::fabs(crossSlope) <= kMostCrossSlope))
    throw DesignError("station " + StationText(station) + ": a cross slope of " + GeneralText(crossSlope) +
                      " % on the " + side + " is no road (from -20 to 20 % is needed)");
  const double widened = halfWidth + widening;
  if (!(widened >= 0 && widened <= kMostWidenedHalfWidth))
    throw DesignError("station " + StationText(station) + ": the widening of " + GeneralText(widening) +
                      " m makes the " + side + " carriageway " + GeneralText(widened) +
                      " m wide (from 0 to 100 m is needed)");
}

}  // namespace

DesignInputs LoadDesignInputs(const DesignFiles& files) {
  DesignInputs inputs;
  if (LoadProfileFile(files.Profile, inputs.Profile) != 1 || inputs.Profile.empty())
    throw DesignError("cannot read the profile file " + files.Profile + " (a .ZM file with at least one curve)");
  inputs.EndsIncrease = CurveEndsIncrease(inputs.Profile);
  if (!files.Slopes.empty()) inputs.Slopes = LoadSlopes(files.Slopes, "cross-slope");
  if (!files.Widening.empty()) inputs.Widening = LoadSlopes(files.Widening, "widening");
  std::string error;
  auto tpl = LoadTemplateFile(files.Template, error);
  if (!tpl) throw DesignError(error);
  inputs.Template = *tpl;
  return inputs;
}

RoadAtStation RoadAt(const DesignInputs& inputs, double station) {
  RoadAtStation road;
  CheckProfileCovers(inputs.Profile, station);
  road.CentreLevel = ProfileElevationAt(inputs.Profile, station, inputs.EndsIncrease);
  road.LeftCrossSlope = inputs.Template.Left.CrossSlope;
  road.RightCrossSlope = inputs.Template.Right.CrossSlope;
  const int model = inputs.Template.SlopeModel;
  if (inputs.Slopes) SidesAt(*inputs.Slopes, station, model, "cross-slope", road.LeftCrossSlope, road.RightCrossSlope);
  if (inputs.Widening) SidesAt(*inputs.Widening, station, model, "widening", road.LeftWidening, road.RightWidening);
  CheckSide("left", station, road.LeftCrossSlope, inputs.Template.Left.HalfWidth, road.LeftWidening);
  CheckSide("right", station, road.RightCrossSlope, inputs.Template.Right.HalfWidth, road.RightWidening);
  return road;
}

}  // namespace kestrel
