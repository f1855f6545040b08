// Segment volumes against closed forms worked by hand.
#include "haul/segment_volumes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

// A level section of road width b with side slopes 1:n at centre height h (fill +, cut −).
HaulStation Level(double station, double h, double b, double n) {
  const double depth = std::abs(h), area = depth * (b + n * depth);
  HaulStation s{station, h < 0 ? area : 0, h > 0 ? area : 0, h, b + 2 * n * depth};
  return s;
}

// A section known only by its areas (a volume sheet's).
HaulStation Areas(double station, double cut, double fill) {
  HaulStation s;
  s.Station = station;
  s.Cut = cut;
  s.Fill = fill;
  return s;
}

TEST(SegmentVolumesTest, PrismoidalCorrectionOfALevelSectionIsLnTimesHeightDifferenceSquaredOverSix) {
  VolumeRules rules;
  rules.Prismoidal = true;
  for (const double sign : {+1.0, -1.0}) {
    const double L = 25, n = 1.5, b = 12, h1 = 2.0 * sign, h2 = 5.5 * sign;
    const std::vector<SegmentVolume> v = SegmentVolumes({Level(100, h1, b, n), Level(125, h2, b, n)}, rules);
    ASSERT_EQ(v.size(), 1u);
    const PartVolume& part = sign > 0 ? v[0].Fill : v[0].Cut;
    EXPECT_EQ(part.Form, VolumeForm::Prismoidal);
    EXPECT_NEAR(part.Correction, L * n * (h1 - h2) * (h1 - h2) / 6, 1e-9);
    // The corrected volume is the prismoidal formula L/6 (A1 + 4 Am + A2), exact for this solid.
    const double a1 = std::abs(h1) * (b + n * std::abs(h1)), a2 = std::abs(h2) * (b + n * std::abs(h2));
    const double hm = (std::abs(h1) + std::abs(h2)) / 2, am = hm * (b + n * hm);
    EXPECT_NEAR(part.Volume, L / 6 * (a1 + 4 * am + a2), 1e-9);
    EXPECT_EQ((sign > 0 ? v[0].Cut : v[0].Fill).Volume, 0);
  }
}

TEST(SegmentVolumesTest, TheCorrectionFollowsItsClosedFormOnHandWorkedSections) {
  // c1 = 2, D1 = 18; c2 = 4, D2 = 26; L = 20: Cp = 20/12 · (2 − 4)(18 − 26) = 26.667.
  HaulStation a{0, 0, 10, 2, 18}, b{20, 0, 30, 4, 26};
  VolumeRules rules;
  rules.Prismoidal = true;
  const SegmentVolume v = SegmentVolumes({a, b}, rules)[0];
  EXPECT_NEAR(v.Fill.Correction, 80.0 / 3, 1e-12);
  EXPECT_NEAR(v.Fill.Volume, 400 - 80.0 / 3, 1e-12);
  // Without the design's heights, or with a section that is part cut, the average end areas stay.
  b.Cut = 1;
  EXPECT_EQ(SegmentVolumes({a, b}, rules)[0].Fill.Form, VolumeForm::AverageEndArea);
  EXPECT_NEAR(SegmentVolumes({a, b}, rules)[0].Fill.Volume, 400, 1e-12);
}

TEST(SegmentVolumesTest, FrustumPyramidAndBridgesByHand) {
  VolumeRules rules;
  rules.FrustumRatio = 3;
  rules.Pyramid = true;
  // Areas 4 and 36 over 30 m (ratio 9 > 3): 30/3 · (4 + 36 + 12) = 520 instead of 600.
  const HaulStation a = Areas(0, 4, 0), b = Areas(30, 36, 0);
  EXPECT_NEAR(SegmentVolumes({a, b}, rules)[0].Cut.Volume, 520, 1e-12);
  EXPECT_EQ(SegmentVolumes({a, b}, rules)[0].Cut.Form, VolumeForm::Frustum);
  // Cut 18 to nothing where fill 9 begins, 20 m: pyramids 18·20/3 = 120 and 9·20/3 = 60.
  const HaulStation c = Areas(0, 18, 0), d = Areas(20, 0, 9);
  const SegmentVolume change = SegmentVolumes({c, d}, rules)[0];
  EXPECT_NEAR(change.Cut.Volume, 120, 1e-12);
  EXPECT_NEAR(change.Fill.Volume, 60, 1e-12);
  // A cut that merely ends (no fill beyond) keeps its average end area.
  const HaulStation e = Areas(20, 0, 0);
  EXPECT_NEAR(SegmentVolumes({c, e}, rules)[0].Cut.Volume, 180, 1e-12);
  // A 25 m bridge from 110 to 135 within 100..140 leaves 15 m: (10 + 20)/2 · 15 = 225.
  VolumeRules bridge;
  bridge.Excluded = {{110, 135}, {500, 600}};
  const SegmentVolume spanned = SegmentVolumes({Areas(100, 10, 0), Areas(140, 20, 0)}, bridge)[0];
  EXPECT_NEAR(spanned.Length, 15, 1e-12);
  EXPECT_NEAR(spanned.Excluded, 25, 1e-12);
  EXPECT_NEAR(spanned.Cut.Volume, 225, 1e-12);
}

}  // namespace
}  // namespace kestrel
