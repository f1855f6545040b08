// The road as the workbook holds it: the exchange content read from the survey and results
// sheets, and an imported road written out as a survey sheet, a station-coordinate sheet and a
// profile sheet.
#include "exchange/road_sheets.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sections/surveyed_section.h"

namespace kestrel {

std::vector<StationCoordinate> TableFromSheet(Worksheet& sheet) {
  const int last = LastFilledRow(sheet, 1);
  if (last == 0) return {};
  const Grid block = sheet.Values(RangeRef::Block(1, 1, last, 4));
  std::vector<std::vector<std::string>> rows(last);
  for (int r = 0; r < last; ++r)
    for (int c = 0; c < 4; ++c) rows[r].push_back(block.At(r, c).IsEmpty() ? "" : block.At(r, c).AsText());
  return TableFromRows(rows);
}

RoadExchange RoadFromSurvey(Worksheet& survey, PlanAlignment alignment, const VerticalProfile* profile,
                            const std::vector<DesignSection>& design) {
  RoadExchange road;
  road.Alignment = std::move(alignment);
  if (profile) road.DesignProfile = ProfilePointsOf(*profile);
  std::vector<SurveyedSection> sections = ReadSurveyedSections(survey);
  std::stable_sort(sections.begin(), sections.end(),
                   [](const SurveyedSection& a, const SurveyedSection& b) { return a.Station < b.Station; });
  for (SurveyedSection& s : sections) {
    if (!road.Sections.empty() && road.Sections.back().Station == s.Station) continue;  // a station once
    std::stable_sort(s.Points.begin(), s.Points.end(),
                     [](const SurveyedPoint& a, const SurveyedPoint& b) { return a.Offset < b.Offset; });
    ExchangeSection section;
    section.Station = s.Station;
    std::vector<SectionPoint> ground;
    for (const SurveyedPoint& p : s.Points) ground.push_back({p.Offset, p.Level});
    section.Ground.push_back(std::move(ground));
    for (const DesignSection& d : design) {
      if (std::abs(d.Station - s.Station) > 1e-6) continue;
      section.Design = d.Outline;
      section.HasAreas = true;
      section.AreaCut = d.Areas.Cut();
      section.AreaFill = d.Areas.Fill();
      break;
    }
    road.GroundProfile.push_back({s.Station, s.CentreLevel(), 0});
    road.Sections.push_back(std::move(section));
  }
  FillVolumes(road.Sections);
  return road;
}

int WriteSurveySheet(Worksheet& sheet, const RoadExchange& road) {
  int rows = 0;
  for (const ExchangeSection& s : road.Sections) {
    std::size_t points = 0;
    for (const auto& list : s.Ground) points += list.size();
    if (points) rows += static_cast<int>(points) + 1;
  }
  if (rows == 0) return 0;
  Grid grid(rows, 7);
  int row = 0, written = 0;
  for (const ExchangeSection& s : road.Sections) {
    std::vector<SectionPoint> ground;
    for (const auto& list : s.Ground) ground.insert(ground.end(), list.begin(), list.end());
    if (ground.empty()) continue;
    std::stable_sort(ground.begin(), ground.end(),
                     [](const SectionPoint& a, const SectionPoint& b) { return a.Offset < b.Offset; });
    const double station = DisplayedStation(road.Equations, s.Station);
    const PlanPose centre = road.Alignment.Empty() ? PlanPose{} : road.Alignment.PoseAt(s.Station);
    const double right = centre.Azimuth + std::numbers::pi / 2;
    for (std::size_t i = 0; i < ground.size(); ++i, ++row) {
      grid.At(row, 0) = "P" + std::to_string(i + 1);
      if (!road.Alignment.Empty()) {
        grid.At(row, 1) = centre.Point.Northing + ground[i].Offset * std::cos(right);
        grid.At(row, 2) = centre.Point.Easting + ground[i].Offset * std::sin(right);
      }
      grid.At(row, 3) = ground[i].Level;
      grid.At(row, 4) = station;
      grid.At(row, 5) = station;
      grid.At(row, 6) = ground[i].Offset;
    }
    ++row;  // the empty row after a section
    ++written;
  }
  sheet.SetValues({1, 1}, grid);
  return written;
}

void WriteStationSheet(Worksheet& sheet, const RoadExchange& road) {
  std::vector<double> stations;
  for (const ExchangeSection& s : road.Sections) stations.push_back(s.Station);
  if (stations.empty()) {
    for (const PlanElement& e : road.Alignment.Elements()) stations.push_back(e.StartStation);
    if (!road.Alignment.Empty()) stations.push_back(road.Alignment.EndStation());
  }
  Grid grid(static_cast<int>(stations.size()) + 1, 4);
  grid.At(0, 0) = "桩号";
  grid.At(0, 1) = "X";
  grid.At(0, 2) = "Y";
  grid.At(0, 3) = "方位角";
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const PlanPose pose = road.Alignment.PoseAt(stations[i]);
    double degrees = pose.Azimuth * 180 / std::numbers::pi;
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0) degrees += 360;
    const int r = static_cast<int>(i) + 1;
    grid.At(r, 0) = DisplayedStation(road.Equations, stations[i]);
    grid.At(r, 1) = pose.Point.Northing;
    grid.At(r, 2) = pose.Point.Easting;
    grid.At(r, 3) = degrees;
  }
  sheet.SetValues({1, 1}, grid);
}

void WriteProfileSheet(Worksheet& sheet, const VerticalProfile& profile) {
  if (profile.empty()) return;
  Grid grid(static_cast<int>(profile.size()) + 2, 3);
  grid.At(0, 0) = profile.front().StartStation;
  grid.At(0, 1) = profile.front().StartElevation;
  grid.At(0, 2) = 0;
  for (std::size_t k = 0; k < profile.size(); ++k) {
    grid.At(static_cast<int>(k) + 1, 0) = profile[k].PviStation;
    grid.At(static_cast<int>(k) + 1, 1) = profile[k].PviElevation;
    grid.At(static_cast<int>(k) + 1, 2) = profile[k].Radius;
  }
  const int last = static_cast<int>(profile.size()) + 1;
  grid.At(last, 0) = profile.back().EndStation;
  grid.At(last, 1) = profile.back().EndElevation;
  grid.At(last, 2) = 0;
  sheet.SetValues({1, 1}, grid);
}

}  // namespace kestrel
