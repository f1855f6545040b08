// The shapes of a draw-data plan: one per command column entry, the text codes, the extents.
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

TEST(ShownText, AutoCadCodesBecomeSignsAndUnderlines) {
  auto runs = ShownTextOf("%%U11.333");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "11.333");
  EXPECT_TRUE(runs[0].underlined);
  runs = ShownTextOf("a%%ub%%uc");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_FALSE(runs[0].underlined);
  EXPECT_EQ(runs[1].text, "b");
  EXPECT_TRUE(runs[1].underlined);
  EXPECT_FALSE(runs[2].underlined);
  runs = ShownTextOf("45%%d %%p0.5 %%c8 50%%% K0+100");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "45\u00B0 \u00B10.5 \u23008 50% K0+100");
  EXPECT_EQ(ShownTextOf("%%")[0].text, "%%");
}

TEST(DrawingExtents, TextsCountAsTheirMiddleCentreBoxes) {
  DrawingShapes shapes;
  shapes.sectionLines.push_back({{0, 0}, {10, 5}});
  shapes.stationLabels.push_back(MakeLabelText(5, 20, "2", "abcd"));
  const DrawingExtents e = ExtentsOf(shapes, [](const LabelText& t) { return 3.0 * t.height; });
  EXPECT_FALSE(e.empty);
  EXPECT_EQ(e.minX, 0);
  EXPECT_EQ(e.maxX, 10);
  EXPECT_EQ(e.minY, 0);
  EXPECT_EQ(e.maxY, 21);
  shapes.stationLabels[0].x = -10;
  EXPECT_EQ(ExtentsOf(shapes, [](const LabelText& t) { return 3.0 * t.height; }).minX, -13);
  EXPECT_TRUE(ExtentsOf(DrawingShapes{}).empty);
}

}  // namespace
}  // namespace kestrel
