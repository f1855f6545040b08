// StorArr: orienting and comparing polylines, and the exchange sort from highest to lowest.
#include "cadplugin/polyline_order.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace kestrel {
namespace {

size_t Points(const Polyline& line) {
  if (line.size() < 2 || line.size() % 2 != 0) throw std::invalid_argument("not a polyline");
  return line.size() / 2;
}
double FirstX(const Polyline& line) { return line.at(0); }
double FirstY(const Polyline& line) { return line.at(1); }
double LastX(const Polyline& line) { return line.at(line.size() - 2); }
double LastY(const Polyline& line) { return line.at(line.size() - 1); }

// Whether the wider line's x range holds x, and its height there from the first segment that does.
int JudgeAt(const Polyline& wider, double x, double y) {
  const size_t points = Points(wider);
  for (size_t k = 0; k + 1 < points; ++k) {
    const double x1 = wider[2 * k], y1 = wider[2 * k + 1], x2 = wider[2 * k + 2], y2 = wider[2 * k + 3];
    if (x1 <= x && x <= x2) return y > LineHeightAt(x1, y1, x2, y2, x) ? -1 : 1;
  }
  return 0;
}

}  // namespace

double LineHeightAt(double x1, double y1, double x2, double y2, double x) {
  if (x1 == x2) return y1;
  return y1 + (x - x1) * (y1 - y2) / (x1 - x2);
}

void OrientPolyline(Polyline& line) {
  const size_t points = Points(line);
  if (FirstX(line) < LastX(line)) return;
  for (size_t k = 0; k < points / 2; ++k) {
    const size_t m = points - 1 - k;
    std::swap(line[2 * k], line[2 * m]);
    std::swap(line[2 * k + 1], line[2 * m + 1]);
  }
}

int CompareWidth(const Polyline& a, const Polyline& b) {
  const double wa = std::abs(LastX(a) - FirstX(a));
  const double wb = std::abs(LastX(b) - FirstX(b));
  return wa >= wb ? 1 : -1;
}

int CompareHeights(const Polyline& wider, const Polyline& narrower) {
  try {
    const double left = FirstX(wider);
    const double right = LastX(wider);
    if (left <= FirstX(narrower) && FirstX(narrower) <= right) return JudgeAt(wider, FirstX(narrower), FirstY(narrower));
    if (left <= LastX(narrower) && LastX(narrower) <= right) return JudgeAt(wider, LastX(narrower), LastY(narrower));
    return FirstY(narrower) > FirstY(wider) ? -1 : 1;
  } catch (const std::exception&) {
    return 0;
  }
}

int ComparePolylines(const Polyline& a, const Polyline& b) {
  if (CompareWidth(a, b) == 1) return CompareHeights(a, b) == 1 ? 1 : -1;
  return CompareHeights(b, a) == 1 ? -1 : 1;
}

int StorArr(std::vector<PolylineItem>& polylines) {
  try {
    for (PolylineItem& item : polylines) {
      if (!item) throw std::invalid_argument("not an array of numbers");
      OrientPolyline(*item);
    }
    const int u = static_cast<int>(polylines.size()) - 1;
    for (int i = 0; i <= u; ++i) {
      for (int j = u; j >= i + 1; --j) {
        if (ComparePolylines(*polylines[j], *polylines[j - 1]) >= 1) std::swap(polylines[j], polylines[j - 1]);
      }
    }
    return 1;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace kestrel
