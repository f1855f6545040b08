// The vertical-alignment table: reading its points in blocks and building the profile records.
#include "geometry/profile_table.h"

#include "util/number_text.h"

namespace kestrel {
namespace {

constexpr int kReadBlockRows = 512;

}  // namespace

std::vector<ProfilePoint> ReadProfilePoints(const RangeArg& table) {
  std::vector<ProfilePoint> points;
  for (int top = 0; top < table.Rows(); top += kReadBlockRows) {
    const Grid block = table.RowBlock(top, kReadBlockRows).Values();
    for (int r = 0; r < block.Rows(); ++r) {
      if (block.At(r, 0).AsText().empty()) return points;
      auto read = [&](int c) { return c < block.Columns() ? LeadingNumber(block.At(r, c).AsText()) : 0.0; };
      points.push_back({read(0), read(1), read(2)});
    }
  }
  return points;
}

VerticalProfile ProfileRecords(const std::vector<ProfilePoint>& points) {
  VerticalProfile records;
  for (size_t j = 0; j + 2 < points.size(); ++j) {
    VerticalCurve r;
    r.StartStation = points[j].Station;
    r.StartElevation = points[j].Elevation;
    r.PviStation = points[j + 1].Station;
    r.PviElevation = points[j + 1].Elevation;
    r.EndStation = points[j + 2].Station;
    r.EndElevation = points[j + 2].Elevation;
    r.Radius = points[j + 1].Radius;
    records.push_back(r);
  }
  return records;
}

int LoadProfileFromRange(const RangeArg& table, VerticalProfile& profile) {
  if (table.Columns() != 3) return -1;
  const std::vector<ProfilePoint> points = ReadProfilePoints(table);
  if (points.size() < 3) return -2;
  profile = ProfileRecords(points);
  for (VerticalCurve& r : profile) ComputeCurveElements(r);
  return 1;
}

}  // namespace kestrel
