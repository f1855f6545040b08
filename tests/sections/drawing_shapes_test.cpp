// The shapes of a draw-data plan: one per command column entry, the level labels' forms.
#include "sections/drawing_shapes.h"

#include "sections/drawing_fixture.h"

namespace kestrel {
namespace {

class DrawingShapesTest : public DrawingFixture {};

TEST_F(DrawingShapesTest, OneShapeForEveryEntryOfTheColumns) {
  WorkedExample();
  const DrawingShapes shapes = ShapesOfPlan(Draw());
  ASSERT_EQ(shapes.sectionLines.size(), 2u);
  EXPECT_EQ(shapes.sectionLines[1], (std::vector<PlanePoint>{{397, 20}, {403, 22}}));
  ASSERT_EQ(shapes.stationLabels.size(), 2u);
  EXPECT_EQ(TextCommand(shapes.stationLabels[0]), ColumnTexts(13)[0]);
  ASSERT_EQ(shapes.levelLabels.size(), ColumnTexts(15).size());
  EXPECT_EQ(shapes.centrePoints.size(), 2u);
  EXPECT_DOUBLE_EQ(shapes.centrePoints[0].y, 10 + 2.0 / 6 * 4);
  EXPECT_EQ(shapes.markerSize, 0.7);
}

TEST_F(DrawingShapesTest, CentrePointsOnlyWhereTheCentreLevelWasMeasured) {
  int row = 1;
  Section(row, 100, {{-4, 10}, {0, 12.5}, {6, 11}});
  Section(row, 120, {{1, 20}, {3, 22}});  // nothing left of the centre line
  const DrawingShapes shapes = ShapesOfPlan(Draw());
  ASSERT_EQ(shapes.centrePoints.size(), 1u);
  EXPECT_EQ(shapes.centrePoints[0], (PlanePoint{200, 12.5}));
  EXPECT_EQ(ColumnTexts(12), (std::vector<std::string>{"12.5"}));  // the measured centre column agrees
}

TEST_F(DrawingShapesTest, TheStationHeightIsTheOneTheCommandTypes) {
  WorkedExample();
  const DrawingShapes shapes = ShapesOfPlan(Draw([](FormSet& f) { f.TextBoxZHsize.text = "2.0004"; }));
  // Three decimals at most, the point kept: "2." is what AutoCAD reads, and it reads 2.
  EXPECT_EQ(shapes.stationLabels[0].heightText, "2.");
  EXPECT_EQ(shapes.stationLabels[0].height, 2);
  EXPECT_EQ(ColumnTexts(13)[0], "-text j MC 200,20 2. 0 K0+100.000");
}

TEST(LevelLabelShape, TheTriangleAndTextsOfBothForms) {
  const LevelLabel label{200, 100, "100", "-4", 1.4};  // h = 2
  const LevelLabelShape plain = LevelLabelShapeOf(label, false);
  EXPECT_EQ(plain.triangle[0], (PlanePoint{200, 100}));
  EXPECT_EQ(plain.triangle[1], (PlanePoint{200.8, 101.2}));
  EXPECT_EQ(plain.triangle[2], (PlanePoint{199.2, 101.2}));
  ASSERT_EQ(plain.texts.size(), 1u);
  EXPECT_DOUBLE_EQ(plain.texts[0].y, 102.1);
  EXPECT_EQ(plain.texts[0].heightText, "1.4");
  const LevelLabelShape withOffsets = LevelLabelShapeOf(label, true);
  ASSERT_EQ(withOffsets.texts.size(), 2u);
  EXPECT_EQ(withOffsets.texts[0].text, "%%U100");
  EXPECT_DOUBLE_EQ(withOffsets.texts[0].y, 104);
  EXPECT_EQ(withOffsets.texts[1].text, "-4");
  EXPECT_DOUBLE_EQ(withOffsets.texts[1].y, 102.1);
}

}  // namespace
}  // namespace kestrel
