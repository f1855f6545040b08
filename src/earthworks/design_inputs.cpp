// Loading the design files and reading the road's values at a station.
#include "earthworks/design_inputs.h"

#include "geometry/profile_file.h"
#include "geometry/slope_file.h"
#include "geometry/slope_segment.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

SlopeTables LoadSlopes(const std::string& path, const char* what) {
  SlopeTables tables;
  if (LoadSlopeFile(path, tables) != 1 || tables.LeftSegments.empty())
    throw DesignError(std::string("cannot read the ") + what + " file " + path +
                      " (a .hp file with at least two control stations)");
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
  road.CentreLevel = ProfileElevationAt(inputs.Profile, station, inputs.EndsIncrease);
  road.LeftCrossSlope = inputs.Template.Left.CrossSlope;
  road.RightCrossSlope = inputs.Template.Right.CrossSlope;
  const int model = inputs.Template.SlopeModel;
  if (inputs.Slopes) SidesAt(*inputs.Slopes, station, model, "cross-slope", road.LeftCrossSlope, road.RightCrossSlope);
  if (inputs.Widening) SidesAt(*inputs.Widening, station, model, "widening", road.LeftWidening, road.RightWidening);
  return road;
}

}  // namespace kestrel
