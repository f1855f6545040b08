// The mass-haul page: axes, grid, curves, chords, arrows and legend placed in millimetres.
#include "drawing/mass_haul_page_layout.h"

#include <algorithm>
#include <cmath>

#include "drawing/svg_canvas.h"
#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

// The plot's frame on the page.
constexpr double kLeft = 32, kRight = 405, kTop = 42, kBottom = 272;
constexpr Colour kBlack{0, 0, 0}, kGridGrey{0.82, 0.82, 0.82}, kZeroGrey{0.4, 0.4, 0.4}, kBarrierGrey{0.45, 0.45, 0.45},
    kBalanceBlue{0.1, 0.35, 0.85}, kChordGreen{0, 0.55, 0.2}, kArrowRed{0.85, 0.1, 0.1}, kLabelRed{0.6, 0, 0};

// A round step that puts about `count` ticks over the span: 1, 2 or 5 times a power of ten.
double NiceStep(double span, int count) {
  if (!(span > 0)) return 1;
  const double raw = span / count, power = std::pow(10, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

class Painter {
 public:
  Painter(PageCanvas& canvas, const MassHaulPlot& plot) : canvas_(canvas), plot_(plot) { Extents(); }

  void Page() {
    Grid();
    Barriers();
    Line(plot_.balance, kBalanceBlue, 0.35);
    Line(plot_.curve, kBlack, 0.45);
    Chords();
    const int unlabelled = Arrows();
    Heading(unlabelled);
    Legend();
  }

 private:
  void Extents() {
    minX_ = plot_.curve.front().x;
    maxX_ = plot_.curve.back().x;
    minY_ = maxY_ = 0;
    for (const auto* line : {&plot_.curve, &plot_.balance})
      for (const PlanePoint& p : *line) {
        minY_ = std::min(minY_, p.y);
        maxY_ = std::max(maxY_, p.y);
      }
    const double pad = std::max(1.0, (maxY_ - minY_) * 0.08);
    minY_ -= pad;
    maxY_ += pad;
    if (maxX_ <= minX_) maxX_ = minX_ + 1;
  }
  double X(double station) const { return kLeft + (station - minX_) / (maxX_ - minX_) * (kRight - kLeft); }
  double Y(double volume) const { return kBottom - (volume - minY_) / (maxY_ - minY_) * (kBottom - kTop); }

  void Segment(double x0, double y0, double x1, double y1, Colour colour, double width, bool dashed = false) {
    canvas_.Polyline({{x0, y0}, {x1, y1}}, colour, width, dashed);
  }

  void Grid() {
    const double xStep = NiceStep(maxX_ - minX_, 10), yStep = NiceStep(maxY_ - minY_, 8);
    for (double s = std::ceil(minX_ / xStep) * xStep; s <= maxX_ + 1e-9; s += xStep) {
      Segment(X(s), kTop, X(s), kBottom, kGridGrey, 0.1);
      const std::string station = StationText(s);
      canvas_.Text(station.substr(0, station.size() - 4), X(s), kBottom + 5, 2.8, kBlack, TextAlign::Centre);
    }
    for (double v = std::ceil(minY_ / yStep) * yStep; v <= maxY_ + 1e-9; v += yStep) {
      const bool zero = std::abs(v) < yStep * 1e-9;
      Segment(kLeft, Y(v), kRight, Y(v), zero ? kZeroGrey : kGridGrey, zero ? 0.25 : 0.1);
      canvas_.Text(GeneralText(zero ? 0 : v), kLeft - 1.5, Y(v) + 1, 2.8, kBlack, TextAlign::Right);
    }
    canvas_.Polyline({{kLeft, kTop}, {kRight, kTop}, {kRight, kBottom}, {kLeft, kBottom}, {kLeft, kTop}}, kBlack, 0.3);
    canvas_.Text("桩号", (kLeft + kRight) / 2, kBottom + 11, 3, kBlack, TextAlign::Centre);
    canvas_.Text("累积土石方 (m³, 压实方)", 9, (kTop + kBottom) / 2, 3, kBlack, TextAlign::Centre, 90);
  }

  void Line(const std::vector<PlanePoint>& points, Colour colour, double width) {
    if (points.empty()) return;
    std::vector<PlanePoint> page;
    for (const PlanePoint& p : points) page.push_back({X(p.x), Y(p.y)});
    canvas_.Polyline(page, colour, width);
  }

  void Barriers() {
    for (double s : plot_.barriers) {
      if (s < minX_ || s > maxX_) continue;
      Segment(X(s), kTop, X(s), kBottom, kBarrierGrey, 0.35, true);
      canvas_.Text("不可跨越", X(s) + 1, kTop + 4, 2.5, kBlack, TextAlign::Left);
    }
  }

  void Chords() {
    for (const std::vector<PlanePoint>& chord : plot_.chords) {
      const double x0 = X(chord[0].x), y0 = Y(chord[0].y), x1 = X(chord[1].x), y1 = Y(chord[1].y);
      Segment(x0, y0, x1, y1, kChordGreen, 0.35);
      Segment(x0, y0 - 1.2, x0, y0 + 1.2, kChordGreen, 0.35);
      Segment(x1, y1 - 1.2, x1, y1 + 1.2, kChordGreen, 0.35);
    }
  }

  // Returns how many labels were left off for want of room. Arrows closer than a label's room
  // are moved apart, down the page, so that each label reads above its own arrow.
  int Arrows() {
    constexpr double kHeight = 2.5, kSpacing = kHeight * 1.7;
    std::vector<size_t> order(plot_.arrows.size());
    std::vector<double> y(plot_.arrows.size());
    for (size_t k = 0; k < order.size(); ++k) {
      order[k] = k;
      y[k] = Y(plot_.arrows[k].y);
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return y[a] < y[b]; });
    for (size_t k = 1; k < order.size(); ++k) {
      const MassHaulArrow &a = plot_.arrows[order[k]], &b = plot_.arrows[order[k - 1]];
      const bool overlap = std::min(X(a.x0), X(a.x1)) < std::max(X(b.x0), X(b.x1)) + 2 &&
                           std::min(X(b.x0), X(b.x1)) < std::max(X(a.x0), X(a.x1)) + 2;
      if (overlap && y[order[k]] < y[order[k - 1]] + kSpacing) y[order[k]] = y[order[k - 1]] + kSpacing;
    }
    int unlabelled = 0;
    for (size_t k = 0; k < plot_.arrows.size(); ++k) {
      const MassHaulArrow& a = plot_.arrows[k];
      const double x0 = X(a.x0), x1 = X(a.x1);
      if (y[k] > kBottom - 1) {
        ++unlabelled;
        continue;
      }
      const double dir = x1 >= x0 ? 1 : -1;
      Segment(x0, y[k], x1, y[k], kArrowRed, 0.25);
      const double head = std::min(2.0, std::abs(x1 - x0) / 2);
      canvas_.FillPolygon({{x1, y[k]}, {x1 - dir * head, y[k] - head * 0.4}, {x1 - dir * head, y[k] + head * 0.4}},
                          kArrowRed);
      const double centre = (x0 + x1) / 2, width = canvas_.TextWidth(a.label, kHeight);
      if (width > std::abs(x1 - x0) + 6 || centre - width / 2 < kLeft || centre + width / 2 > kRight) {
        ++unlabelled;
        continue;
      }
      canvas_.Text(a.label, centre, y[k] - 0.8, kHeight, kLabelRed, TextAlign::Centre);
    }
    return unlabelled;
  }

  void Heading(int unlabelled) {
    canvas_.Text(plot_.title, kMassHaulPageWidth / 2, 16, 6, kBlack, TextAlign::Centre);
    double y = 25;
    std::vector<std::string> notes = plot_.notes;
    if (unlabelled > 0) notes.push_back(std::to_string(unlabelled) + " 条调运箭头未标注 (见调配表备注)");
    for (const std::string& note : notes) {
      canvas_.Text(note, kLeft, y, 3, kBlack, TextAlign::Left);
      y += 5;
    }
  }

  void Legend() {
    struct Item {
      const char* text;
      Colour colour;
    };
    const Item items[] = {{"累积曲线", kBlack}, {"平衡线", kBalanceBlue}, {"免费运距", kChordGreen}, {"纵向调运", kArrowRed}};
    double x = kRight - 120;
    for (const Item& item : items) {
      Segment(x, 27, x + 8, 27, item.colour, 0.6);
      canvas_.Text(item.text, x + 10, 28, 3, kBlack, TextAlign::Left);
      x += 30;
    }
  }

  PageCanvas& canvas_;
  const MassHaulPlot& plot_;
  double minX_ = 0, maxX_ = 1, minY_ = 0, maxY_ = 1;
};

}  // namespace

std::string MassHaulPlotProblem(const MassHaulPlot& plot) {
  return plot.curve.size() < 2 ? "the diagram needs at least two stations" : "";
}

void PaintMassHaulPage(const MassHaulPlot& plot, PageCanvas& canvas) { Painter(canvas, plot).Page(); }

std::string MassHaulSvg(const MassHaulPlot& plot) {
  SvgCanvas canvas(kMassHaulPageWidth, kMassHaulPageHeight);
  PaintMassHaulPage(plot, canvas);
  return canvas.Document();
}

std::string WriteMassHaulSvgFile(const MassHaulPlot& plot, const std::string& path) {
  const std::string lower = AsciiLower(path);
  if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".svg") != 0) return "the diagram is an .svg file: " + path;
  if (std::string problem = MassHaulPlotProblem(plot); !problem.empty()) return problem;
  std::string reason;
  if (!WriteFileAtomically(PathFromUtf8(path), MassHaulSvg(plot), &reason))
    return "cannot write " + path + (reason.empty() ? "" : ": " + reason);
  return "";
}

}  // namespace kestrel
