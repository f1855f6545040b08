// The sections of a survey as the cross-section sheets draw them.
#include "sections/section_sheets.h"

#include <algorithm>

namespace kestrel {

std::vector<SheetSection> SheetSectionsOf(std::vector<SurveyedSection> surveyed, const DesignResults& design,
                                          std::optional<double> from, std::optional<double> to) {
  std::vector<SheetSection> sections;
  for (SurveyedSection& read : surveyed) {
    if ((from && read.Station < *from) || (to && read.Station > *to)) continue;
    const double station = read.Station;
    sections.push_back(SheetSectionOf(std::move(read), design.OutlineAt(station)));
  }
  SortByStation(sections);
  return sections;
}

SheetSection SheetSectionOf(SurveyedSection surveyed, std::optional<DesignOutline> design) {
  std::stable_sort(surveyed.Points.begin(), surveyed.Points.end(),
                   [](const SurveyedPoint& a, const SurveyedPoint& b) { return a.Offset < b.Offset; });
  SheetSection s;
  s.station = surveyed.Station;
  s.stationText = std::move(surveyed.StationText);
  s.centreLevel = surveyed.CentreLevel();
  s.ground.reserve(surveyed.Points.size());
  for (const SurveyedPoint& p : surveyed.Points) s.ground.push_back({p.Offset, p.Level});
  s.design = std::move(design);
  return s;
}

void SortByStation(std::vector<SheetSection>& sections) {
  std::stable_sort(sections.begin(), sections.end(),
                   [](const SheetSection& a, const SheetSection& b) { return a.station < b.station; });
}

}  // namespace kestrel
