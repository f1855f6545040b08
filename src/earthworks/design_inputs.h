// What a design run reads besides the survey: the profile, the cross-slope and widening files and
// the template, and the road's values they give at a station.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "earthworks/design_section.h"
#include "earthworks/design_template.h"
#include "geometry/geometry_state.h"
#include "geometry/vertical_curve.h"

namespace kestrel {

// A design run that cannot go on: a file that cannot be read, a station outside the cross-slope
// file. The message is one plain line that names the file or the station.
class DesignError : public std::runtime_error {
 public:
  explicit DesignError(const std::string& what) : std::runtime_error(what) {}
};

// The files, by path; slopes and widening may be "" (the template's cross slopes, no widening).
struct DesignFiles {
  std::string Profile;   // .ZM
  std::string Slopes;    // .hp: cross slopes in per cent
  std::string Widening;  // .hp: metres added to the half widths
  std::string Template;  // .tpl
};

struct DesignInputs {
  VerticalProfile Profile;
  bool EndsIncrease = true;
  std::optional<SlopeTables> Slopes;
  std::optional<SlopeTables> Widening;
  DesignTemplate Template;
};

// Loads all four; throws DesignError naming the first file that fails.
DesignInputs LoadDesignInputs(const DesignFiles& files);

// The centre level (the profile, as GetH computes it), the cross slopes (GetHP's value per side,
// else the template's) and the widenings (GetJK's value per side, else 0) at a station. Throws
// DesignError for a station outside the stations of a cross-slope or widening file.
//   RoadAt(inputs, 300) -> {CentreLevel 102.7, ...} for the profile (0,100) (300,103) R 6000 (700,99)
RoadAtStation RoadAt(const DesignInputs& inputs, double station);

}  // namespace kestrel
