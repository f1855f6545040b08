// IFC 4.3 (IFC4X3_ADD2) out: the road's alignment with its horizontal and vertical layouts and
// their geometry, the ground and design cross sections placed by station, and the earthworks
// between stations with their volumes.
#include "exchange/ifc_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "exchange/step_writer.h"
#include "util/number_text.h"

namespace kestrel {

double DistanceAlong(const PlanAlignment& alignment, double station) {
  double before = 0;
  const std::vector<PlanElement>& elements = alignment.Elements();
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const PlanElement& e = elements[i];
    if (station < e.EndStation || i + 1 == elements.size()) {
      const double span = e.EndStation - e.StartStation;
      return before + (station - e.StartStation) * (span > 0 ? e.Length / span : 1);
    }
    before += e.Length;
  }
  return station;
}

namespace {

constexpr double kPi = std::numbers::pi;

// IFC's plan angles run counter-clockwise from the x axis (east); azimuths clockwise from north.
double IfcDirection(double azimuth) { return std::remainder(kPi / 2 - azimuth, 2 * kPi); }

// One stretch of the design profile by distance along the alignment.
struct VerticalPiece {
  double Start = 0;   // distance along
  double Length = 0;  // horizontal
  double Height = 0;
  double GradeIn = 0, GradeOut = 0;
  bool Parabola = false;
};

class IfcBuilder {
 public:
  IfcBuilder(const RoadExchange& road, const std::string& seed) : road_(road), step_(seed) {}

  std::string Build(const std::string& fileName, const ExchangeStamp& stamp) {
    Project();
    const int alignment = Alignment();
    std::vector<std::string> contained;
    if (int terrain = Terrain()) contained.push_back(StepRef(terrain));
    for (int e : Earthworks()) contained.push_back(StepRef(e));
    Add("IFCRELAGGREGATES", {Id(), "$", "$", "$", StepRef(project_), StepList({StepRef(site_), StepRef(alignment)})});
    if (!contained.empty())
      Add("IFCRELCONTAINEDINSPATIALSTRUCTURE", {Id(), "$", "$", "$", StepList(contained), StepRef(site_)});
    return step_.Text(fileName, stamp.Date + "T" + stamp.Time, "IFC4X3_ADD2");
  }

 private:
  int Add(std::string_view type, std::initializer_list<std::string> attributes) { return step_.Add(type, attributes); }
  std::string Id() { return step_.NewGlobalId(); }
  int Point(std::initializer_list<double> xyz) {
    std::vector<std::string> items;
    for (double v : xyz) items.push_back(StepReal(v));
    return Add("IFCCARTESIANPOINT", {StepList(items)});
  }
  int Direction(double x, double y) { return Add("IFCDIRECTION", {StepList({StepReal(x), StepReal(y)})}); }
  int Placement2(double x, double y, double dx, double dy) {
    return Add("IFCAXIS2PLACEMENT2D", {StepRef(Point({x, y})), StepRef(Direction(dx, dy))});
  }
  static std::string Length(double v) { return StepTyped("IFCLENGTHMEASURE", StepReal(v)); }

  void Project() {
    const int origin = Point({0, 0, 0});
    const int world = Add("IFCAXIS2PLACEMENT3D", {StepRef(origin), "$", "$"});
    context_ = Add("IFCGEOMETRICREPRESENTATIONCONTEXT", {"$", StepString("Model"), "3", StepReal(1e-5), StepRef(world), "$"});
    std::vector<std::string> units;
    for (auto [type, name] : {std::pair{"LENGTHUNIT", "METRE"}, {"AREAUNIT", "SQUARE_METRE"}, {"VOLUMEUNIT", "CUBIC_METRE"},
                              {"PLANEANGLEUNIT", "RADIAN"}})
      units.push_back(StepRef(Add("IFCSIUNIT", {kStepDerived, StepEnum(type), "$", StepEnum(name)})));
    const int assignment = Add("IFCUNITASSIGNMENT", {StepList(units)});
    project_ = Add("IFCPROJECT", {Id(), "$", StepString(road_.Name), "$", "$", "$", "$", StepList({StepRef(context_)}),
                                  StepRef(assignment)});
    sitePlacement_ = Add("IFCLOCALPLACEMENT", {"$", StepRef(Add("IFCAXIS2PLACEMENT3D", {StepRef(Point({0, 0, 0})), "$", "$"}))});
    site_ = Add("IFCSITE", {Id(), "$", StepString("Site"), "$", "$", StepRef(sitePlacement_), "$", "$", StepEnum("ELEMENT"),
                            "$", "$", "$", "$", "$"});
  }

  int LocalPlacement() {
    return Add("IFCLOCALPLACEMENT",
               {StepRef(sitePlacement_), StepRef(Add("IFCAXIS2PLACEMENT3D", {StepRef(Point({0, 0, 0})), "$", "$"}))});
  }

  // ---- the horizontal layout ----

  // The parent curve of an element placed so that its start lies at the origin heading along x.
  std::pair<int, std::string> HorizontalParent(const PlanElement& e) {
    const double k0 = -e.StartCurvature, k1 = -e.EndCurvature;  // counter-clockwise positive
    if (e.Kind == PlanElementKind::Line || e.Length == 0) {
      const int vector = Add("IFCVECTOR", {StepRef(Direction(1, 0)), StepReal(1)});
      return {Add("IFCLINE", {StepRef(Point({0, 0})), StepRef(vector)}), Length(e.Length)};
    }
    if (e.Kind == PlanElementKind::Arc) {
      const double radius = 1 / std::abs(k0);
      const bool left = k0 > 0;
      const int position = Placement2(0, left ? radius : -radius, 0, left ? -1 : 1);
      return {Add("IFCCIRCLE", {StepRef(position), StepReal(radius)}), Length(left ? e.Length : -e.Length)};
    }
    // A clothoid: curvature s / (A|A|) along its own length s; this element runs from s0.
    const double aa = e.Length / (k1 - k0);
    const double constant = std::copysign(std::sqrt(std::abs(aa)), aa);
    const double s0 = k0 * aa;
    const PlanPose at = RunAlong({{0, 0}, 0}, 0, s0 / aa, s0, s0);  // x north, y east: the same turning sense
    const double theta = at.Azimuth, x = at.Point.Northing, y = at.Point.Easting;
    const double c = std::cos(theta), s = std::sin(theta);
    const int position = Placement2(-(c * x + s * y), -(-s * x + c * y), c, -s);
    segmentStart_ = s0;
    return {Add("IFCCLOTHOID", {StepRef(position), StepReal(constant)}), Length(e.Length)};
  }

  // One segment: its design parameters and its curve segment.
  int HorizontalSegment(const PlanElement& e, bool last, std::vector<std::string>& curveSegments) {
    const char* type = e.Kind == PlanElementKind::Line ? "LINE" : e.Kind == PlanElementKind::Arc ? "CIRCULARARC" : "CLOTHOID";
    auto radius = [](double k) { return k == 0 ? 0.0 : -1 / k; };
    const double direction = IfcDirection(e.Start.Azimuth);
    const PlanPoint& p = e.Start.Point;
    const int parameters = Add("IFCALIGNMENTHORIZONTALSEGMENT",
                               {"$", "$", StepRef(Point({p.Easting, p.Northing})), StepReal(direction),
                                StepReal(radius(e.StartCurvature)), StepReal(radius(e.EndCurvature)), StepReal(e.Length),
                                "$", StepEnum(type)});
    segmentStart_ = 0;
    const auto [parent, length] = HorizontalParent(e);
    const int placement = Placement2(p.Easting, p.Northing, std::cos(direction), std::sin(direction));
    curveSegments.push_back(StepRef(Add("IFCCURVESEGMENT", {StepEnum(last ? "DISCONTINUOUS" : "CONTSAMEGRADIENT"),
                                                            StepRef(placement), Length(segmentStart_), length,
                                                            StepRef(parent)})));
    return Add("IFCALIGNMENTSEGMENT", {Id(), "$", "$", "$", "$", "$", "$", StepRef(parameters)});
  }

  int Horizontal(int& compositeCurve) {
    std::vector<std::string> segments, curveSegments;
    const PlanAlignment& plan = road_.Alignment;
    for (const PlanElement& e : plan.Elements()) segments.push_back(StepRef(HorizontalSegment(e, false, curveSegments)));
    PlanElement end;  // the closing segment of length 0
    end.Start = plan.EndOf(plan.Elements().back());
    segments.push_back(StepRef(HorizontalSegment(end, true, curveSegments)));
    compositeCurve = Add("IFCCOMPOSITECURVE", {StepList(curveSegments), ".F."});
    const int layout = Add("IFCALIGNMENTHORIZONTAL", {Id(), "$", "$", "$", "$", StepRef(LocalPlacement()),
                                                      StepRef(AxisShape(compositeCurve, "Curve2D"))});
    Add("IFCRELNESTS", {Id(), "$", "$", "$", StepRef(layout), StepList(segments)});
    return layout;
  }

  // ---- the vertical layout ----

  std::vector<VerticalPiece> VerticalPieces() {
    const VerticalProfile profile = ProfileOf(road_.DesignProfile);
    const bool increase = CurveEndsIncrease(profile);
    auto height = [&](double station) { return ProfileElevationAt(profile, station, increase); };
    const PlanAlignment& plan = road_.Alignment;
    const double from = plan.StartStation(), to = plan.EndStation();
    // Stretches by station: straight grades between the curves, parabolas over them.
    struct Stretch {
      double A, B, G0, G1;
      bool Parabola;
    };
    std::vector<Stretch> stretches;
    double at = std::min(from, road_.DesignProfile.front().Station);
    double grade = profile.front().GradeIn;
    for (const VerticalCurve& r : profile) {
      const bool curve = r.Radius > 0 && r.CurveEndStation > r.CurveStartStation;
      const double next = curve ? r.CurveStartStation : r.PviStation;
      if (next > at) stretches.push_back({at, next, r.GradeIn, r.GradeIn, false});
      if (curve) stretches.push_back({r.CurveStartStation, r.CurveEndStation, r.GradeIn, r.GradeOut, true});
      at = curve ? r.CurveEndStation : r.PviStation;
      grade = r.GradeOut;
    }
    const double last = std::max(to, road_.DesignProfile.back().Station);
    if (last > at) stretches.push_back({at, last, grade, grade, false});
    // Cut to the alignment, by distance along it.
    std::vector<VerticalPiece> pieces;
    for (const Stretch& s : stretches) {
      const double a = std::max(s.A, from), b = std::min(s.B, to);
      if (!(b > a)) continue;
      auto gradeAt = [&](double station) {
        return s.Parabola ? s.G0 + (s.G1 - s.G0) * (station - s.A) / (s.B - s.A) : s.G0;
      };
      const double da = DistanceAlong(plan, a), db = DistanceAlong(plan, b);
      pieces.push_back({da, db - da, height(a), gradeAt(a), gradeAt(b), s.Parabola});
    }
    return pieces;
  }

  int VerticalSegment(const VerticalPiece& p, bool last, std::vector<std::string>& curveSegments) {
    const double change = p.GradeOut - p.GradeIn;
    const bool parabola = p.Parabola && change != 0 && p.Length > 0;
    const int parameters = Add(
        "IFCALIGNMENTVERTICALSEGMENT",
        {"$", "$", StepReal(p.Start), StepReal(p.Length), StepReal(p.Height), StepReal(p.GradeIn), StepReal(p.GradeOut),
         parabola ? StepReal(p.Length / change) : "$", StepEnum(parabola ? "PARABOLICARC" : "CONSTANTGRADIENT")});
    int parent = 0, placement = 0;
    std::string length;
    if (parabola) {
      const int position = Placement2(0, 0, 1, 0);
      parent = Add("IFCPOLYNOMIALCURVE",
                   {StepRef(position), StepList({StepReal(0), StepReal(1)}),
                    StepList({StepReal(0), StepReal(p.GradeIn), StepReal(change / (2 * p.Length))}), "$"});
      placement = Placement2(p.Start, p.Height, 1, 0);
      length = Length(p.Length);
    } else {
      const double norm = std::hypot(1.0, p.GradeIn);
      const int vector = Add("IFCVECTOR", {StepRef(Direction(1, 0)), StepReal(1)});
      parent = Add("IFCLINE", {StepRef(Point({0, 0})), StepRef(vector)});
      placement = Placement2(p.Start, p.Height, 1 / norm, p.GradeIn / norm);
      length = Length(p.Length * norm);
    }
    curveSegments.push_back(StepRef(Add("IFCCURVESEGMENT", {StepEnum(last ? "DISCONTINUOUS" : "CONTSAMEGRADIENT"),
                                                            StepRef(placement), Length(0), length, StepRef(parent)})));
    return Add("IFCALIGNMENTSEGMENT", {Id(), "$", "$", "$", "$", "$", "$", StepRef(parameters)});
  }

  int Vertical(int compositeCurve, int& gradientCurve) {
    const std::vector<VerticalPiece> pieces = VerticalPieces();
    if (pieces.empty()) return 0;
    std::vector<std::string> segments, curveSegments;
    for (const VerticalPiece& p : pieces) segments.push_back(StepRef(VerticalSegment(p, false, curveSegments)));
    const VerticalPiece& back = pieces.back();
    const double endHeight = back.Height + (back.GradeIn + back.GradeOut) / 2 * back.Length;
    segments.push_back(StepRef(
        VerticalSegment({back.Start + back.Length, 0, endHeight, back.GradeOut, back.GradeOut, false}, true, curveSegments)));
    gradientCurve = Add("IFCGRADIENTCURVE", {StepList(curveSegments), ".F.", StepRef(compositeCurve), "$"});
    const int layout = Add("IFCALIGNMENTVERTICAL", {Id(), "$", "$", "$", "$", StepRef(LocalPlacement()),
                                                    StepRef(AxisShape(gradientCurve, "Curve3D"))});
    Add("IFCRELNESTS", {Id(), "$", "$", "$", StepRef(layout), StepList(segments)});
    return layout;
  }

  int AxisShape(int curve, const char* type) {
    const int representation = Add("IFCSHAPEREPRESENTATION", {StepRef(context_), StepString("Axis"), StepString(type),
                                                              StepList({StepRef(curve)})});
    return Add("IFCPRODUCTDEFINITIONSHAPE", {"$", "$", StepList({StepRef(representation)})});
  }

  int Alignment() {
    const int horizontal = Horizontal(composite_);
    int gradient = 0, vertical = 0;
    if (road_.DesignProfile.size() >= 2) vertical = Vertical(composite_, gradient);
    const int shape = AxisShape(gradient ? gradient : composite_, gradient ? "Curve3D" : "Curve2D");
    const int alignment = Add("IFCALIGNMENT", {Id(), "$", StepString(road_.Name), "$", "$", StepRef(LocalPlacement()),
                                               StepRef(shape), "$"});
    std::vector<std::string> layouts = {StepRef(horizontal)};
    if (vertical) layouts.push_back(StepRef(vertical));
    Add("IFCRELNESTS", {Id(), "$", "$", "$", StepRef(alignment), StepList(layouts)});
    return alignment;
  }

  // ---- cross sections and earthworks ----

  // An open profile through the points (offset, level), widths along each piece.
  int CrossProfile(const std::string& name, const std::vector<SectionPoint>& points) {
    std::vector<std::string> widths, slopes;
    for (std::size_t i = 1; i < points.size(); ++i) {
      const double dx = points[i].Offset - points[i - 1].Offset, dz = points[i].Level - points[i - 1].Level;
      widths.push_back(StepReal(std::hypot(dx, dz)));
      slopes.push_back(StepReal(std::atan2(dz, dx)));
    }
    return Add("IFCOPENCROSSPROFILEDEF", {StepEnum("CURVE"), StepString(name), ".F.", StepList(widths), StepList(slopes),
                                          "$", StepRef(Point({points[0].Offset, points[0].Level}))});
  }

  int PositionAt(double station) {
    const int point = Add("IFCPOINTBYDISTANCEEXPRESSION",
                          {Length(DistanceAlong(road_.Alignment, station)), "$", "$", "$", StepRef(composite_)});
    return Add("IFCAXIS2PLACEMENTLINEAR", {StepRef(point), "$", "$"});
  }

  // A surface through the profiles at their stations (at least two), as a product's body.
  int SectionedShape(const std::vector<std::pair<double, std::vector<SectionPoint>>>& sections) {
    std::vector<std::string> positions, profiles;
    for (const auto& [station, points] : sections) {
      positions.push_back(StepRef(PositionAt(station)));
      profiles.push_back(StepRef(CrossProfile(StationText(station), points)));
    }
    const int surface = Add("IFCSECTIONEDSURFACE", {StepRef(composite_), StepList(positions), StepList(profiles)});
    const int representation = Add("IFCSHAPEREPRESENTATION", {StepRef(context_), StepString("Body"),
                                                              StepString("SectionedSurface"), StepList({StepRef(surface)})});
    return Add("IFCPRODUCTDEFINITIONSHAPE", {"$", "$", StepList({StepRef(representation)})});
  }

  int Terrain() {
    std::vector<std::pair<double, std::vector<SectionPoint>>> sections;
    for (const ExchangeSection& s : road_.Sections) {
      std::vector<SectionPoint> ground;
      for (const auto& list : s.Ground) ground.insert(ground.end(), list.begin(), list.end());
      if (ground.size() >= 2) sections.emplace_back(s.Station, std::move(ground));
    }
    if (sections.size() < 2) return 0;
    return Add("IFCGEOGRAPHICELEMENT", {Id(), "$", StepString("地面线"), "$", "$", StepRef(LocalPlacement()),
                                        StepRef(SectionedShape(sections)), "$", StepEnum("TERRAIN")});
  }

  void Quantities(int element, bool cut, double volume, double from, double to) {
    const int quantity = Add("IFCQUANTITYVOLUME", {StepString(cut ? "UndisturbedVolume" : "CompactedVolume"), "$", "$",
                                                   StepReal(volume), "$"});
    const int qto = Add("IFCELEMENTQUANTITY", {Id(), "$", StepString(cut ? "Qto_EarthworksCutBaseQuantities"
                                                                      : "Qto_EarthworksFillBaseQuantities"),
                                               "$", StepString("AverageEndArea"), StepList({StepRef(quantity)})});
    Add("IFCRELDEFINESBYPROPERTIES", {Id(), "$", "$", "$", StepList({StepRef(element)}), StepRef(qto)});
    auto property = [&](const char* name, const std::string& value) {
      return StepRef(Add("IFCPROPERTYSINGLEVALUE", {StepString(name), "$", value, "$"}));
    };
    const int pset = Add("IFCPROPERTYSET", {Id(), "$", StepString("Kestrel_EarthworksInterval"), "$",
                                            StepList({property("StartStation", Length(from)),
                                                      property("EndStation", Length(to)),
                                                      property("Volume", StepTyped("IFCVOLUMEMEASURE", StepReal(volume)))})});
    Add("IFCRELDEFINESBYPROPERTIES", {Id(), "$", "$", "$", StepList({StepRef(element)}), StepRef(pset)});
  }

  std::vector<int> Earthworks() {
    std::vector<int> elements;
    for (std::size_t i = 1; i < road_.Sections.size(); ++i) {
      const ExchangeSection &a = road_.Sections[i - 1], &b = road_.Sections[i];
      if (!a.HasAreas || !b.HasAreas) continue;
      const std::string name = StationText(a.Station) + " - " + StationText(b.Station);
      for (bool cut : {true, false}) {
        const double volume = cut ? b.VolumeCut : b.VolumeFill;
        if (!(volume > 0)) continue;
        std::string shape = "$";
        if (a.Design.size() >= 2 && b.Design.size() >= 2)
          shape = StepRef(SectionedShape({{a.Station, a.Design}, {b.Station, b.Design}}));
        const int element =
            Add(cut ? "IFCEARTHWORKSCUT" : "IFCEARTHWORKSFILL",
                {Id(), "$", StepString(name), "$", "$", StepRef(LocalPlacement()), shape, "$", StepEnum(cut ? "CUT" : "EMBANKMENT")});
        Quantities(element, cut, volume, a.Station, b.Station);
        elements.push_back(element);
      }
    }
    return elements;
  }

  const RoadExchange& road_;
  StepWriter step_;
  int context_ = 0, project_ = 0, site_ = 0, sitePlacement_ = 0, composite_ = 0;
  double segmentStart_ = 0;
};

}  // namespace

std::string IfcText(const RoadExchange& road, const std::string& fileName, const ExchangeStamp& stamp) {
  return IfcBuilder(road, road.Name + "|" + fileName + "|" + stamp.Date + stamp.Time).Build(fileName, stamp);
}

}  // namespace kestrel
