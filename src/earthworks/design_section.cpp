// DesignSectionAt and AreasBetween: the design line on a measured section and the areas between.
#include "earthworks/design_section.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "drawing/strips_between.h"

namespace kestrel {
namespace {

// A point across one side: u is the distance outwards from the centre line (offset for the right
// side, minus the offset for the left), z the level.
struct SidePoint {
  double u = 0, z = 0;
};

// How far the last stage of a slope is followed (metres of height): beyond any ground a survey
// holds; the ground's horizontal extension reaches further still.
constexpr double kRayHeight = 1e5;
constexpr double kGroundReach = 1e8;

// The ground seen from one side: points in increasing u, extended horizontally at both ends.
std::vector<SidePoint> SideGround(const std::vector<SectionPoint>& ground, int sign) {
  std::vector<SidePoint> side;
  side.reserve(ground.size() + 2);
  for (const SectionPoint& p : ground) side.push_back({sign * p.Offset, p.Level});
  if (sign < 0) std::reverse(side.begin(), side.end());
  side.insert(side.begin(), SidePoint{side.front().u - kGroundReach, side.front().z});
  side.push_back({side.back().u + kGroundReach, side.back().z});
  return side;
}

// The level of a line (increasing u, extended horizontally) at u; at a vertical step the inner
// (first) point's level.
double LevelAt(const std::vector<SidePoint>& line, double u) {
  if (u <= line.front().u) return line.front().z;
  for (size_t k = 0; k + 1 < line.size(); ++k) {
    const SidePoint &p = line[k], &q = line[k + 1];
    if (u <= q.u) {
      if (q.u == p.u) return p.z;
      return p.z + (q.z - p.z) * (u - p.u) / (q.u - p.u);
    }
  }
  return line.back().z;
}

double Cross(double ax, double az, double bx, double bz) { return ax * bz - az * bx; }

// The first point of segment p0-p1 (smallest parameter t in [0, 1]) that lies on segment q0-q1;
// nothing when they do not meet. Collinear overlaps give their first point.
bool FirstMeeting(SidePoint p0, SidePoint p1, SidePoint q0, SidePoint q1, double& t, SidePoint& at) {
  const double rx = p1.u - p0.u, rz = p1.z - p0.z, sx = q1.u - q0.u, sz = q1.z - q0.z;
  const double qpx = q0.u - p0.u, qpz = q0.z - p0.z;
  const double denom = Cross(rx, rz, sx, sz);
  if (denom == 0) {
    if (Cross(qpx, qpz, rx, rz) != 0) return false;  // parallel, apart
    const double rr = rx * rx + rz * rz;
    if (rr == 0) return false;
    double t0 = (qpx * rx + qpz * rz) / rr;
    double t1 = t0 + (sx * rx + sz * rz) / rr;
    if (t0 > t1) std::swap(t0, t1);
    if (t1 < 0 || t0 > 1) return false;
    t = std::max(t0, 0.0);
    at = {p0.u + t * rx, p0.z + t * rz};
    return true;
  }
  const double tp = Cross(qpx, qpz, sx, sz) / denom;
  const double tq = Cross(qpx, qpz, rx, rz) / denom;
  if (tp < 0 || tp > 1 || tq < 0 || tq > 1) return false;
  t = tp;
  // The point from the shorter segment, which carries the smaller rounding.
  if (rx * rx + rz * rz <= sx * sx + sz * sz)
    at = {p0.u + tp * rx, p0.z + tp * rz};
  else
    at = {q0.u + tq * sx, q0.z + tq * sz};
  return true;
}

// Appends the stages of a slope (direction -1 down for fill, +1 up for cut) with their berms.
void AppendStages(std::vector<SidePoint>& line, const std::vector<SlopeStage>& stages, int direction,
                  double bermWidth, double bermSlope) {
  for (size_t i = 0; i < stages.size(); ++i) {
    const SidePoint p = line.back();
    const bool last = i + 1 == stages.size() || stages[i].Height <= 0;
    const double h = last ? kRayHeight : stages[i].Height;
    line.push_back({p.u + stages[i].Ratio * h, p.z + direction * h});
    if (last) return;
    if (bermWidth > 0) line.push_back({line.back().u + bermWidth, line.back().z + bermWidth * bermSlope / 100});
  }
}

struct SideOutline {
  std::vector<SidePoint> points;  // shoulder edge to daylight, increasing u; the centre excluded
  SideDaylight daylight;
};

SideOutline RunOutSide(const std::vector<SectionPoint>& ground, int sign, double centreLevel, double crossSlope,
                       double widening, const SideTemplate& side, double lowering) {
  const std::vector<SidePoint> g = SideGround(ground, sign);
  SideOutline out;
  std::vector<SidePoint> line;
  const double edgeU = side.HalfWidth + widening;
  const double edgeZ = centreLevel + edgeU * crossSlope / 100 - lowering;
  line.push_back({edgeU, edgeZ});
  line.push_back({edgeU + side.ShoulderWidth, edgeZ + side.ShoulderWidth * side.ShoulderSlope / 100});
  const size_t shoulder = line.size() - 1;
  const SidePoint e = line.back();
  const double groundAtEdge = LevelAt(g, e.u);
  out.daylight.Fill = e.z >= groundAtEdge;
  if (e.z != groundAtEdge) {
    if (out.daylight.Fill) {
      AppendStages(line, side.FillStages, -1, side.FillBermWidth, side.FillBermSlope);
    } else {
      const DitchShape& d = side.Ditch;
      if (d.Depth > 0 || d.BottomWidth > 0) {
        line.push_back({line.back().u + d.InnerRatio * d.Depth, line.back().z - d.Depth});
        line.push_back({line.back().u + d.BottomWidth, line.back().z});
        line.push_back({line.back().u + d.OuterRatio * d.Depth, line.back().z + d.Depth});
      }
      AppendStages(line, side.CutStages, +1, side.CutBermWidth, side.CutBermSlope);
    }
  }
  // Walk the slope from the shoulder edge; the first meeting with the ground ends it.
  out.points.assign(line.begin(), line.begin() + shoulder + 1);
  SidePoint daylight = e;
  bool found = e.z == groundAtEdge;
  for (size_t i = shoulder; !found && i + 1 < line.size(); ++i) {
    const SidePoint p0 = line[i], p1 = line[i + 1];
    const double lo = std::min(p0.u, p1.u), hi = std::max(p0.u, p1.u);
    double best = std::numeric_limits<double>::infinity();
    for (size_t j = 0; j + 1 < g.size(); ++j) {
      if (g[j + 1].u < lo || g[j].u > hi) continue;
      double t;
      SidePoint at;
      if (FirstMeeting(p0, p1, g[j], g[j + 1], t, at) && t < best) {
        best = t;
        daylight = at;
      }
    }
    if (best <= 1) {
      // The meeting lies on this stage: rounding in the ground's segment must not put it
      // outside the stage's span (a vertical stage would then step back).
      daylight.u = std::clamp(daylight.u, lo, hi);
      found = true;
    } else {
      out.points.push_back(p1);
    }
  }
  // A slope so flat that it leaves the ground's reach before meeting it ends where it was followed.
  if (!found) daylight = out.points.back();
  if (out.points.back().u != daylight.u || out.points.back().z != daylight.z) out.points.push_back(daylight);
  // Measured ground ends at the first and last real points (the reach points are g's ends).
  out.daylight.GroundExtended = daylight.u > g[g.size() - 2].u;
  out.daylight.Point = {sign * daylight.u, daylight.z};
  return out;
}

}  // namespace

SectionAreas AreasBetween(const std::vector<SectionPoint>& ground, const std::vector<SectionPoint>& design,
                          double from, double to) {
  auto plane = [](const std::vector<SectionPoint>& line) {
    std::vector<PlanePoint> points;
    points.reserve(line.size());
    for (const SectionPoint& p : line) points.push_back({p.Offset, p.Level});
    return points;
  };
  SectionAreas areas;
  for (const LevelStrip& s : StripsBetween(plane(ground), plane(design), from, to, 0.0)) {
    const double area = s.MeanDifference() * (s.x1 - s.x0);  // positive: cut
    const bool left = s.x0 + s.x1 < 0;
    (area > 0 ? (left ? areas.CutLeft : areas.CutRight) : (left ? areas.FillLeft : areas.FillRight)) += std::abs(area);
  }
  return areas;
}

DesignSection DesignSectionAt(const GroundSection& ground, const RoadAtStation& road, const DesignTemplate& tpl) {
  if (ground.Points.empty()) throw std::invalid_argument("a section without points has no design");
  DesignSection s;
  s.Station = ground.Station;
  s.CentreDesignLevel = road.CentreLevel;
  s.CentreGroundLevel = LevelAt(SideGround(ground.Points, 1), 0);
  const double lowering = tpl.AreasTo == AreaSurface::Subgrade ? tpl.PavementThickness : 0;
  const SideOutline left =
      RunOutSide(ground.Points, -1, road.CentreLevel, road.LeftCrossSlope, road.LeftWidening, tpl.Left, lowering);
  const SideOutline right =
      RunOutSide(ground.Points, 1, road.CentreLevel, road.RightCrossSlope, road.RightWidening, tpl.Right, lowering);
  for (auto it = left.points.rbegin(); it != left.points.rend(); ++it) s.Outline.push_back({-it->u, it->z});
  s.Outline.push_back({0, road.CentreLevel - lowering});
  for (const SidePoint& p : right.points) s.Outline.push_back({p.u, p.z});
  s.Outline.erase(std::unique(s.Outline.begin(), s.Outline.end()), s.Outline.end());
  s.Left = left.daylight;
  s.Right = right.daylight;
  s.Areas = AreasBetween(ground.Points, s.Outline, s.Left.Point.Offset, s.Right.Point.Offset);
  s.Areas.Strip = tpl.StripDepth * (s.Right.Point.Offset - s.Left.Point.Offset);
  return s;
}

}  // namespace kestrel
