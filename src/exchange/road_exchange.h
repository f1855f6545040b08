// What Kestrel exchanges with other road design software: the centre line, the profiles and the
// cross sections of one road, independent of any file format.
#pragma once

#include <string>
#include <vector>

#include "earthworks/design_section.h"
#include "exchange/plan_alignment.h"
#include "geometry/profile_table.h"
#include "geometry/vertical_curve.h"

namespace kestrel {

// A station equation: from the internal station (distance along the centre line from its
// start station) on, stations are counted from Ahead; Back is the station it replaces.
struct StationEquation {
  double Internal = 0;
  double Ahead = 0;
  double Back = 0;
};

// One cross section: the measured ground (one list per stretch without a gap, offsets increasing,
// left negative), the design outline, and the design's areas and the volumes since the previous
// section (average end areas) where a design exists.
struct ExchangeSection {
  double Station = 0;
  std::vector<std::vector<SectionPoint>> Ground;
  std::vector<SectionPoint> Design;
  bool HasAreas = false;
  double AreaCut = 0, AreaFill = 0, VolumeCut = 0, VolumeFill = 0;
};

struct RoadExchange {
  std::string Name = "Kestrel";
  PlanAlignment Alignment;  // may be empty (nothing in plan)
  std::vector<StationEquation> Equations;
  std::vector<ProfilePoint> DesignProfile;  // the PVIs in station order, ends included, with radii
  std::vector<ProfilePoint> GroundProfile;  // the centre line's ground (radius 0)
  std::vector<ExchangeSection> Sections;    // in station order
};

// The PVIs of a .ZM profile: the first record's start, every record's PVI with its radius, the
// last record's end (ProfileRecords read backwards).
std::vector<ProfilePoint> ProfilePointsOf(const VerticalProfile& profile);
// The .ZM records of PVIs (at least two; two give one record without a curve at their middle),
// the elements computed. Throws ExchangeError for stations that do not increase.
VerticalProfile ProfileOf(const std::vector<ProfilePoint>& points);
// The length of the vertical curve at PVI k (radius times the change of grade; 0 at the ends),
// and the radius that gives a curve of that length there (rounded to the micrometre).
//   (0,100) (300,103) R 6000 (700,99): CurveLength at 1 -> 120
double CurveLength(const std::vector<ProfilePoint>& points, std::size_t k);
double RadiusForLength(const std::vector<ProfilePoint>& points, std::size_t k, double length);

// Average end areas: each section's volumes from the previous section's areas (0 for the first).
void FillVolumes(std::vector<ExchangeSection>& sections);

// The displayed station of an internal station, and back, under the equations.
double DisplayedStation(const std::vector<StationEquation>& equations, double internal);

}  // namespace kestrel
