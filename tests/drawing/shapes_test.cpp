// What is measured on a drawing's shapes: the characters a TEXT shows, the extents.
#include "drawing/shapes.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

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
  shapes.stationLabels.push_back(LabelText{5, 20, "2", 2, "abcd"});
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
