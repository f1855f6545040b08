// The sections of a survey as the cross-section sheets draw them.
#include "sections/section_sheets.h"

#include <algorithm>

namespace kestrel {

std::vector<SheetSection> SheetSectionsOf(std::vector<SurveyedSection> surveyed, const DesignResults& design,
                                          std::optional<double> from, std::optional<double> to) {
  std::vector<SheetSection> sections;
  for (SurveyedSection& read : surveyed) {
    if ((from && read.Station < *from) || (to && read.Station > *to)) continue;
    std::stable_sort(read.Points.begin(), read.Points.end(),
                     [](const SurveyedPoint& a, const SurveyedPoint& b) { return a.Offset < b.Offset; });
    SheetSection s;
    s.station = read.Station;
    s.stationText = std::move(read.StationText);
    s.centreLevel = read.CentreLevel();
    s.ground.reserve(read.Points.size());
    for (const SurveyedPoint& p : read.Points) s.ground.push_back({p.Offset, p.Level});
    s.design = design.OutlineAt(s.station);
    sections.push_back(std::move(s));
  }
  std::stable_sort(sections.begin(), sections.end(),
                   [](const SheetSection& a, const SheetSection& b) { return a.station < b.station; });
  return sections;
}

}  // namespace kestrel
