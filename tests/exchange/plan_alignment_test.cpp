// The centre line in plan: clothoids against their series, arcs against the circle, a curve's
// total deflection, and station-coordinate tables.
#include "exchange/plan_alignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "exchange/xml_reader.h"
#include "plan_chain.h"

namespace kestrel {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(PlanAlignment, ClothoidAgreesWithItsSeriesAndArcWithTheCircle) {
  // A clothoid from a straight heading north, turning right to R 300 over 120 m (A² = 36000),
  // against the classic series in t = l²/2A²: x = l Σ (-1)ⁿ t²ⁿ / ((4n+1)(2n)!),
  // y = l Σ (-1)ⁿ t²ⁿ⁺¹ / ((4n+3)(2n+1)!).
  const double a2 = 300.0 * 120.0;
  for (double l : {30.0, 60.0, 120.0}) {
    const double t = l * l / (2 * a2);
    double x = 0, y = 0, factorial = 1;  // (2n)!
    for (int n = 0; n < 8; ++n) {
      if (n > 0) factorial *= (2 * n - 1) * (2 * n);
      const double sign = n % 2 ? -1 : 1;
      x += sign * l * std::pow(t, 2 * n) / ((4 * n + 1) * factorial);
      y += sign * l * std::pow(t, 2 * n + 1) / ((4 * n + 3) * factorial * (2 * n + 1));
    }
    const PlanPose pose = RunAlong({{1000, 2000}, 0}, 0, 1.0 / 300, 120, l);
    EXPECT_NEAR(pose.Point.Northing, 1000 + x, 1e-8) << l;
    EXPECT_NEAR(pose.Point.Easting, 2000 + y, 1e-8) << l;
    EXPECT_NEAR(pose.Azimuth, t, 1e-12);
  }
  // A quarter circle of R 100 to the left from heading east.
  const PlanPose arc = RunAlong({{0, 0}, kPi / 2}, -0.01, -0.01, 50 * kPi, 50 * kPi);
  EXPECT_NEAR(arc.Point.Northing, 100, 1e-9);
  EXPECT_NEAR(arc.Point.Easting, 100, 1e-9);
  EXPECT_NEAR(arc.Azimuth, 0, 1e-12);
}

TEST(PlanAlignment, StationsRunThroughLineSpiralArcSpiral) {
  // Straight 100 m, clothoid 120 m to R 300, arc 100 m, clothoid 120 m back: deflection
  // 120/600 + 100/300 + 120/600 radians.
  const std::vector<PlanElement> elements = Chain({{0, 0}, 0.3}, 500,
                                                 {{PlanElementKind::Line, 100, 0, 0},
                                                  {PlanElementKind::Clothoid, 120, 0, 1.0 / 300},
                                                  {PlanElementKind::Arc, 100, 1.0 / 300, 1.0 / 300},
                                                  {PlanElementKind::Clothoid, 120, 1.0 / 300, 0}});
  const PlanAlignment alignment(elements);
  EXPECT_NEAR(alignment.PoseAt(940).Azimuth, 0.3 + 0.2 + 1.0 / 3 + 0.2, 1e-12);
  EXPECT_NEAR(alignment.PoseAt(550).Point.Northing, 50 * std::cos(0.3), 1e-9);
  // Continuous at every joint; past the end, straight on.
  for (const PlanElement& e : elements) {
    const PlanPose before = alignment.PoseAt(e.StartStation - 1e-9), after = alignment.PoseAt(e.StartStation);
    EXPECT_NEAR(before.Point.Northing, after.Point.Northing, 1e-6);
    EXPECT_NEAR(before.Point.Easting, after.Point.Easting, 1e-6);
  }
  const PlanPose end = alignment.PoseAt(940), beyond = alignment.PoseAt(950);
  EXPECT_NEAR(beyond.Point.Northing - end.Point.Northing, 10 * std::cos(end.Azimuth), 1e-9);
  EXPECT_NEAR(beyond.Azimuth, end.Azimuth, 1e-12);
}

TEST(PlanAlignment, TableRowsGiveAChainThroughTheirPoints) {
  const std::vector<StationCoordinate> table = TableFromRows({
      {"桩号", "X", "Y", "方位角"},
      {"K1+020", "1020", "500", "90°0'0\""},
      {""},
      {"1000", "1000", "500", "45.5"},
      {"K1+040.000", "1020", "520"},
  });
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].Station, 1020);
  EXPECT_DOUBLE_EQ(*table[0].AzimuthDegrees, 90);
  EXPECT_DOUBLE_EQ(*table[1].AzimuthDegrees, 45.5);
  EXPECT_FALSE(table[2].AzimuthDegrees);
  const PlanAlignment chain = AlignmentFromTable(table);
  ASSERT_EQ(chain.Elements().size(), 2u);
  EXPECT_TRUE(chain.FromTable());
  for (const StationCoordinate& row : table) {
    EXPECT_NEAR(chain.PoseAt(row.Station).Point.Northing, row.Point.Northing, 1e-9);
    EXPECT_NEAR(chain.PoseAt(row.Station).Point.Easting, row.Point.Easting, 1e-9);
  }
  EXPECT_NEAR(chain.PoseAt(1030).Point.Easting, 510, 1e-9);
  EXPECT_NEAR(chain.PoseAt(1030).Azimuth, kPi / 2, 1e-12);

  EXPECT_THROW(TableFromRows({{"K1+000", "1000", "east"}}), ExchangeError);
  EXPECT_THROW(TableFromRows({{"1000", "1", "2", "north"}}), ExchangeError);
  EXPECT_THROW(AlignmentFromTable({{1000, {1, 2}, {}}}), ExchangeError);
  EXPECT_THROW(AlignmentFromTable({{1000, {1, 2}, {}}, {1000, {3, 4}, {}}}), ExchangeError);
  EXPECT_THROW(AlignmentFromTable({{1000, {1, 2}, {}}, {1010, {1, 2}, {}}}), ExchangeError);
}

}  // namespace
}  // namespace kestrel
