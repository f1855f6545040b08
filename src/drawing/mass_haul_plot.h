// What a mass-haul diagram shows, in road stations (metres) and cubic metres: the plain picture
// the renderers draw, apart from how the distribution was found.
#pragma once

#include <string>
#include <vector>

#include "drawing/shapes.h"

namespace kestrel {

// A haul drawn as an arrow from x0 to x1 at level y, with its label ("120 m³ 200 m").
struct MassHaulArrow {
  double x0 = 0, x1 = 0, y = 0;
  std::string label;
};

struct MassHaulPlot {
  std::string title;
  std::vector<PlanePoint> curve;                 // the mass ordinate at each station
  std::vector<PlanePoint> balance;               // the balance line, station by station
  std::vector<std::vector<PlanePoint>> chords;   // free-haul chords, two points each
  std::vector<MassHaulArrow> arrows;
  std::vector<double> barriers;                  // stations no haul crosses
  std::vector<std::string> notes;                // lines under the title (prices, totals)
};

}  // namespace kestrel
