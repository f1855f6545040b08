// Cross-section sheets of a survey: its sections, in ascending stations, with their design
// outlines, ready for the layout of drawing/sheet_layout.h.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "drawing/sheet_layout.h"
#include "sections/surveyed_section.h"

namespace kestrel {

// The design-section results kept on a workbook, by station.
class DesignResults {
 public:
  virtual ~DesignResults() = default;
  virtual std::optional<DesignOutline> OutlineAt(double station) const = 0;
};
// (earthworks/design_results.h reads them from the design-section command's results sheet.)

// One section as a sheet draws it, its points by offset, with the design outline given.
SheetSection SheetSectionOf(SurveyedSection surveyed, std::optional<DesignOutline> design);
// Puts sheet sections in ascending stations, sections of one station in the order they come.
void SortByStation(std::vector<SheetSection>& sections);

// The sheet sections of a survey, in ascending stations (sections of one station in sheet
// order), each section's points by offset; stations outside [from, to] are left out.
std::vector<SheetSection> SheetSectionsOf(std::vector<SurveyedSection> surveyed, const DesignResults& design,
                                          std::optional<double> from = std::nullopt,
                                          std::optional<double> to = std::nullopt);

}  // namespace kestrel
