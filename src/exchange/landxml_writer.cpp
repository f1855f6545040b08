// LandXML 1.2 out: the road's alignment, profiles and cross sections as one LandXML document.
#include "exchange/landxml_writer.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <numbers>

#include "util/xml_writer.h"
#include "util/number_text.h"

#ifndef KESTREL_VERSION
#define KESTREL_VERSION "0"
#endif

namespace kestrel {

ExchangeStamp CurrentStamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char date[16], time[16];
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  std::strftime(time, sizeof time, "%H:%M:%S", &local);
  return {date, time};
}

namespace {

std::string Numbers(std::initializer_list<double> values) {
  std::string text;
  for (double v : values) {
    if (!text.empty()) text += ' ';
    text += GeneralText(v);
  }
  return text;
}

void PointElement(XmlWriter& xml, const char* name, const PlanPoint& p) {
  xml.Open(name);
  xml.Content(Numbers({p.Northing, p.Easting}));
  xml.Close();
}

PlanPoint Offset(const PlanPoint& p, double azimuth, double distance) {
  return {p.Northing + distance * std::cos(azimuth), p.Easting + distance * std::sin(azimuth)};
}

// Where the tangents at both ends of an element meet (the middle of the chord when parallel).
PlanPoint TangentsMeet(const PlanPose& a, const PlanPose& b) {
  const double an = std::cos(a.Azimuth), ae = std::sin(a.Azimuth);
  const double bn = std::cos(b.Azimuth), be = std::sin(b.Azimuth);
  const double cross = an * be - ae * bn;
  const double dn = b.Point.Northing - a.Point.Northing, de = b.Point.Easting - a.Point.Easting;
  if (std::abs(cross) < 1e-12) return {a.Point.Northing + dn / 2, a.Point.Easting + de / 2};
  const double t = (dn * be - de * bn) / cross;
  return Offset(a.Point, a.Azimuth, t);
}

std::string Radius(double curvature) { return curvature == 0 ? "INF" : GeneralText(1 / std::abs(curvature)); }

void CoordGeom(XmlWriter& xml, const PlanAlignment& alignment) {
  xml.Open("CoordGeom");
  for (const PlanElement& e : alignment.Elements()) {
    const PlanPose end = alignment.EndOf(e);
    switch (e.Kind) {
      case PlanElementKind::Line:
        xml.Open("Line");
        xml.Attribute("staStart", e.StartStation);
        xml.Attribute("length", e.Length);
        PointElement(xml, "Start", e.Start.Point);
        PointElement(xml, "End", end.Point);
        xml.Close();
        break;
      case PlanElementKind::Arc: {
        const double radius = 1 / e.StartCurvature;  // signed: positive to the right
        xml.Open("Curve");
        xml.Attribute("rot", e.StartCurvature > 0 ? "cw" : "ccw");
        xml.Attribute("staStart", e.StartStation);
        xml.Attribute("length", e.Length);
        xml.Attribute("radius", std::abs(radius));
        PointElement(xml, "Start", e.Start.Point);
        PointElement(xml, "Center", Offset(e.Start.Point, e.Start.Azimuth + std::numbers::pi / 2, radius));
        PointElement(xml, "End", end.Point);
        xml.Close();
        break;
      }
      case PlanElementKind::Clothoid: {
        const double turn = e.StartCurvature + e.EndCurvature;
        xml.Open("Spiral");
        xml.Attribute("length", e.Length);
        xml.Attribute("radiusEnd", Radius(e.EndCurvature));
        xml.Attribute("radiusStart", Radius(e.StartCurvature));
        xml.Attribute("rot", turn > 0 ? "cw" : "ccw");
        xml.Attribute("spiType", "clothoid");
        xml.Attribute("staStart", e.StartStation);
        PointElement(xml, "Start", e.Start.Point);
        PointElement(xml, "PI", TangentsMeet(e.Start, end));
        PointElement(xml, "End", end.Point);
        xml.Close();
        break;
      }
    }
  }
  xml.Close();
}

void PointList(XmlWriter& xml, const std::vector<SectionPoint>& points) {
  std::string text;
  for (const SectionPoint& p : points) {
    if (!text.empty()) text += ' ';
    text += GeneralText(p.Offset) + ' ' + GeneralText(p.Level);
  }
  xml.Open("PntList2D");
  xml.Content(text);
  xml.Close();
}

void Profile(XmlWriter& xml, const RoadExchange& road) {
  if (road.DesignProfile.size() < 2 && road.GroundProfile.size() < 2) return;
  xml.Open("Profile");
  xml.Attribute("name", road.Name);
  if (road.GroundProfile.size() >= 2) {
    xml.Open("ProfSurf");
    xml.Attribute("name", "地面线");
    std::vector<SectionPoint> points;
    for (const ProfilePoint& p : road.GroundProfile) points.push_back({p.Station, p.Elevation});
    PointList(xml, points);
    xml.Close();
  }
  if (road.DesignProfile.size() >= 2) {
    xml.Open("ProfAlign");
    xml.Attribute("name", "设计线");
    for (std::size_t k = 0; k < road.DesignProfile.size(); ++k) {
      const ProfilePoint& p = road.DesignProfile[k];
      const double length = CurveLength(road.DesignProfile, k);
      xml.Open(length > 0 ? "ParaCurve" : "PVI");
      if (length > 0) xml.Attribute("length", length);
      xml.Content(Numbers({p.Station, p.Elevation}));
      xml.Close();
    }
    xml.Close();
  }
  xml.Close();
}

void CrossSects(XmlWriter& xml, const RoadExchange& road) {
  if (road.Sections.empty()) return;
  xml.Open("CrossSects");
  xml.Attribute("calcMethod", "AverageEndArea");
  for (const ExchangeSection& s : road.Sections) {
    xml.Open("CrossSect");
    xml.Attribute("sta", s.Station);
    xml.Attribute("name", StationText(s.Station));
    if (s.HasAreas) {
      xml.Attribute("areaCut", s.AreaCut);
      xml.Attribute("areaFill", s.AreaFill);
      xml.Attribute("volumeCut", s.VolumeCut);
      xml.Attribute("volumeFill", s.VolumeFill);
    }
    std::vector<std::vector<SectionPoint>> lists;
    for (const std::vector<SectionPoint>& list : s.Ground)
      if (!list.empty()) lists.push_back(list);
    if (!lists.empty()) {
      xml.Open("CrossSectSurf");
      xml.Attribute("name", "地面线");
      for (const std::vector<SectionPoint>& list : lists) PointList(xml, list);
      xml.Close();
    }
    if (!s.Design.empty()) {
      xml.Open("DesignCrossSectSurf");
      xml.Attribute("name", "设计线");
      for (const SectionPoint& p : s.Design) {
        xml.Open("CrossSectPnt");
        xml.Content(Numbers({p.Offset, p.Level}));
        xml.Close();
      }
      xml.Close();
    }
    xml.Close();
  }
  xml.Close();
}

}  // namespace

std::string LandXmlText(const RoadExchange& road, const ExchangeStamp& stamp) {
  const PlanAlignment& alignment = road.Alignment;
  XmlWriter xml;
  xml.Open("LandXML");
  xml.Attribute("xmlns", "http://www.landxml.org/schema/LandXML-1.2");
  xml.Attribute("date", stamp.Date);
  xml.Attribute("time", stamp.Time);
  xml.Attribute("version", "1.2");
  xml.Attribute("language", "Chinese");
  xml.Open("Units");
  xml.Open("Metric");
  xml.Attribute("areaUnit", "squareMeter");
  xml.Attribute("linearUnit", "meter");
  xml.Attribute("volumeUnit", "cubicMeter");
  xml.Attribute("temperatureUnit", "celsius");
  xml.Attribute("pressureUnit", "milliBars");
  xml.Attribute("angularUnit", "radians");
  xml.Attribute("directionUnit", "radians");
  xml.Close();
  xml.Close();
  xml.Open("Application");
  xml.Attribute("name", "Kestrel");
  xml.Attribute("desc", "road cross sections");
  xml.Attribute("manufacturer", "Corvane");
  xml.Attribute("version", KESTREL_VERSION);
  xml.Attribute("timeStamp", stamp.Date + "T" + stamp.Time);
  xml.Close();
  xml.Open("Alignments");
  xml.Open("Alignment");
  xml.Attribute("name", road.Name);
  double length = 0;
  for (const PlanElement& e : alignment.Elements()) length += e.Length;
  xml.Attribute("length", length);
  xml.Attribute("staStart", alignment.StartStation());
  CoordGeom(xml, alignment);
  Profile(xml, road);
  CrossSects(xml, road);
  xml.Close();
  xml.Close();
  xml.Close();
  return xml.Text();
}

}  // namespace kestrel
