// Cross-section sheets: the sections read from a sorted sheet, ordered, gridded, scaled and packed.
#include "earthworks/design_results.h"
#include "sections/section_sheets.h"

#include <cmath>
#include <tuple>

#include "sections/drawing_fixture.h"

namespace kestrel {
namespace {

class SectionSheetsTest : public DrawingFixture {
 protected:
  std::vector<SheetSection> Read(std::optional<double> from = std::nullopt, std::optional<double> to = std::nullopt) {
    return SheetSectionsOf(ReadSurveyedSections(Sheet()), *WorkbookDesignResults(book), from, to);
  }
};

// n sections 1 m high and 10 m wide, stations 0, 20, 40, ...
std::vector<SheetSection> FlatSections(int n) {
  std::vector<SheetSection> sections(n);
  for (int i = 0; i < n; ++i) {
    sections[i].station = 20.0 * i;
    sections[i].ground = {{-5, 100.2}, {5, 100.8}};
  }
  return sections;
}

TEST_F(SectionSheetsTest, SectionsInAscendingStationsWithTheirPointsByOffset) {
  int row = 1;
  Section(row, 140, {{6, 11}, {-4, 10}, {2, 12}});
  Section(row, 100, {{3, 22}, {-3, 20}});
  Section(row, 120, {{1, 5}});
  Section(row, 100, {{0, 7}});
  const std::vector<SheetSection> all = Read();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].stationText, "K0+100.000");
  EXPECT_EQ(all[0].ground, (std::vector<PlanePoint>{{-3, 20}, {3, 22}}));
  EXPECT_EQ(all[1].ground, (std::vector<PlanePoint>{{0, 7}}));  // the same station keeps the sheet's order
  EXPECT_EQ(all[2].stationText, "K0+120.000");
  EXPECT_EQ(all[3].ground, (std::vector<PlanePoint>{{-4, 10}, {2, 12}, {6, 11}}));
  EXPECT_DOUBLE_EQ(all[0].centreLevel, 21);
  EXPECT_DOUBLE_EQ(all[3].centreLevel, 10 + 2.0 * 4 / 6);
  EXPECT_EQ(all[2].centreLevel, 0);  // nothing left of the centre line
  EXPECT_FALSE(all[0].design);       // a workbook without design results
  const std::vector<SheetSection> some = Read(110, 140);
  ASSERT_EQ(some.size(), 2u);
  EXPECT_EQ(some[0].station, 120);
  EXPECT_EQ(some[1].station, 140);
}

TEST(SectionSheetLayout, BottomToTopInAColumnColumnsLeftToRightThenPages) {
  // A4 portrait: 263 mm of drawing height; a section 1 m high at 1:200 takes 11 + 5 + 5 = 21 mm,
  // so 12 go in a column, 24 on a page of two columns.
  const SheetLayout layout = LayOutSheets(FlatSections(50), {.paper = *PaperNamed("A4", false), .columns = 2});
  EXPECT_EQ(layout.pages, 3);
  EXPECT_EQ(layout.pageStart, (std::vector<size_t>{0, 24, 48}));
  for (size_t i = 0; i < 50; ++i) {
    const PlacedSection& p = layout.placed[i];
    EXPECT_EQ(p.section, i);
    EXPECT_EQ(p.page, static_cast<int>(i / 24));
    EXPECT_EQ(p.column, static_cast<int>(i % 24 / 12));
    EXPECT_FALSE(p.scaledDown);
    EXPECT_EQ(p.scale, 200);
    EXPECT_NEAR(p.cell.height, 21, 1e-9);
    // Inside its column and above the title block.
    EXPECT_GE(p.cell.top, layout.drawingArea.top - 1e-9);
    EXPECT_LE(p.cell.Bottom(), layout.drawingArea.Bottom() + 1e-9);
    EXPECT_LE(layout.drawingArea.Bottom(), layout.titleBlock.top);
    EXPECT_GE(p.X(p.minOffset) - 12, p.cell.left - 1e-9);
    EXPECT_LE(p.GridRight(), p.cell.Right());
    if (i % 12 != 0) {
      EXPECT_NEAR(layout.placed[i - 1].cell.top, p.cell.Bottom(), 1e-9) << i;  // the next one up
    }
  }
  EXPECT_NEAR(layout.placed[0].cell.Bottom(), layout.drawingArea.Bottom(), 1e-9);
  EXPECT_LT(layout.placed[0].cell.left, layout.placed[12].cell.left);
  // 1 m is 5 mm at 1:200 both ways; levels go up the page.
  const PlacedSection& p = layout.placed[0];
  EXPECT_EQ(std::make_pair(p.minLevel, p.maxLevel), std::make_pair(100.0, 101.0));
  EXPECT_NEAR(p.X(3) - p.X(0), 15, 1e-9);
  EXPECT_NEAR(p.Y(100) - p.Y(101), 5, 1e-9);
  // Doubled levels make the cells 5 mm higher: 26 mm, 10 to a column.
  const SheetLayout tall =
      LayOutSheets(FlatSections(50), {.paper = *PaperNamed("A4", false), .exaggeration = 2, .columns = 2});
  EXPECT_NEAR(tall.placed[0].Y(100) - tall.placed[0].Y(101), 10, 1e-9);
  EXPECT_EQ(tall.placed[10].column, 1);
  EXPECT_EQ(tall.pages, 3);
}

TEST(SectionSheetLayout, ColumnsByDefaultAsManyAsTheWidestSectionAllows) {
  // A3 landscape: 400 mm across; a 10 m section at 1:200 needs 50 + 16 mm: 6 columns.
  const SheetLayout layout = LayOutSheets(FlatSections(3), {.paper = *PaperNamed("A3", true)});
  EXPECT_EQ(layout.options.columns, 6);
  EXPECT_EQ(layout.placed[1].column, 0);
}

TEST(SectionSheetLayout, OnePointAndSectionsWiderThanTheColumn) {
  std::vector<SheetSection> sections(3);
  sections[0].ground = {{3.4, 250}};
  sections[1].ground = {{-150, 100}, {150, 101}};
  sections[2].ground.resize(500);
  for (int i = 0; i < 500; ++i) sections[2].ground[i] = {-12.5 + 0.05 * i, 300 + std::sin(i * 0.05)};
  const SheetLayout layout = LayOutSheets(sections, {.paper = *PaperNamed("A4", false), .columns = 1});
  // One point: a grid around it and the centre line, a metre high.
  const PlacedSection& one = layout.placed[0];
  EXPECT_EQ(std::make_tuple(one.minOffset, one.maxOffset, one.minLevel, one.maxLevel), std::make_tuple(0.0, 4.0, 250.0, 251.0));
  EXPECT_FALSE(one.scaledDown);
  // 300 m in a column of 190 - 16 = 174 mm: 1:1725 is the largest whole scale that fits.
  const PlacedSection& wide = layout.placed[1];
  EXPECT_TRUE(wide.scaledDown);
  EXPECT_EQ(wide.scale, 1725);
  EXPECT_LE(wide.GridRight(), wide.cell.Right());
  EXPECT_NEAR(wide.X(150) - wide.X(-150), 300 * 1000.0 / 1725, 1e-9);
  EXPECT_EQ(SectionNoteText(sections[1], wide, 1), "缩至 1:1725");
  EXPECT_EQ(layout.placed[2].scale, 200);
  EXPECT_EQ(std::make_pair(layout.placed[2].minOffset, layout.placed[2].maxOffset), std::make_pair(-13.0, 13.0));
}

// Mistyped sections: their grids are bounded by the page, whatever the metres; those that fit no
// scale (or hold no number) keep a small cell for their station and note, and leave the columns
// to the others.
TEST(SectionSheetLayout, SectionsOfAbsurdExtentsAreBoundedOrNoted) {
  std::vector<SheetSection> sections = FlatSections(5);
  sections[1].ground = {{-4, 10}, {0, 1e7}, {6, 11}};
  sections[2].ground = {{-1e11, 10}, {0, 12}, {1e11, 11}};
  sections[3].ground = {{-4, 10}, {0, NAN}, {6, 11}};
  sections[4].ground = {{-4, -1.7e308}, {6, 1.7e308}};  // a finite extent, an infinite height
  const SheetLayout layout = LayOutSheets(sections, {.paper = *PaperNamed("A4", false)});
  EXPECT_EQ(layout.options.columns, 2);  // as 10 m sections alone make it: 190 mm / (50 + 16) mm
  const PlacedSection& tall = layout.placed[1];
  EXPECT_TRUE(tall.drawable);
  EXPECT_GT(tall.scale, 10'000'000);
  for (const PlacedSection& p : layout.placed) {
    EXPECT_GE(p.gridStepY * p.mmPerMetreY, kNarrowestGrid);
    EXPECT_GE(p.gridStepX * p.mmPerMetreX, kNarrowestGrid);
    EXPECT_LT((p.maxLevel - p.minLevel) / p.gridStepY, p.cell.height / kNarrowestGrid + 1);
    EXPECT_LE(p.GridRight(), p.cell.Right() + 1e-9);
  }
  EXPECT_EQ(tall.gridStepY, 50000);  // 1e7 m at 0.027 mm a metre
  for (size_t i : {2, 3, 4}) {
    const PlacedSection& p = layout.placed[i];
    EXPECT_FALSE(p.drawable) << i;
    EXPECT_EQ(p.scale, 200) << i;
    EXPECT_EQ(std::make_tuple(p.minOffset, p.maxOffset, p.minLevel, p.maxLevel), std::make_tuple(-1.0, 1.0, 0.0, 1.0));
    EXPECT_EQ(SectionNoteText(sections[i], p, 1), kNotDrawableNote) << i;
  }
  EXPECT_EQ(GridStep(5), 1);
  EXPECT_EQ(GridStep(0.3), 5);
  EXPECT_EQ(GridStep(3e-12), 5e11);
}

TEST(SectionSheetLayout, PageAndScaleTexts) {
  EXPECT_EQ(PageNumberText(2, 7), "第 2 页 共 7 页");
  EXPECT_EQ(SheetScaleText(200, 1), "比例 1:200");
  EXPECT_EQ(SheetScaleText(200, 4), "比例 横 1:200 竖 1:50");
  EXPECT_FALSE(PaperNamed("B5", false));
  EXPECT_EQ(PaperNamed("a1", true)->width, 841);
}

// The signed area between two lines by sampling: the oracle for the regions.
double SampledArea(const std::vector<PlanePoint>& g, const std::vector<PlanePoint>& d, double from, double to) {
  auto at = [](const std::vector<PlanePoint>& line, double x) {
    for (size_t i = 1; i < line.size(); ++i)
      if (x <= line[i].x) return line[i - 1].y + (line[i].y - line[i - 1].y) * (x - line[i - 1].x) / (line[i].x - line[i - 1].x);
    return line.back().y;
  };
  const int n = 200000;
  double sum = 0;
  for (int k = 0; k < n; ++k) {
    const double x = from + (to - from) * (k + 0.5) / n;
    sum += at(g, x) - at(d, x);
  }
  return sum * (to - from) / n;
}

TEST(CutAndFill, RegionsBetweenTheGroundAndTheDesignOutline) {
  const auto simple = CutFillRegions({{-10, 1}, {10, 1}}, {{-10, 0}, {10, 2}});
  ASSERT_EQ(simple.size(), 2u);
  EXPECT_TRUE(simple[0].cut);
  EXPECT_NEAR(simple[0].area, 5, 1e-12);
  EXPECT_FALSE(simple[1].cut);
  EXPECT_NEAR(simple[1].area, 5, 1e-12);
  EXPECT_EQ(simple[0].outline.front(), (PlanePoint{-10, 1}));

  // A road in a cut with ditches, across an uneven ground; the design is shorter than the ground.
  const std::vector<PlanePoint> ground{{-20, 104}, {-12, 103.2}, {-6, 101.1}, {0, 100.4}, {5, 99.6}, {14, 98.9}, {22, 100.5}};
  const std::vector<PlanePoint> design{{-15, 103}, {-7, 100}, {-6, 99.5}, {-5, 100}, {5, 99.9}, {6, 99.4}, {7, 99.9}, {15, 101}};
  const auto regions = CutFillRegions(ground, design);
  double cut = 0, fill = 0;
  for (const CutFillRegion& r : regions) {
    (r.cut ? cut : fill) += r.area;
    ASSERT_GE(r.outline.size(), 3u);
    double twice = 0;  // the outline's own area, by the shoelace formula
    for (size_t i = 0; i < r.outline.size(); ++i) {
      const PlanePoint& a = r.outline[i];
      const PlanePoint& b = r.outline[(i + 1) % r.outline.size()];
      twice += a.x * b.y - b.x * a.y;
    }
    EXPECT_NEAR(std::fabs(twice) / 2, r.area, 1e-9);
  }
  EXPECT_GT(cut, 0);
  EXPECT_GT(fill, 0);
  EXPECT_NEAR(cut - fill, SampledArea(ground, design, -15, 15), 1e-6);
  EXPECT_TRUE(CutFillRegions({{0, 1}}, design).empty());

  // A ditch with straight walls: the outline steps down and up the walls.
  const auto ditch = CutFillRegions({{-10, 10}, {10, 10}}, {{-10, 9}, {-2, 9}, {-2, 8}, {2, 8}, {2, 9}, {10, 9}});
  ASSERT_EQ(ditch.size(), 1u);
  EXPECT_TRUE(ditch[0].cut);
  EXPECT_NEAR(ditch[0].area, 24, 1e-12);
  const std::vector<PlanePoint> walls{{-10, 9}, {-2, 9}, {-2, 8}, {2, 8}, {2, 9}, {10, 9}};
  EXPECT_EQ(std::vector<PlanePoint>(ditch[0].outline.rbegin(), ditch[0].outline.rbegin() + 6), walls);
}

}  // namespace
}  // namespace kestrel
