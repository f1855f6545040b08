// The mass-haul page drawn with cairo in millimetres of an A3 landscape sheet.
#include "io/mass_haul_page.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "io/drawing_preview.h"
#include "util/number_text.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr double kPageWidth = 420, kPageHeight = 297;  // mm
constexpr double kPointsPerMm = 72 / 25.4;
constexpr double kPixelsPerMm = 150 / 25.4;
// The plot's frame on the page.
constexpr double kLeft = 32, kRight = 405, kTop = 42, kBottom = 272;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

bool EndsWith(const std::string& text, const std::string& end) {
  const std::string lower = AsciiLower(text);
  return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
}

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
  Painter(cairo_t* cr, const MassHaulPlot& plot) : cr_(cr), plot_(plot) {
    UseDrawingFont(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    Extents();
  }

  void Page() {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    Grid();
    Barriers();
    Line(plot_.balance, 0.1, 0.35, 0.85, 0.35);
    Line(plot_.curve, 0, 0, 0, 0.45);
    Chords();
    const int unlabelled = Arrows();
    Heading(unlabelled);
    Legend();
  }

 private:
  enum class Align { Left, Centre, Right };

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

  double TextWidth(const std::string& text, double height) {
    cairo_set_font_size(cr_, height);
    cairo_text_extents_t e;
    cairo_text_extents(cr_, text.c_str(), &e);
    return e.x_advance;
  }
  void Text(const std::string& text, double x, double y, double height, Align align) {
    const double width = TextWidth(text, height);
    cairo_move_to(cr_, align == Align::Left ? x : align == Align::Centre ? x - width / 2 : x - width, y);
    cairo_show_text(cr_, text.c_str());
  }

  void Grid() {
    const double xStep = NiceStep(maxX_ - minX_, 10), yStep = NiceStep(maxY_ - minY_, 8);
    cairo_set_line_width(cr_, 0.1);
    for (double s = std::ceil(minX_ / xStep) * xStep; s <= maxX_ + 1e-9; s += xStep) {
      cairo_set_source_rgb(cr_, 0.82, 0.82, 0.82);
      cairo_move_to(cr_, X(s), kTop);
      cairo_line_to(cr_, X(s), kBottom);
      cairo_stroke(cr_);
      cairo_set_source_rgb(cr_, 0, 0, 0);
      Text(StationText(s).substr(0, StationText(s).size() - 4), X(s), kBottom + 5, 2.8, Align::Centre);
    }
    for (double v = std::ceil(minY_ / yStep) * yStep; v <= maxY_ + 1e-9; v += yStep) {
      const bool zero = std::abs(v) < yStep * 1e-9;
      cairo_set_source_rgb(cr_, zero ? 0.4 : 0.82, zero ? 0.4 : 0.82, zero ? 0.4 : 0.82);
      cairo_set_line_width(cr_, zero ? 0.25 : 0.1);
      cairo_move_to(cr_, kLeft, Y(v));
      cairo_line_to(cr_, kRight, Y(v));
      cairo_stroke(cr_);
      cairo_set_source_rgb(cr_, 0, 0, 0);
      Text(GeneralText(zero ? 0 : v), kLeft - 1.5, Y(v) + 1, 2.8, Align::Right);
    }
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_set_line_width(cr_, 0.3);
    cairo_rectangle(cr_, kLeft, kTop, kRight - kLeft, kBottom - kTop);
    cairo_stroke(cr_);
    Text("桩号", (kLeft + kRight) / 2, kBottom + 11, 3, Align::Centre);
    cairo_save(cr_);
    cairo_move_to(cr_, 9, (kTop + kBottom) / 2);
    cairo_rotate(cr_, -M_PI / 2);
    cairo_rel_move_to(cr_, -TextWidth("累积土石方 (m³, 压实方)", 3) / 2, 0);
    cairo_show_text(cr_, "累积土石方 (m³, 压实方)");
    cairo_restore(cr_);
  }

  void Line(const std::vector<PlanePoint>& points, double r, double g, double b, double width) {
    if (points.empty()) return;
    cairo_set_source_rgb(cr_, r, g, b);
    cairo_set_line_width(cr_, width);
    cairo_move_to(cr_, X(points[0].x), Y(points[0].y));
    for (const PlanePoint& p : points) cairo_line_to(cr_, X(p.x), Y(p.y));
    cairo_stroke(cr_);
  }

  void Barriers() {
    const double dashes[] = {2, 1.2};
    for (double s : plot_.barriers) {
      if (s < minX_ || s > maxX_) continue;
      cairo_set_source_rgb(cr_, 0.45, 0.45, 0.45);
      cairo_set_line_width(cr_, 0.35);
      cairo_set_dash(cr_, dashes, 2, 0);
      cairo_move_to(cr_, X(s), kTop);
      cairo_line_to(cr_, X(s), kBottom);
      cairo_stroke(cr_);
      cairo_set_dash(cr_, nullptr, 0, 0);
      Text("不可跨越", X(s) + 1, kTop + 4, 2.5, Align::Left);
    }
  }

  void Chords() {
    cairo_set_source_rgb(cr_, 0, 0.55, 0.2);
    cairo_set_line_width(cr_, 0.35);
    for (const std::vector<PlanePoint>& chord : plot_.chords) {
      const double x0 = X(chord[0].x), y0 = Y(chord[0].y), x1 = X(chord[1].x), y1 = Y(chord[1].y);
      cairo_move_to(cr_, x0, y0);
      cairo_line_to(cr_, x1, y1);
      for (double x : {x0, x1}) {
        const double y = x == x0 ? y0 : y1;
        cairo_move_to(cr_, x, y - 1.2);
        cairo_line_to(cr_, x, y + 1.2);
      }
      cairo_stroke(cr_);
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
      cairo_set_source_rgb(cr_, 0.85, 0.1, 0.1);
      cairo_set_line_width(cr_, 0.25);
      cairo_move_to(cr_, x0, y[k]);
      cairo_line_to(cr_, x1, y[k]);
      cairo_stroke(cr_);
      const double head = std::min(2.0, std::abs(x1 - x0) / 2);
      cairo_move_to(cr_, x1, y[k]);
      cairo_line_to(cr_, x1 - dir * head, y[k] - head * 0.4);
      cairo_line_to(cr_, x1 - dir * head, y[k] + head * 0.4);
      cairo_close_path(cr_);
      cairo_fill(cr_);
      const double centre = (x0 + x1) / 2, width = TextWidth(a.label, kHeight);
      if (width > std::abs(x1 - x0) + 6 || centre - width / 2 < kLeft || centre + width / 2 > kRight) {
        ++unlabelled;
        continue;
      }
      cairo_set_source_rgb(cr_, 0.6, 0, 0);
      Text(a.label, centre, y[k] - 0.8, kHeight, Align::Centre);
    }
    return unlabelled;
  }

  void Heading(int unlabelled) {
    cairo_set_source_rgb(cr_, 0, 0, 0);
    Text(plot_.title, kPageWidth / 2, 16, 6, Align::Centre);
    double y = 25;
    std::vector<std::string> notes = plot_.notes;
    if (unlabelled > 0) notes.push_back(std::to_string(unlabelled) + " 条调运箭头未标注 (见调配表备注)");
    for (const std::string& note : notes) {
      Text(note, kLeft, y, 3, Align::Left);
      y += 5;
    }
  }

  void Legend() {
    struct Item {
      const char* text;
      double r, g, b;
    };
    const Item items[] = {{"累积曲线", 0, 0, 0}, {"平衡线", 0.1, 0.35, 0.85}, {"免费运距", 0, 0.55, 0.2},
                          {"纵向调运", 0.85, 0.1, 0.1}};
    double x = kRight - 120;
    for (const Item& item : items) {
      cairo_set_source_rgb(cr_, item.r, item.g, item.b);
      cairo_set_line_width(cr_, 0.6);
      cairo_move_to(cr_, x, 27);
      cairo_line_to(cr_, x + 8, 27);
      cairo_stroke(cr_);
      cairo_set_source_rgb(cr_, 0, 0, 0);
      Text(item.text, x + 10, 28, 3, Align::Left);
      x += 30;
    }
  }

  cairo_t* cr_;
  const MassHaulPlot& plot_;
  double minX_ = 0, maxX_ = 1, minY_ = 0, maxY_ = 1;
};

cairo_status_t ToAtomicFile(void* closure, const unsigned char* data, unsigned int length) {
  return static_cast<AtomicFile*>(closure)->Write({reinterpret_cast<const char*>(data), length})
             ? CAIRO_STATUS_SUCCESS
             : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool IsMassHaulFileName(const std::string& path) {
  return EndsWith(path, ".pdf") || EndsWith(path, ".svg") || EndsWith(path, ".png");
}

std::string WriteMassHaulPage(const MassHaulPlot& plot, const std::string& path) {
  if (!IsMassHaulFileName(path)) return "the diagram is a .pdf, .svg or .png file: " + path;
  if (plot.curve.size() < 2) return "the diagram needs at least two stations";
  AtomicFile file(PathFromUtf8(path));
  cairo_status_t status;
  const bool png = EndsWith(path, ".png");
  {
    Surface surface(png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(kPageWidth * kPixelsPerMm),
                                                     static_cast<int>(kPageHeight * kPixelsPerMm))
                    : EndsWith(path, ".pdf")
                        ? cairo_pdf_surface_create_for_stream(ToAtomicFile, &file, kPageWidth * kPointsPerMm,
                                                              kPageHeight * kPointsPerMm)
                        : cairo_svg_surface_create_for_stream(ToAtomicFile, &file, kPageWidth * kPointsPerMm,
                                                              kPageHeight * kPointsPerMm),
                    cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      cairo_scale(cr.get(), png ? kPixelsPerMm : kPointsPerMm, png ? kPixelsPerMm : kPointsPerMm);
      Painter(cr.get(), plot).Page();
      cairo_show_page(cr.get());
      status = cairo_status(cr.get());
    }
    if (status == CAIRO_STATUS_SUCCESS && png) status = cairo_surface_write_to_png_stream(surface.get(), ToAtomicFile, &file);
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }
  if (status != CAIRO_STATUS_SUCCESS) return std::string("the diagram could not be drawn: ") + cairo_status_to_string(status);
  if (!file.Commit()) return "cannot write " + path;
  return "";
}

}  // namespace kestrel
