// Two lines of points over a span, cut into strips in which both are straight and neither crosses
// the other: what the cut and fill areas between a ground line and a design line are made of.
#pragma once

#include <optional>
#include <vector>

#include "drawing/shapes.h"

namespace kestrel {

// Below this two lines are taken as meeting (metres): no crossing is cut that close to a strip's
// end, and a strip whose mean difference is no larger lies between lines taken as one.
inline constexpr double kLinesMeet = 1e-9;

// One strip [x0, x1] and the levels of both lines at its ends.
struct LevelStrip {
  double x0 = 0, x1 = 0;
  double first0 = 0, first1 = 0;
  double second0 = 0, second1 = 0;
  // first minus second, at the middle of the strip; its area is this times the width.
  double MeanDifference() const { return ((first0 - second0) + (first1 - second1)) / 2; }
};

// The strips of [from, to] between two lines whose x never decreases (a line may step straight
// up or down: two points at one x), each line level beyond its ends. The span is cut at every
// point of either line, at `also` when it lies inside, and where the lines cross, so that in each
// strip one line lies on or above the other. At a step a strip reads the line after the step.
//   first (0, 1) (4, 1), second (0, 0) (4, 2), [0, 4] -> [0, 2] with 1 above, [2, 4] with 1 below
std::vector<LevelStrip> StripsBetween(const std::vector<PlanePoint>& first, const std::vector<PlanePoint>& second,
                                      double from, double to, std::optional<double> also = std::nullopt);

}  // namespace kestrel
