// The road's centre line in plan: lines, circular arcs and clothoids by station, and the position
// and direction they give at any station.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// A plan position: northing (X of Chinese road documents) and easting (Y), metres.
struct PlanPoint {
  double Northing = 0;
  double Easting = 0;
};

// Position and direction on the centre line; azimuth in radians clockwise from north.
struct PlanPose {
  PlanPoint Point;
  double Azimuth = 0;
};

enum class PlanElementKind { Line, Arc, Clothoid };

// One element, station from StartStation to EndStation. Curvature in 1/m, positive turning
// clockwise (to the right); constant on lines (0) and arcs, linear in length on a clothoid.
// For an element made from two stations of a coordinate table, the stations may differ from the
// element's length: a station then maps in proportion onto it.
struct PlanElement {
  PlanElementKind Kind = PlanElementKind::Line;
  double StartStation = 0;
  double EndStation = 0;
  double Length = 0;
  PlanPose Start;
  double StartCurvature = 0;
  double EndCurvature = 0;
};

// A pose after running a length along a curve of linearly changing curvature (k0 at the
// start, k1 after `length`) from a start pose, `distance` along it. Exact for lines and arcs,
// Gauss-Legendre integration for clothoids (well under a micrometre per kilometre).
PlanPose RunAlong(const PlanPose& start, double k0, double k1, double length, double distance);

class PlanAlignment {
 public:
  PlanAlignment() = default;
  explicit PlanAlignment(std::vector<PlanElement> elements) : elements_(std::move(elements)) {}

  const std::vector<PlanElement>& Elements() const { return elements_; }
  bool Empty() const { return elements_.empty(); }
  double StartStation() const { return elements_.front().StartStation; }
  double EndStation() const { return elements_.back().EndStation; }
  // Whether it came from a station-coordinate table (a chain of lines through its points).
  bool FromTable() const { return fromTable_; }
  void SetFromTable(bool fromTable) { fromTable_ = fromTable; }

  // The pose at a station; before the start or past the end, along the first or last
  // element's direction.
  PlanPose PoseAt(double station) const;
  // The pose at the end of an element.
  PlanPose EndOf(const PlanElement& element) const;

 private:
  std::vector<PlanElement> elements_;
  bool fromTable_ = false;
};

// One row of a station-coordinate table (逐桩坐标表).
struct StationCoordinate {
  double Station = 0;
  PlanPoint Point;
  std::optional<double> AzimuthDegrees;  // clockwise from north, when the table gives it
};

// The chain of lines through the table's points in station order. Throws ExchangeError for
// fewer than two rows, two rows at one station or at one point.
PlanAlignment AlignmentFromTable(std::vector<StationCoordinate> rows);

// A table from rows of cells as text: station (a number or K12+200.000), X northing, Y easting,
// optionally the azimuth in decimal degrees or as 58°30'15". Rows whose first cell is not a
// station (headers, blanks) are skipped; a row with a station but no coordinates is refused
// (ExchangeError naming its row, counted from 1).
std::vector<StationCoordinate> TableFromRows(const std::vector<std::vector<std::string>>& rows);

// A station as typed: 12200.5 or "K12+200.500".
std::optional<double> ParseStation(const std::string& text);

}  // namespace kestrel
