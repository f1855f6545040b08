// StorArr: cross-section polylines picked in a drawing, ordered from the highest to the lowest.
#pragma once

#include <optional>
#include <vector>

namespace kestrel {

// Drawing coordinates x0, y0, x1, y1, ... (x to the right, y up): point k at 2k and 2k + 1.
using Polyline = std::vector<double>;
// One element of StorArr's array: a polyline, or nothing for an element that is not an array
// of numbers.
using PolylineItem = std::optional<Polyline>;

// y1 when x1 = x2, else the height of the line through both points at x.
double LineHeightAt(double x1, double y1, double x2, double y2, double x);

// Makes the polyline run from left to right: reversed (points, not numbers) when its first x is
// at or right of its last x. Throws std::invalid_argument for fewer than one point or an odd
// count of numbers.
void OrientPolyline(Polyline& line);

// 1 when a is at least as wide (|last x - first x|) as b, else -1.
int CompareWidth(const Polyline& a, const Polyline& b);

// -1 when `narrower` lies above `wider`, 1 otherwise, judged where the narrower's first point,
// else its last point, falls within the wider's x range (on the wider's segment there), else by
// the two first heights. 0 when no segment of the wider holds that x, or on an error.
int CompareHeights(const Polyline& wider, const Polyline& narrower);

// 1 when a lies above b, -1 when b lies above a, judged against the wider of the two.
int ComparePolylines(const Polyline& a, const Polyline& b);

// Orients every polyline left to right, then orders them by exchange from the highest to the
// lowest: 1. 0 on an element that is not a polyline; the elements oriented so far stay so.
//   three horizontal lines at heights 1, 3, 2 -> 3, 2, 1
int StorArr(std::vector<PolylineItem>& polylines);

}  // namespace kestrel
