// StorArr: orientation, the comparisons behind the order, and the order of whole sets.
#include "cadplugin/polyline_order.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

Polyline Horizontal(double y, double from = 0, double to = 10) { return {from, y, to, y}; }

std::vector<double> FirstHeights(const std::vector<PolylineItem>& items) {
  std::vector<double> heights;
  for (const PolylineItem& item : items) heights.push_back(item ? (*item)[1] : -1);
  return heights;
}

TEST(StorArr, OrdersFromTheHighestToTheLowest) {
  std::vector<PolylineItem> lines = {Horizontal(1), Horizontal(3), Horizontal(2)};
  EXPECT_EQ(StorArr(lines), 1);
  EXPECT_EQ(FirstHeights(lines), (std::vector<double>{3, 2, 1}));
}

TEST(StorArr, ManyCrossSectionLinesOfDifferentWidths) {
  // Ground lines of one section picked in any order: wide and narrow, sloping, some reversed.
  std::vector<PolylineItem> lines = {
      Polyline{0, 5, 4, 6, 10, 5},         // 5..6
      Polyline{12, 9, -2, 8},              // reversed, 8..9, the widest
      Polyline{3, 1, 6, 1.5},              // narrow, low
      Polyline{2, 7, 8, 7.2},              // between
      Polyline{20, 100, 25, 100},          // to the right of everything, compared by first heights
  };
  EXPECT_EQ(StorArr(lines), 1);
  EXPECT_EQ(FirstHeights(lines), (std::vector<double>{100, 8, 7, 5, 1}));
  EXPECT_EQ(*lines[1], (Polyline{-2, 8, 12, 9}));  // now left to right
}

TEST(StorArr, ANonPolylineStopsItWithZero) {
  std::vector<PolylineItem> lines = {Polyline{10, 1, 0, 1}, std::nullopt, Horizontal(5)};
  EXPECT_EQ(StorArr(lines), 0);
  EXPECT_EQ(*lines[0], (Polyline{0, 1, 10, 1}));  // oriented before the bad element was met
  EXPECT_EQ(*lines[2], Horizontal(5));
  std::vector<PolylineItem> empty = {Horizontal(1), Polyline{}};
  EXPECT_EQ(StorArr(empty), 0);
  std::vector<PolylineItem> odd = {Polyline{0, 1, 2}};
  EXPECT_EQ(StorArr(odd), 0);
  std::vector<PolylineItem> none;
  EXPECT_EQ(StorArr(none), 1);
}

TEST(OrientPolyline, ReversesPointsNotNumbers) {
  Polyline rightToLeft = {10, 1, 5, 2, 0, 3};
  OrientPolyline(rightToLeft);
  EXPECT_EQ(rightToLeft, (Polyline{0, 3, 5, 2, 10, 1}));
  Polyline vertical = {4, 1, 4, 9};  // equal first and last x: reversed too
  OrientPolyline(vertical);
  EXPECT_EQ(vertical, (Polyline{4, 9, 4, 1}));
  Polyline already = {0, 1, 5, 2, 10, 3, 20, 4};
  OrientPolyline(already);
  EXPECT_EQ(already, (Polyline{0, 1, 5, 2, 10, 3, 20, 4}));
  Polyline single = {3, 4};
  OrientPolyline(single);
  EXPECT_EQ(single, (Polyline{3, 4}));
}

TEST(CompareHeights, WhereTheNarrowerFallsOnTheWider) {
  const Polyline wider = {0, 0, 10, 10};  // rising: height x
  EXPECT_EQ(CompareHeights(wider, Polyline{2, 3, 4, 0}), -1);  // first point above the line
  EXPECT_EQ(CompareHeights(wider, Polyline{2, 1, 4, 9}), 1);   // first point below it
  EXPECT_EQ(CompareHeights(wider, Polyline{-5, 9, 5, 6}), -1);  // last point decides: 6 > 5
  EXPECT_EQ(CompareHeights(wider, Polyline{-5, 9, 5, 4}), 1);
  EXPECT_EQ(CompareHeights(wider, Polyline{20, 1, 30, 1}), -1);  // outside: 1 > 0 (first heights)
  EXPECT_EQ(CompareHeights(wider, Polyline{20, -1, 30, 1}), 1);
  EXPECT_EQ(CompareHeights(wider, Polyline{10, 10, 12, 0}), 1);  // on the line is not above
  EXPECT_EQ(CompareHeights(Polyline{0, 0}, Polyline{0, 5}), 0);  // no segment holds the x
}

TEST(ComparePolylines, JudgedAgainstTheWiderOfTheTwo) {
  const Polyline wide = Horizontal(2, 0, 10);
  const Polyline narrowAbove = Horizontal(3, 4, 6);
  EXPECT_EQ(ComparePolylines(narrowAbove, wide), 1);
  EXPECT_EQ(ComparePolylines(wide, narrowAbove), -1);
  EXPECT_EQ(CompareWidth(wide, narrowAbove), 1);
  EXPECT_EQ(CompareWidth(narrowAbove, wide), -1);
  EXPECT_EQ(CompareWidth(wide, wide), 1);
  // A short polyline wholly to the right of a wider one: by its first y against the wider's.
  EXPECT_EQ(ComparePolylines(Horizontal(1, 20, 22), Polyline{0, 0, 10, 5}), 1);
  EXPECT_EQ(ComparePolylines(Horizontal(-1, 20, 22), Polyline{0, 0, 10, 5}), -1);
}

TEST(LineHeightAt, InterpolatesAndKeepsVerticals) {
  EXPECT_EQ(LineHeightAt(0, 0, 10, 5, 4), 2);
  EXPECT_EQ(LineHeightAt(10, 5, 0, 0, 4), 2);
  EXPECT_EQ(LineHeightAt(3, 7, 3, 1, 3), 7);
  EXPECT_EQ(LineHeightAt(0, 1, 2, 1, 100), 1);
}

}  // namespace
}  // namespace kestrel
