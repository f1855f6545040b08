// The mass-haul page written as a file: a PDF or a PNG picture through cairo, an SVG document as
// the core writes it.
#include "io/mass_haul_page.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <memory>

#include "drawing/mass_haul_page_layout.h"
#include "io/drawing_preview.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr double kPointsPerMm = 72 / 25.4;
constexpr double kPixelsPerMm = 150 / 25.4;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

bool EndsWith(const std::string& text, const std::string& end) {
  const std::string lower = AsciiLower(text);
  return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
}

// The page on a cairo context scaled to millimetres.
class CairoCanvas : public PageCanvas {
 public:
  explicit CairoCanvas(cairo_t* cr) : cr_(cr) {
    UseDrawingFont(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
  }

  void Polyline(const std::vector<PlanePoint>& points, Colour colour, double width, bool dashed) override {
    if (points.empty()) return;
    const double dashes[] = {2, 1.2};
    cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr_, width);
    cairo_set_dash(cr_, dashed ? dashes : nullptr, dashed ? 2 : 0, 0);
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (const PlanePoint& p : points) cairo_line_to(cr_, p.x, p.y);
    cairo_stroke(cr_);
    cairo_set_dash(cr_, nullptr, 0, 0);
  }

  void FillPolygon(const std::vector<PlanePoint>& points, Colour colour) override {
    if (points.empty()) return;
    cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (const PlanePoint& p : points) cairo_line_to(cr_, p.x, p.y);
    cairo_close_path(cr_);
    cairo_fill(cr_);
  }

  double TextWidth(const std::string& text, double height) override {
    cairo_set_font_size(cr_, height);
    cairo_text_extents_t e;
    cairo_text_extents(cr_, text.c_str(), &e);
    return e.x_advance;
  }

  void Text(const std::string& text, double x, double y, double height, Colour colour, TextAlign align,
            double degrees) override {
    const double width = TextWidth(text, height);
    const double shift = align == TextAlign::Left ? 0 : align == TextAlign::Centre ? -width / 2 : -width;
    cairo_save(cr_);
    cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
    cairo_translate(cr_, x, y);
    cairo_rotate(cr_, -degrees * M_PI / 180);
    cairo_move_to(cr_, shift, 0);
    cairo_show_text(cr_, text.c_str());
    cairo_restore(cr_);
  }

 private:
  cairo_t* cr_;
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
  if (EndsWith(path, ".svg")) return WriteMassHaulSvgFile(plot, path);
  if (std::string problem = MassHaulPlotProblem(plot); !problem.empty()) return problem;
  AtomicFile file(PathFromUtf8(path));
  cairo_status_t status;
  const bool png = EndsWith(path, ".png");
  {
    Surface surface(png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                                     static_cast<int>(kMassHaulPageWidth * kPixelsPerMm),
                                                     static_cast<int>(kMassHaulPageHeight * kPixelsPerMm))
                        : cairo_pdf_surface_create_for_stream(ToAtomicFile, &file, kMassHaulPageWidth * kPointsPerMm,
                                                              kMassHaulPageHeight * kPointsPerMm),
                    cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      cairo_scale(cr.get(), png ? kPixelsPerMm : kPointsPerMm, png ? kPixelsPerMm : kPointsPerMm);
      CairoCanvas canvas(cr.get());
      PaintMassHaulPage(plot, canvas);
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
