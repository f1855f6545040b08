// The stations a distribution starts from: read from a design results sheet or a volume sheet.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/worksheet.h"
#include "earthworks/design_section.h"

namespace kestrel {

// Input that cannot make a distribution: one line that says why.
class HaulError : public std::runtime_error {
 public:
  explicit HaulError(const std::string& what) : std::runtime_error(what) {}
};

// One cross-section: station (metres), cut and fill areas (m²) and, from a design run, the
// centre height (fill +, cut −, metres) and the width between the daylight points (metres).
struct HaulStation {
  double Station = 0;
  double Cut = 0;
  double Fill = 0;
  std::optional<double> Height;
  std::optional<double> Width;
};

// The stations of a design run: areas, centre heights and the widths between daylight points.
std::vector<HaulStation> HaulStationsOf(const std::vector<DesignSection>& sections);

// The stations of a design results sheet (areas, heights and widths), or of a volume sheet
// (column A stations, B cut and C fill from row 4, the design areas; no heights). Stations
// must increase down the sheet; at least two. HaulError otherwise.
std::vector<HaulStation> ReadHaulStations(Worksheet& sheet);

}  // namespace kestrel
