// What Kestrel exchanges with other road design software: the centre line, the profiles and the
// cross sections of one road, independent of any file format.
#include "exchange/road_exchange.h"

#include <cmath>

#include "exchange/xml_reader.h"
#include "util/number_text.h"

namespace kestrel {

std::vector<ProfilePoint> ProfilePointsOf(const VerticalProfile& profile) {
  std::vector<ProfilePoint> points;
  if (profile.empty()) return points;
  points.push_back({profile.front().StartStation, profile.front().StartElevation, 0});
  for (const VerticalCurve& record : profile) points.push_back({record.PviStation, record.PviElevation, record.Radius});
  points.push_back({profile.back().EndStation, profile.back().EndElevation, 0});
  return points;
}

namespace {

double GradeChange(const std::vector<ProfilePoint>& points, std::size_t k) {
  if (k == 0 || k + 1 >= points.size()) return 0;
  const ProfilePoint &a = points[k - 1], &b = points[k], &c = points[k + 1];
  if (b.Station == a.Station || c.Station == b.Station) return 0;
  return (c.Elevation - b.Elevation) / (c.Station - b.Station) - (b.Elevation - a.Elevation) / (b.Station - a.Station);
}

}  // namespace

double CurveLength(const std::vector<ProfilePoint>& points, std::size_t k) {
  if (k == 0 || k + 1 >= points.size() || points[k].Radius <= 0) return 0;
  return points[k].Radius * std::abs(GradeChange(points, k));
}

double RadiusForLength(const std::vector<ProfilePoint>& points, std::size_t k, double length) {
  const double change = std::abs(GradeChange(points, k));
  return length > 0 && change > 0 ? RoundHalfAway(length / change, 6) : 0;
}

VerticalProfile ProfileOf(const std::vector<ProfilePoint>& points) {
  if (points.size() < 2) throw ExchangeError("a design profile needs at least two points");
  for (std::size_t i = 1; i < points.size(); ++i)
    if (!(points[i].Station > points[i - 1].Station))
      throw ExchangeError("the design profile's stations do not increase at " + StationText(points[i].Station));
  std::vector<ProfilePoint> pvis = points;
  if (pvis.size() == 2) {
    const ProfilePoint& a = pvis[0];
    const ProfilePoint& b = pvis[1];
    pvis.insert(pvis.begin() + 1, {(a.Station + b.Station) / 2, (a.Elevation + b.Elevation) / 2, 0});
  }
  VerticalProfile profile = ProfileRecords(pvis);
  for (VerticalCurve& record : profile) ComputeCurveElements(record);
  return profile;
}

void FillVolumes(std::vector<ExchangeSection>& sections) {
  for (std::size_t i = 0; i < sections.size(); ++i) {
    ExchangeSection& s = sections[i];
    if (!s.HasAreas) continue;
    s.VolumeCut = s.VolumeFill = 0;
    if (i == 0 || !sections[i - 1].HasAreas) continue;
    const ExchangeSection& p = sections[i - 1];
    const double distance = s.Station - p.Station;
    s.VolumeCut = (p.AreaCut + s.AreaCut) / 2 * distance;
    s.VolumeFill = (p.AreaFill + s.AreaFill) / 2 * distance;
  }
}

double DisplayedStation(const std::vector<StationEquation>& equations, double internal) {
  const StationEquation* governing = nullptr;
  for (const StationEquation& e : equations)
    if (e.Internal <= internal && (!governing || e.Internal >= governing->Internal)) governing = &e;
  return governing ? governing->Ahead + (internal - governing->Internal) : internal;
}

}  // namespace kestrel
