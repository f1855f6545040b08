// StripsBetween: the span cut at the lines' points and crossings.
#include "drawing/strips_between.h"

#include <algorithm>

namespace kestrel {
namespace {

// Reads a line's levels strip by strip, left to right.
class LineWalk {
 public:
  explicit LineWalk(const std::vector<PlanePoint>& line) : line_(line) {}

  // The line's levels at a and b, where it is straight over [a, b] (a never less than before).
  void Levels(double a, double b, double& atA, double& atB) {
    while (k_ + 1 < line_.size() && line_[k_ + 1].x <= a) ++k_;
    if (a < line_[k_].x || k_ + 1 == line_.size()) {
      atA = atB = line_[k_].y;  // beyond an end: level
      return;
    }
    const PlanePoint &p = line_[k_], &q = line_[k_ + 1];
    const double slope = (q.y - p.y) / (q.x - p.x);
    atA = p.y + slope * (a - p.x);
    atB = p.y + slope * (b - p.x);
  }

 private:
  const std::vector<PlanePoint>& line_;
  size_t k_ = 0;
};

}  // namespace

std::vector<LevelStrip> StripsBetween(const std::vector<PlanePoint>& first, const std::vector<PlanePoint>& second,
                                      double from, double to, std::optional<double> also) {
  std::vector<LevelStrip> strips;
  if (first.empty() || second.empty() || !(to > from)) return strips;
  std::vector<double> xs{from, to};
  if (also && *also > from && *also < to) xs.push_back(*also);
  for (const auto* line : {&first, &second})
    for (const PlanePoint& p : *line)
      if (p.x > from && p.x < to) xs.push_back(p.x);
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());

  LineWalk one(first), two(second);
  strips.reserve(xs.size());
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    LevelStrip s;
    s.x0 = xs[i];
    s.x1 = xs[i + 1];
    one.Levels(s.x0, s.x1, s.first0, s.first1);
    two.Levels(s.x0, s.x1, s.second0, s.second1);
    const double d0 = s.first0 - s.second0, d1 = s.first1 - s.second1;
    if ((d0 > kLinesMeet && d1 < -kLinesMeet) || (d0 < -kLinesMeet && d1 > kLinesMeet)) {
      // Both lines are straight here: they meet at one x, at one level.
      const double t = d0 / (d0 - d1);
      const double x = s.x0 + (s.x1 - s.x0) * t;
      const double level = s.second0 + (s.second1 - s.second0) * t;
      strips.push_back({s.x0, x, s.first0, level, s.second0, level});
      strips.push_back({x, s.x1, level, s.first1, level, s.second1});
    } else {
      strips.push_back(s);
    }
  }
  return strips;
}

}  // namespace kestrel
