// Vertical curves: elements, elevations on and off the curve, the governing record and its search.
#include "geometry/vertical_curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/function_error.h"
#include "geometry/profile_table.h"

namespace kestrel {
namespace {

VerticalProfile Profile(const std::vector<ProfilePoint>& points) {
  VerticalProfile records = ProfileRecords(points);
  for (VerticalCurve& r : records) EXPECT_EQ(ComputeCurveElements(r), 1);
  return records;
}

// The worked profile: (0, 100), (300, 103) with R 6000, (700, 99).
VerticalProfile WorkedProfile(double radius = 6000) { return Profile({{0, 100, 0}, {300, 103, radius}, {700, 99, 0}}); }

// The textbook form, independent of the record layout: the grade line through the points plus,
// within a curve, the offset from the tangent, (distance to the nearer curve end)² / 2R, upwards
// on a sag and downwards on a crest.
double TextbookElevation(const std::vector<ProfilePoint>& points, double x) {
  size_t k = 0;
  while (k + 2 < points.size() && x > points[k + 1].Station) ++k;
  const ProfilePoint& a = points[k];
  const ProfilePoint& b = points[k + 1];
  double h = a.Elevation + (b.Elevation - a.Elevation) * (x - a.Station) / (b.Station - a.Station);
  for (size_t i = 1; i + 1 < points.size(); ++i) {
    const ProfilePoint& p = points[i];
    const double in = (p.Elevation - points[i - 1].Elevation) / (p.Station - points[i - 1].Station);
    const double out = (points[i + 1].Elevation - p.Elevation) / (points[i + 1].Station - p.Station);
    const double tangent = std::abs(p.Radius * (out - in) / 2);
    const double distance = std::min(x - (p.Station - tangent), (p.Station + tangent) - x);
    if (distance > 0) h += (out > in ? 1 : -1) * distance * distance / (2 * p.Radius);
  }
  return h;
}

TEST(VerticalCurve, WorkedProfileElements) {
  const VerticalCurve r = WorkedProfile()[0];
  EXPECT_DOUBLE_EQ(r.GradeIn, 0.01);
  EXPECT_DOUBLE_EQ(r.GradeOut, -0.01);
  EXPECT_DOUBLE_EQ(r.GradeChange, -0.02);
  EXPECT_DOUBLE_EQ(r.CurveStartStation, 240);
  EXPECT_DOUBLE_EQ(r.CurveEndStation, 360);
  EXPECT_DOUBLE_EQ(r.CurveStartElevation, 102.4);
}

TEST(VerticalCurve, WorkedProfileAtEveryListedStation) {
  const VerticalProfile profile = WorkedProfile();
  const std::pair<double, double> expected[] = {{300, 102.7}, {240, 102.4}, {360, 102.4}, {100, 101.0},
                                                {500, 101.0}, {-100, 99.0}, {800, 98.0}};
  for (auto [station, elevation] : expected) {
    EXPECT_NEAR(ProfileElevationAt(profile, station), elevation, 1e-9) << station;
    EXPECT_NEAR(ProfileElevationAt(profile, station, true), elevation, 1e-9) << station;
  }
}

TEST(VerticalCurve, WithoutRadiusThePviIsExact) {
  const VerticalProfile profile = WorkedProfile(0);
  EXPECT_EQ(profile[0].CurveStartStation, 300);
  EXPECT_EQ(profile[0].CurveEndStation, 300);
  EXPECT_EQ(ProfileElevationAt(profile, 300), 103);
  EXPECT_NEAR(ProfileElevationAt(profile, 299), 102.99, 1e-12);
  EXPECT_NEAR(ProfileElevationAt(profile, 301), 102.99, 1e-12);
}

TEST(VerticalCurve, ARadiusTypedNegativeCountsByItsMagnitude) {
  // The grades say crest or sag; the sign of the radius changes nothing, so the profile stays
  // continuous where the curve meets the outgoing grade (360 and just after it).
  const VerticalProfile negative = WorkedProfile(-6000);
  const std::vector<ProfilePoint> points = {{0, 100, 0}, {300, 103, 6000}, {700, 99, 0}};
  for (double station : {239.0, 250.0, 300.0, 359.999, 360.0, 360.001, 400.0}) {
    EXPECT_NEAR(ProfileElevationAt(negative, station), TextbookElevation(points, station), 1e-9) << station;
  }
}

TEST(VerticalCurve, NoChangeOfGradeHasNoCurve) {
  const VerticalProfile profile = Profile({{0, 100, 0}, {100, 101, 5000}, {200, 102, 0}});
  EXPECT_EQ(profile[0].GradeChange, 0);
  EXPECT_DOUBLE_EQ(ProfileElevationAt(profile, 100), 101);
  EXPECT_DOUBLE_EQ(ProfileElevationAt(profile, 150), 101.5);
}

TEST(VerticalCurve, SagCurveBendsUpwards) {
  const VerticalProfile profile = Profile({{0, 100, 0}, {300, 97, 6000}, {700, 101, 0}});
  EXPECT_NEAR(ProfileElevationAt(profile, 300), 97.3, 1e-9);
}

TEST(VerticalCurve, AtACurveEndTheNextRecordGivesTheSameElevation) {
  const std::vector<ProfilePoint> points = {{0, 100, 0}, {300, 103, 6000}, {700, 99, 4000}, {1200, 104, 0}};
  const VerticalProfile profile = Profile(points);
  ASSERT_EQ(profile.size(), 2u);
  EXPECT_EQ(FindCurveIndex(profile, 360), 1);
  EXPECT_EQ(FindCurveIndex(profile, 359.999), 0);
  EXPECT_NEAR(ProfileElevationAt(profile, 360), CurveElevation(360, profile[0]), 1e-9);
  EXPECT_NEAR(ProfileElevationAt(profile, 360), 102.4, 1e-9);
}

TEST(VerticalCurve, AgreesWithTheTextbookFormAlongAWholeRoad) {
  std::vector<ProfilePoint> points = {{12180, 311.2, 0}};
  const double grades[] = {0.012, -0.018, 0.025, 0.004, -0.03, 0.015, -0.005};
  for (int i = 0; i < 7; ++i) {
    const ProfilePoint& last = points.back();
    points.push_back({last.Station + 400 + 37 * i, last.Elevation + grades[i] * (400 + 37 * i), 3000.0 + 500 * i});
  }
  points.back().Radius = 0;
  const VerticalProfile profile = Profile(points);
  ASSERT_TRUE(CurveEndsIncrease(profile));
  for (double x = points.front().Station - 50; x <= points.back().Station + 50; x += 3.7) {
    EXPECT_NEAR(ProfileElevationAt(profile, x), TextbookElevation(points, x), 1e-8) << x;
  }
}

TEST(VerticalCurve, GoverningRecordBeforeBetweenAndAfterTheCurves) {
  const VerticalProfile profile = Profile({{0, 100, 0}, {300, 103, 6000}, {700, 99, 4000}, {1200, 104, 0}});
  // Curve 1 ends at 360; curve 2 runs from 700 - 4000 * 0.02 / 2 = 660 to 740.
  EXPECT_EQ(FindCurveIndex(profile, -1e9), 0);
  EXPECT_EQ(FindCurveIndex(profile, 500), 1);  // between the curves: the next record's incoming line
  EXPECT_EQ(FindCurveIndex(profile, 740), 1);  // at or past the last end: the last record
  EXPECT_EQ(FindCurveIndex(profile, 1e9), 1);
  EXPECT_NEAR(ProfileElevationAt(profile, 500), 101, 1e-9);
  EXPECT_EQ(FindCurveIndex({}, 10), -1);
  EXPECT_THROW(ProfileElevationAt({}, 10), FunctionError);
}

TEST(VerticalCurve, BinarySearchFindsWhatTheScanFinds) {
  // Increasing ends (the usual road), and overlapping curves whose ends go back, where only the
  // scan is allowed.
  VerticalProfile increasing = Profile({{0, 100, 0},
                                        {200, 104, 8000},
                                        {450, 99, 5000},
                                        {700, 101, 0},
                                        {900, 97, 12000},
                                        {1300, 103, 0}});
  VerticalProfile overlapping = Profile({{0, 100, 0}, {100, 110, 50000}, {150, 100, 100}, {400, 101, 0}});
  ASSERT_TRUE(CurveEndsIncrease(increasing));
  ASSERT_FALSE(CurveEndsIncrease(overlapping));
  for (double x = -100; x <= 1500; x += 0.25) {
    EXPECT_EQ(FindCurveIndex(increasing, x, true), FindCurveIndex(increasing, x)) << x;
  }
  // Repeated curve ends: the first record with an end beyond the station, as the scan says.
  VerticalProfile repeated(4);
  for (int k = 0; k < 4; ++k) repeated[k].CurveEndStation = k < 2 ? 10 : 20;
  for (double x : {5.0, 10.0, 15.0, 20.0, 25.0}) EXPECT_EQ(FindCurveIndex(repeated, x, true), FindCurveIndex(repeated, x));
}

TEST(VerticalCurve, TwoPointsAtOneStationStopTheElements) {
  VerticalCurve r{100, 100, 100, 101, 200, 102};
  r.Radius = 1000;
  r.CurveEndStation = 77;  // left from before
  EXPECT_EQ(ComputeCurveElements(r), 0);
  EXPECT_EQ(r.GradeIn, 0);
  EXPECT_EQ(r.CurveEndStation, 77);

  VerticalCurve out{0, 100, 100, 101, 100, 102};
  out.Radius = 1000;
  EXPECT_EQ(ComputeCurveElements(out), 0);
  EXPECT_DOUBLE_EQ(out.GradeIn, 0.01);  // the first step ran
  EXPECT_EQ(out.GradeOut, 0);
}

TEST(VerticalCurve, OverflowGivesZeroElevation) {
  VerticalCurve r{0, 0, 1, 1e308, 2, -1e308};
  r.Radius = 1;
  EXPECT_EQ(ComputeCurveElements(r), 0);
  VerticalCurve flat{0, 100, 100, 100, 200, 100};
  ASSERT_EQ(ComputeCurveElements(flat), 1);
  EXPECT_EQ(CurveElevation(1e308, flat), 100);
  flat.GradeOut = 1e300;
  EXPECT_EQ(CurveElevation(1e308, flat), 0);
}

}  // namespace
}  // namespace kestrel
