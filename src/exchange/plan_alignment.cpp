// The road's centre line in plan: lines, circular arcs and clothoids by station, and the position
// and direction they give at any station.
#include "exchange/plan_alignment.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "exchange/xml_reader.h"
#include "util/number_text.h"

namespace kestrel {

PlanPose RunAlong(const PlanPose& start, double k0, double k1, double length, double distance) {
  const double rate = length > 0 ? (k1 - k0) / length : 0;  // curvature change per metre
  auto heading = [&](double s) { return start.Azimuth + k0 * s + rate * s * s / 2; };
  PlanPose end;
  end.Azimuth = heading(distance);
  if (rate == 0 && k0 == 0) {
    end.Point = {start.Point.Northing + distance * std::cos(start.Azimuth),
                 start.Point.Easting + distance * std::sin(start.Azimuth)};
  } else if (rate == 0) {  // an arc: the chord at the mean direction
    const double chord = 2 * std::sin(k0 * distance / 2) / k0;
    const double mean = start.Azimuth + k0 * distance / 2;
    end.Point = {start.Point.Northing + chord * std::cos(mean), start.Point.Easting + chord * std::sin(mean)};
  } else {
    // Five-point Gauss-Legendre on pieces of at most 10 m.
    static constexpr double kNodes[] = {0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640,
                                        0.9061798459386640};
    static constexpr double kWeights[] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                                          0.2369268850561891, 0.2369268850561891};
    // (At most 100,000 pieces: a kilometre of clothoid takes 100; nothing real takes more.)
    const int pieces = static_cast<int>(std::clamp(std::ceil(std::abs(distance) / 10), 1.0, 100000.0));
    const double h = distance / pieces;
    double dn = 0, de = 0;
    for (int p = 0; p < pieces; ++p) {
      const double mid = (p + 0.5) * h;
      for (int i = 0; i < 5; ++i) {
        const double theta = heading(mid + kNodes[i] * h / 2);
        dn += kWeights[i] * std::cos(theta) * h / 2;
        de += kWeights[i] * std::sin(theta) * h / 2;
      }
    }
    end.Point = {start.Point.Northing + dn, start.Point.Easting + de};
  }
  return end;
}

PlanPose PlanAlignment::PoseAt(double station) const {
  if (elements_.empty()) return {};
  auto it = std::upper_bound(elements_.begin(), elements_.end(), station,
                             [](double s, const PlanElement& e) { return s < e.EndStation; });
  const PlanElement& e = it == elements_.end() ? elements_.back() : *it;
  const double span = e.EndStation - e.StartStation;
  const double scale = span > 0 ? e.Length / span : 1;
  const double along = (station - e.StartStation) * scale;
  if (along < 0 || along > e.Length) {  // beyond either end: straight on
    const PlanPose at = along < 0 ? e.Start : EndOf(e);
    return RunAlong(at, 0, 0, 0, along < 0 ? along : along - e.Length);
  }
  return RunAlong(e.Start, e.StartCurvature, e.EndCurvature, e.Length, along);
}

PlanPose PlanAlignment::EndOf(const PlanElement& element) const {
  return RunAlong(element.Start, element.StartCurvature, element.EndCurvature, element.Length, element.Length);
}

PlanAlignment AlignmentFromTable(std::vector<StationCoordinate> rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const StationCoordinate& a, const StationCoordinate& b) { return a.Station < b.Station; });
  if (rows.size() < 2) throw ExchangeError("the station-coordinate table needs at least two stations");
  std::vector<PlanElement> elements;
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
    const StationCoordinate& a = rows[i];
    const StationCoordinate& b = rows[i + 1];
    const double dn = b.Point.Northing - a.Point.Northing, de = b.Point.Easting - a.Point.Easting;
    const double length = std::hypot(dn, de);
    if (b.Station == a.Station) throw ExchangeError("the station-coordinate table gives " + StationText(a.Station) + " twice");
    if (length == 0)
      throw ExchangeError("the station-coordinate table puts " + StationText(a.Station) + " and " +
                          StationText(b.Station) + " on one point");
    PlanElement line;
    line.StartStation = a.Station;
    line.EndStation = b.Station;
    line.Length = length;
    line.Start = {a.Point, std::atan2(de, dn)};
    elements.push_back(line);
  }
  PlanAlignment alignment(std::move(elements));
  alignment.SetFromTable(true);
  return alignment;
}

std::optional<double> ParseStation(const std::string& text) {
  if (std::optional<double> number = StrictNumber(text)) return number;
  std::string t;
  for (char c : text)
    if (c != ' ') t += c;
  if (t.empty() || (t[0] != 'K' && t[0] != 'k')) return std::nullopt;
  const std::size_t plus = t.find('+');
  if (plus == std::string::npos) return std::nullopt;
  const std::optional<double> km = StrictNumber(t.substr(1, plus - 1));
  const std::optional<double> m = StrictNumber(t.substr(plus + 1));
  if (!km || !m || *km < 0 || *m < 0) return std::nullopt;
  return *km * 1000 + *m;
}

namespace {

// Decimal degrees, or degrees, minutes and seconds: 58°30'15" (also with ′ ″ or - separators).
std::optional<double> ParseAzimuth(const std::string& text) {
  if (std::optional<double> number = StrictNumber(text)) return number;
  std::vector<double> parts;
  std::string digits;
  auto flush = [&] {
    if (digits.empty()) return true;
    std::optional<double> v = StrictNumber(digits);
    digits.clear();
    if (!v) return false;
    parts.push_back(*v);
    return true;
  };
  for (unsigned char c : text) {
    if ((c >= '0' && c <= '9') || c == '.') digits += static_cast<char>(c);
    else if (!flush()) return std::nullopt;
  }
  if (!flush() || parts.empty() || parts.size() > 3) return std::nullopt;
  double degrees = 0, unit = 1;
  for (double p : parts) {
    degrees += p / unit;
    unit *= 60;
  }
  return degrees;
}

}  // namespace

std::vector<StationCoordinate> TableFromRows(const std::vector<std::vector<std::string>>& rows) {
  std::vector<StationCoordinate> table;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::vector<std::string>& row = rows[r];
    if (row.empty()) continue;
    const std::optional<double> station = ParseStation(row[0]);
    if (!station) continue;
    const std::string where = "station-coordinate table row " + std::to_string(r + 1);
    std::optional<double> x = row.size() > 1 ? StrictNumber(row[1]) : std::nullopt;
    std::optional<double> y = row.size() > 2 ? StrictNumber(row[2]) : std::nullopt;
    if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y))
      throw ExchangeError(where + ": X and Y must be numbers");
    StationCoordinate entry{*station, {*x, *y}, std::nullopt};
    if (row.size() > 3 && !row[3].empty()) {
      entry.AzimuthDegrees = ParseAzimuth(row[3]);
      if (!entry.AzimuthDegrees) throw ExchangeError(where + ": the azimuth \"" + row[3] + "\" is not an angle");
    }
    table.push_back(entry);
  }
  return table;
}

}  // namespace kestrel
