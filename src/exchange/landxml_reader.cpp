// LandXML in: the first alignment of a LandXML document with its geometry, profiles and cross
// sections, whoever wrote it.
#include "exchange/landxml_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "util/number_text.h"

namespace kestrel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

[[noreturn]] void Refuse(const XmlElement& element, const std::string& what) {
  throw ExchangeError("LandXML <" + element.Name + ">: " + what);
}

std::optional<double> Number(const std::string& text) {
  if (text == "INF") return std::numeric_limits<double>::infinity();
  if (text == "-INF") return -std::numeric_limits<double>::infinity();
  std::optional<double> v = StrictNumber(text);
  if (v && !std::isfinite(*v)) return std::nullopt;
  return v;
}

// A required number; INF only where the schema uses it (a spiral's straight end).
double Required(const XmlElement& element, const char* name, bool infinite = false) {
  const std::string* text = element.Attribute(name);
  if (!text) Refuse(element, std::string("the attribute ") + name + " is missing");
  std::optional<double> v = Number(*text);
  if (!v || (std::isinf(*v) && !infinite)) Refuse(element, std::string(name) + "=\"" + *text + "\" is not a number");
  return *v;
}

std::optional<double> Optional(const XmlElement& element, const char* name) {
  const std::string* text = element.Attribute(name);
  if (!text) return std::nullopt;
  std::optional<double> v = Number(*text);
  if (!v || std::isinf(*v)) Refuse(element, std::string(name) + "=\"" + *text + "\" is not a number");
  return v;
}

std::string Quoted(const std::string& text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

// The numbers of an element's text, separated by white space.
std::vector<double> Numbers(const XmlElement& element) {
  std::vector<double> values;
  const std::string& text = element.Text;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::size_t j = i;
    while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j]))) ++j;
    if (j > i) {
      const std::string token = text.substr(i, j - i);
      std::optional<double> v = StrictNumber(token);
      if (!v || !std::isfinite(*v)) Refuse(element, Quoted(token.substr(0, 40)) + " is not a number");
      values.push_back(*v);
    }
    i = j;
  }
  return values;
}

PlanPoint PointOf(const XmlElement& parent, const char* name) {
  const XmlElement* element = parent.Child(name);
  if (!element) Refuse(parent, std::string("<") + name + "> is missing");
  std::vector<double> values = Numbers(*element);
  if (values.size() < 2 || values.size() > 3) Refuse(*element, "a point needs a northing and an easting");
  return {values[0], values[1]};
}

double AzimuthOf(const PlanPoint& from, const PlanPoint& to) {
  return std::atan2(to.Easting - from.Easting, to.Northing - from.Northing);
}

double Turn(const XmlElement& element) {
  const std::string* rot = element.Attribute("rot");
  if (!rot) Refuse(element, "the attribute rot is missing");
  if (*rot == "cw") return 1;
  if (*rot == "ccw") return -1;
  Refuse(element, "rot=\"" + *rot + "\" is neither cw nor ccw");
}

// A length or radius the element states, when it agrees with its points to a millimetre (it
// then keeps the writer's stationing exact); else the points' value.
double Stated(const XmlElement& e, const char* name, double fromPoints) {
  const std::optional<double> stated = Optional(e, name);
  return stated && std::abs(*stated - fromPoints) < 1e-3 ? *stated : fromPoints;
}

PlanElement LineElement(const XmlElement& e) {
  PlanElement line;
  const PlanPoint start = PointOf(e, "Start");
  const PlanPoint end = PointOf(e, "End");
  line.Length = Stated(e, "length", std::hypot(end.Northing - start.Northing, end.Easting - start.Easting));
  line.Start = {start, AzimuthOf(start, end)};
  return line;
}

PlanElement ArcElement(const XmlElement& e) {
  PlanElement arc;
  arc.Kind = PlanElementKind::Arc;
  const double turn = Turn(e);
  const PlanPoint start = PointOf(e, "Start");
  const PlanPoint centre = PointOf(e, "Center");
  const PlanPoint end = PointOf(e, "End");
  const double radius =
      Stated(e, "radius", std::hypot(start.Northing - centre.Northing, start.Easting - centre.Easting));
  if (!(radius > 0)) Refuse(e, "the arc's centre is its start");
  const double from = AzimuthOf(centre, start), to = AzimuthOf(centre, end);
  double sweep = std::fmod(turn * (to - from), kTwoPi);
  if (sweep <= 0) sweep += kTwoPi;
  arc.Length = Stated(e, "length", radius * sweep);
  arc.StartCurvature = arc.EndCurvature = turn / radius;
  arc.Start = {start, AzimuthOf(start, centre) - turn * std::numbers::pi / 2};
  return arc;
}

PlanElement SpiralElement(const XmlElement& e) {
  PlanElement spiral;
  spiral.Kind = PlanElementKind::Clothoid;
  const std::string* type = e.Attribute("spiType");
  if (!type) Refuse(e, "the attribute spiType is missing");
  if (*type != "clothoid") Refuse(e, "spiType=\"" + *type + "\": only clothoids are read");
  const double turn = Turn(e);
  spiral.Length = Required(e, "length");
  if (!(spiral.Length > 0 && spiral.Length <= 100000)) Refuse(e, "the length must be a positive number up to 100 km");
  const double r0 = Required(e, "radiusStart", true), r1 = Required(e, "radiusEnd", true);
  if (r0 == 0 || r1 == 0) Refuse(e, "a radius of 0");
  spiral.StartCurvature = std::isinf(r0) ? 0 : turn / std::abs(r0);
  spiral.EndCurvature = std::isinf(r1) ? 0 : turn / std::abs(r1);
  const PlanPoint start = PointOf(e, "Start");
  spiral.Start = {start, AzimuthOf(start, PointOf(e, "PI"))};
  return spiral;
}

PlanAlignment AlignmentOf(const XmlElement& alignment, double staStart) {
  const XmlElement* geometry = alignment.Child("CoordGeom");
  if (!geometry) Refuse(alignment, "<CoordGeom> is missing");
  std::vector<PlanElement> elements;
  double station = staStart;
  for (const XmlElement& child : geometry->Children) {
    PlanElement element;
    if (child.Name == "Line") element = LineElement(child);
    else if (child.Name == "Curve") element = ArcElement(child);
    else if (child.Name == "Spiral") element = SpiralElement(child);
    else if (child.Name == "Feature") continue;
    else Refuse(child, "this geometry cannot be read (Line, Curve and Spiral can)");
    if (std::optional<double> s = Optional(child, "staStart")) station = *s;
    element.StartStation = station;
    element.EndStation = station + element.Length;
    station = element.EndStation;
    elements.push_back(element);
  }
  return PlanAlignment(std::move(elements));
}

std::vector<ProfilePoint> DesignProfileOf(const XmlElement& profAlign) {
  std::vector<ProfilePoint> points;  // Radius holds the curve's length until the grades are known
  for (const XmlElement& child : profAlign.Children) {
    if (child.Name == "Feature") continue;
    if (child.Name == "UnsymParaCurve") Refuse(child, "an unsymmetrical vertical curve cannot be held by a .ZM profile");
    if (child.Name != "PVI" && child.Name != "ParaCurve" && child.Name != "CircCurve")
      Refuse(child, "not a profile element");
    std::vector<double> values = Numbers(child);
    if (values.size() != 2) Refuse(child, "needs a station and an elevation");
    ProfilePoint point{values[0], values[1], 0};
    if (child.Name != "PVI") {
      point.Radius = Required(child, "length");
      if (!(point.Radius >= 0)) Refuse(child, "the length must be a number of 0 or more");
    }
    points.push_back(point);
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const ProfilePoint& a, const ProfilePoint& b) { return a.Station < b.Station; });
  std::vector<double> lengths;
  for (const ProfilePoint& p : points) lengths.push_back(p.Radius);
  for (std::size_t k = 0; k < points.size(); ++k) points[k].Radius = RadiusForLength(points, k, lengths[k]);
  return points;
}

std::vector<SectionPoint> Pairs(const XmlElement& list) {
  std::vector<double> values = Numbers(list);
  if (values.size() % 2) Refuse(list, "an odd count of numbers (offset elevation pairs expected)");
  std::vector<SectionPoint> points;
  for (std::size_t i = 0; i < values.size(); i += 2) points.push_back({values[i], values[i + 1]});
  return points;
}

ExchangeSection SectionOf(const XmlElement& crossSect) {
  ExchangeSection section;
  section.Station = Required(crossSect, "sta");
  const XmlElement* ground = crossSect.Child("CrossSectSurf");
  if (ground)
    for (const XmlElement* list : ground->ChildrenNamed("PntList2D")) section.Ground.push_back(Pairs(*list));
  if (const XmlElement* design = crossSect.Child("DesignCrossSectSurf"))
    for (const XmlElement* point : design->ChildrenNamed("CrossSectPnt")) {
      std::vector<double> values = Numbers(*point);
      if (values.size() != 2) Refuse(*point, "needs an offset and an elevation");
      section.Design.push_back({values[0], values[1]});
    }
  const std::optional<double> cut = Optional(crossSect, "areaCut"), fill = Optional(crossSect, "areaFill");
  if (cut || fill) {
    section.HasAreas = true;
    section.AreaCut = cut.value_or(0);
    section.AreaFill = fill.value_or(0);
    section.VolumeCut = Optional(crossSect, "volumeCut").value_or(0);
    section.VolumeFill = Optional(crossSect, "volumeFill").value_or(0);
  }
  return section;
}

}  // namespace

RoadExchange RoadFromLandXml(const XmlElement& root) {
  if (root.Name != "LandXML") throw ExchangeError("not a LandXML file: its root element is <" + root.Name + ">");
  const XmlElement* units = root.Child("Units");
  if (units && !units->Child("Metric")) Refuse(*units, "only metric units are read");
  RoadExchange road;
  const XmlElement* alignments = root.Child("Alignments");
  const XmlElement* alignment = alignments ? alignments->Child("Alignment") : nullptr;
  if (!alignment) throw ExchangeError("the LandXML file holds no alignment");
  if (const std::string* name = alignment->Attribute("name")) road.Name = *name;
  else Refuse(*alignment, "the attribute name is missing");
  const double staStart = Required(*alignment, "staStart");
  Required(*alignment, "length");
  road.Alignment = AlignmentOf(*alignment, staStart);
  for (const XmlElement* e : alignment->ChildrenNamed("StaEquation")) {
    StationEquation equation{Required(*e, "staInternal"), Required(*e, "staAhead"), 0};
    equation.Back = Optional(*e, "staBack").value_or(equation.Internal);
    road.Equations.push_back(equation);
  }
  if (const XmlElement* profile = alignment->Child("Profile")) {
    if (const XmlElement* design = profile->Child("ProfAlign")) road.DesignProfile = DesignProfileOf(*design);
    if (const XmlElement* ground = profile->Child("ProfSurf"))
      for (const XmlElement* list : ground->ChildrenNamed("PntList2D"))
        for (const SectionPoint& p : Pairs(*list)) road.GroundProfile.push_back({p.Offset, p.Level, 0});
  }
  if (const XmlElement* sections = alignment->Child("CrossSects"))
    for (const XmlElement* crossSect : sections->ChildrenNamed("CrossSect")) road.Sections.push_back(SectionOf(*crossSect));
  std::stable_sort(road.Sections.begin(), road.Sections.end(),
                   [](const ExchangeSection& a, const ExchangeSection& b) { return a.Station < b.Station; });
  return road;
}

RoadExchange ReadLandXml(std::istream& in, const XmlLimits& limits) { return RoadFromLandXml(ReadXml(in, limits)); }

}  // namespace kestrel
