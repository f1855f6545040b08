// Design sections: the outline run out to the ground, its flags, and the areas (worked by hand).
#include "earthworks/design_section.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// Both sides: half width 4, no shoulder, flat road, the given slopes.
DesignTemplate Simple() {
  DesignTemplate tpl;
  for (SideTemplate* s : {&tpl.Left, &tpl.Right}) {
    s->HalfWidth = 4;
    s->ShoulderWidth = 0;
    s->FillStages = {{2, 0}};
    s->CutStages = {{1, 0}};
    s->Ditch = {1, 1, 1, 1};
  }
  return tpl;
}

void ExpectPoints(const std::vector<SectionPoint>& got, const std::vector<SectionPoint>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].Offset, want[i].Offset, 1e-9) << i;
    EXPECT_NEAR(got[i].Level, want[i].Level, 1e-9) << i;
  }
}

RoadAtStation Road(double centre) {
  RoadAtStation road;
  road.CentreLevel = centre;
  road.LeftCrossSlope = road.RightCrossSlope = 0;
  return road;
}

TEST(DesignSectionTest, FillOnFlatGroundRunsToTheToes) {
  const DesignSection s = DesignSectionAt({100, {{-20, 10}, {20, 10}}}, Road(12), Simple());
  ExpectPoints(s.Outline, {{-8, 10}, {-4, 12}, {0, 12}, {4, 12}, {8, 10}});
  EXPECT_TRUE(s.Left.Fill && s.Right.Fill);
  EXPECT_FALSE(s.Left.GroundExtended || s.Right.GroundExtended);
  EXPECT_NEAR(s.Areas.FillLeft, 12, 1e-9);
  EXPECT_NEAR(s.Areas.FillRight, 12, 1e-9);
  EXPECT_DOUBLE_EQ(s.Areas.Cut(), 0);
  EXPECT_DOUBLE_EQ(s.CentreGroundLevel, 10);
}

TEST(DesignSectionTest, CutRunsThroughTheDitchUpToTheTop) {
  DesignTemplate tpl = Simple();
  tpl.StripDepth = 0.5;
  const DesignSection s = DesignSectionAt({100, {{-30, 15}, {0, 15}, {30, 15}}}, Road(12), tpl);
  // Edge (4,12), ditch (5,11) (6,11), top of ditch (7,12), cut 1:1 up to the ground at 15.
  ExpectPoints(s.Outline, {{-10, 15}, {-7, 12}, {-6, 11}, {-5, 11}, {-4, 12}, {0, 12}, {4, 12}, {5, 11}, {6, 11},
                           {7, 12}, {10, 15}});
  EXPECT_FALSE(s.Right.Fill);
  EXPECT_NEAR(s.Left.Point.Offset, -10, 1e-9);
  // 3 x 4 + 3.5 + 4 + 3.5 + 3 x 3 / 2 per side.
  EXPECT_NEAR(s.Areas.CutLeft, 27.5, 1e-9);
  EXPECT_NEAR(s.Areas.CutRight, 27.5, 1e-9);
  EXPECT_DOUBLE_EQ(s.Areas.Fill(), 0);
  EXPECT_NEAR(s.Areas.Strip, 10, 1e-9);  // 0.5 x 20
}

TEST(DesignSectionTest, GroundThatEndsTooSoonIsExtendedLevelAndFlagged) {
  // Measured on the right only, to offset 6: both toes lie on the extended ground.
  const DesignSection s = DesignSectionAt({100, {{0, 10}, {6, 10}}}, Road(12), Simple());
  EXPECT_TRUE(s.Left.GroundExtended);
  EXPECT_TRUE(s.Right.GroundExtended);
  EXPECT_NEAR(s.Right.Point.Offset, 8, 1e-9);
  EXPECT_NEAR(s.Areas.Fill(), 24, 1e-9);

  const DesignSection inside = DesignSectionAt({100, {{-8, 10}, {8, 10}}}, Road(12), Simple());
  EXPECT_FALSE(inside.Left.GroundExtended || inside.Right.GroundExtended);
}

TEST(DesignSectionTest, CrossSlopeWideningBermsAndTheSubgrade) {
  DesignTemplate tpl = Simple();
  tpl.Right.HalfWidth = 3.5;
  tpl.Right.ShoulderWidth = 1;
  tpl.Right.ShoulderSlope = -4;
  tpl.Right.FillStages = {{1.5, 2}, {2, 0}};
  tpl.Right.FillBermWidth = 1;
  tpl.PavementThickness = 0.5;
  tpl.AreasTo = AreaSurface::Subgrade;
  RoadAtStation road = Road(20);
  road.RightCrossSlope = -2;
  road.RightWidening = 0.5;
  const DesignSection s = DesignSectionAt({100, {{-30, 10}, {30, 10}}}, road, tpl);
  // Centre 19.5 after the pavement; edge at 4: 19.42; shoulder edge at 5: 19.38; 1:1.5 down 2 to
  // (8, 17.38); berm to (9, 17.38); 1:2 down 7.38 to (23.76, 10).
  ExpectPoints(s.Outline, {{-23, 10}, {-4, 19.5}, {0, 19.5}, {4, 19.42}, {5, 19.38}, {8, 17.38}, {9, 17.38},
                           {23.76, 10}});
  EXPECT_DOUBLE_EQ(s.CentreDesignLevel, 20);
}

TEST(DesignSectionTest, AreasSurviveVerticalStepsDuplicatesAndCrossings) {
  const std::vector<SectionPoint> flat{{-2, 0}, {2, 0}};
  // A wall at offset 1 (repeated point included): cut 1 x 1 + 1 x 1 on [-2, 1], fill 1 x 1 beyond.
  const SectionAreas wall = AreasBetween({{-2, 1}, {0, 1}, {0, 1}, {1, 1}, {1, -1}, {2, -1}}, flat, -2, 2);
  EXPECT_DOUBLE_EQ(wall.CutLeft, 2);
  EXPECT_DOUBLE_EQ(wall.CutRight, 1);
  EXPECT_DOUBLE_EQ(wall.FillRight, 1);
  EXPECT_DOUBLE_EQ(wall.FillLeft, 0);
  // A zigzag crossing four times: triangles of 0.25 each.
  const SectionAreas zigzag = AreasBetween({{-2, 1}, {-1, -1}, {0, 1}, {1, -1}, {2, 1}}, flat, -2, 2);
  EXPECT_DOUBLE_EQ(zigzag.Cut(), 1.0);
  EXPECT_DOUBLE_EQ(zigzag.Fill(), 1.0);
  EXPECT_DOUBLE_EQ(zigzag.CutLeft, 0.5);
}

}  // namespace
}  // namespace kestrel
