// The preview picture: the drawing's shapes rendered with cairo into a PNG or an SVG.
#include "io/drawing_preview.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr double kMargin = 24;     // pixels around the drawing
constexpr double kTitleSize = 20;  // pixels
constexpr double kTitleBand = 44;  // pixels above the drawing for the title
constexpr double kSmallestText = 16;
constexpr int kLargestSide = 4096;
constexpr int kNarrowest = 640;
constexpr int kLowest = 240;
// Below this many pixels a text in a PNG cannot be read: it is shown as a bar where it stands
// (an SVG keeps every glyph, to be zoomed into).
constexpr double kLegibleText = 4;
// Covers Latin and Chinese alike (Debian's fonts-wqy-microhei); fontconfig picks another
// face when it is missing.
constexpr const char* kFontFamily = "WenQuanYi Micro Hei";

struct Rgb {
  double r, g, b;
};

Rgb ColourOf(DrawingLayer layer) {
  switch (layer) {
    case DrawingLayer::Sections:
      return {0.1, 0.1, 0.1};
    case DrawingLayer::Stations:
      return {0.0, 0.5, 0.0};
    case DrawingLayer::CentrePoints:
      return {0.75, 0.0, 0.75};
    case DrawingLayer::LevelLabels:
      return {0.8, 0.0, 0.0};
    case DrawingLayer::Design:
      return {0.0, 0.2, 0.85};
  }
  return {0, 0, 0};
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// A TEXT's height is the height of its capitals and digits; the font size that gives a text of
// height 1 comes from the font's digit height.
class TextMeasure {
 public:
  TextMeasure()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), cairo_surface_destroy),
        cr_(cairo_create(surface_.get()), cairo_destroy) {
    UseDrawingFont(cr_.get());
    cairo_set_font_size(cr_.get(), kProbe);
    cairo_text_extents_t e;
    cairo_text_extents(cr_.get(), "0", &e);
    digitHeight_ = e.height > 0 ? e.height / kProbe : 0.7;
  }
  // Font size for a text of this height.
  double FontSize(double textHeight) const { return textHeight / digitHeight_; }
  // Advance of the shown text, in the units of textHeight.
  double Width(const LabelText& text) const {
    double advance = 0;
    for (const ShownRun& run : ShownTextOf(text.text)) {
      cairo_text_extents_t e;
      cairo_text_extents(cr_.get(), run.text.c_str(), &e);
      advance += e.x_advance;
    }
    return advance / kProbe * FontSize(text.height);
  }

 private:
  static constexpr double kProbe = 100;
  Surface surface_;
  Context cr_;
  double digitHeight_ = 0.7;
};

double SmallestTextHeight(const DrawingShapes& shapes) {
  double smallest = 0;
  auto see = [&](const LabelText& t) {
    if (t.height > 0 && (smallest == 0 || t.height < smallest)) smallest = t.height;
  };
  for (const LabelText& t : shapes.stationLabels) see(t);
  for (const LevelLabelShape& label : shapes.levelLabels)
    for (const LabelText& t : label.texts) see(t);
  return smallest > 0 ? smallest : std::max(shapes.markerSize, 0.1);
}

// Where the drawing goes in the picture: pixels per drawing unit and the picture's origin.
struct Layout {
  int width = kNarrowest, height = kLowest;
  bool drawable = true;
  double scale = 1;
  DrawingExtents extents;
  double left = 0, top = 0;  // pixel position of (minX, maxY)

  double X(double x) const { return left + (x - extents.minX) * scale; }
  double Y(double y) const { return top + (extents.maxY - y) * scale; }
};

Layout LayoutOf(const DrawingShapes& shapes, const PreviewOptions& options, const TextMeasure& measure) {
  Layout layout;
  DrawingExtents e = ExtentsOf(shapes, [&](const LabelText& t) { return measure.Width(t); });
  if (e.empty) e.Add(0, 0);
  // A drawing without width or height still gets a place to stand in.
  if (e.Width() < 1e-9) e.minX -= 1, e.maxX += 1;
  if (e.Height() < 1e-9) e.minY -= 1, e.maxY += 1;
  layout.extents = e;
  // Spacings typed as 1e308 put sections beyond any number: no picture can hold them, and the
  // pixel sizes below must never come from an infinity.
  layout.drawable = std::isfinite(e.Width()) && std::isfinite(e.Height());
  if (!layout.drawable) return layout;
  const double chromeX = 2 * kMargin, chromeY = 2 * kMargin + kTitleBand;
  if (options.width > 0 && options.height > 0) {
    layout.width = options.width;
    layout.height = options.height;
    layout.scale =
        std::max(std::min((layout.width - chromeX) / e.Width(), (layout.height - chromeY) / e.Height()), 1e-9);
  } else {
    double scale = kSmallestText / SmallestTextHeight(shapes);
    scale = std::min({scale, (kLargestSide - chromeX) / e.Width(), (kLargestSide - chromeY) / e.Height()});
    layout.scale = scale;
    layout.width = std::max(kNarrowest, static_cast<int>(std::ceil(e.Width() * scale + chromeX)));
    layout.height = std::max(kLowest, static_cast<int>(std::ceil(e.Height() * scale + chromeY)));
  }
  // Centred in the space below the title.
  layout.left = (layout.width - e.Width() * layout.scale) / 2;
  layout.top = kMargin + kTitleBand + (layout.height - chromeY - e.Height() * layout.scale) / 2;
  return layout;
}

class Painter {
 public:
  Painter(cairo_t* cr, const Layout& layout, const TextMeasure& measure, bool vector)
      : cr_(cr), layout_(layout), measure_(measure), vector_(vector) {
    UseDrawingFont(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  }

  void Background() {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
  }

  void Title(const std::string& title) {
    if (title.empty()) return;
    cairo_set_source_rgb(cr_, 0.2, 0.2, 0.2);
    cairo_set_font_size(cr_, kTitleSize);
    cairo_move_to(cr_, kMargin, kMargin + kTitleSize);
    cairo_show_text(cr_, title.c_str());
    cairo_set_source_rgb(cr_, 0.8, 0.8, 0.8);
    cairo_set_line_width(cr_, 1);
    cairo_move_to(cr_, kMargin, kMargin + kTitleBand - 8.5);
    cairo_line_to(cr_, layout_.width - kMargin, kMargin + kTitleBand - 8.5);
    cairo_stroke(cr_);
  }

  void Polyline(DrawingLayer layer, const PlanePoint* points, size_t count, bool closed, double width) {
    if (count == 0) return;
    Colour(layer);
    cairo_set_line_width(cr_, width);
    cairo_move_to(cr_, layout_.X(points[0].x), layout_.Y(points[0].y));
    for (size_t i = 1; i < count; ++i) cairo_line_to(cr_, layout_.X(points[i].x), layout_.Y(points[i].y));
    if (closed) cairo_close_path(cr_);
    cairo_stroke(cr_);
  }

  // A circle with a cross, the POINT's look in the DXF.
  void Marker(const PlanePoint& p, double size) {
    Colour(DrawingLayer::CentrePoints);
    cairo_set_line_width(cr_, 1.2);
    const double r = std::max(size * layout_.scale / 2, 2.0);
    const double x = layout_.X(p.x), y = layout_.Y(p.y);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x, y, r, 0, 2 * M_PI);
    const double d = r * std::sqrt(0.5);
    cairo_move_to(cr_, x - d, y - d);
    cairo_line_to(cr_, x + d, y + d);
    cairo_move_to(cr_, x - d, y + d);
    cairo_line_to(cr_, x + d, y - d);
    cairo_stroke(cr_);
  }

  // Middle-centre: centred on the advance, the middle of the digit height on the point.
  void Text(DrawingLayer layer, const LabelText& text) {
    if (text.height <= 0) return;
    Colour(layer);
    const double pixelHeight = text.height * layout_.scale;
    if (!vector_ && pixelHeight < kLegibleText) {
      const double width = std::max(measure_.Width(text) * layout_.scale, 1.0);
      const double height = std::max(pixelHeight, 1.0);
      cairo_rectangle(cr_, layout_.X(text.x) - width / 2, layout_.Y(text.y) - height / 2, width, height);
      cairo_fill(cr_);
      return;
    }
    cairo_set_font_size(cr_, measure_.FontSize(text.height) * layout_.scale);
    const std::vector<ShownRun> runs = ShownTextOf(text.text);
    double total = 0;
    std::vector<double> advances;
    for (const ShownRun& run : runs) {
      cairo_text_extents_t e;
      cairo_text_extents(cr_, run.text.c_str(), &e);
      advances.push_back(e.x_advance);
      total += e.x_advance;
    }
    double x = layout_.X(text.x) - total / 2;
    const double baseline = layout_.Y(text.y) + pixelHeight / 2;
    for (size_t i = 0; i < runs.size(); ++i) {
      cairo_move_to(cr_, x, baseline);
      cairo_show_text(cr_, runs[i].text.c_str());
      if (runs[i].underlined) {
        cairo_set_line_width(cr_, std::max(pixelHeight * 0.07, 0.8));
        cairo_move_to(cr_, x, baseline + pixelHeight * 0.2);
        cairo_line_to(cr_, x + advances[i], baseline + pixelHeight * 0.2);
        cairo_stroke(cr_);
      }
      x += advances[i];
    }
  }

 private:
  void Colour(DrawingLayer layer) {
    const Rgb c = ColourOf(layer);
    cairo_set_source_rgb(cr_, c.r, c.g, c.b);
  }
  cairo_t* cr_;
  const Layout& layout_;
  const TextMeasure& measure_;
  bool vector_;
};

void Paint(cairo_t* cr, const DrawingShapes& shapes, const Layout& layout, const TextMeasure& measure,
           const std::string& title, bool vector) {
  Painter p(cr, layout, measure, vector);
  p.Background();
  p.Title(title);
  // The markers first, so that at a small scale they do not hide the section lines.
  for (const PlanePoint& point : shapes.centrePoints) p.Marker(point, shapes.markerSize);
  for (const auto& line : shapes.sectionLines) p.Polyline(DrawingLayer::Sections, line.data(), line.size(), false, 1.6);
  for (const LabelText& text : shapes.stationLabels) p.Text(DrawingLayer::Stations, text);
  for (const LevelLabelShape& label : shapes.levelLabels) {
    p.Polyline(DrawingLayer::LevelLabels, label.triangle.data(), label.triangle.size(), true, 1.0);
    for (const LabelText& text : label.texts) p.Text(DrawingLayer::LevelLabels, text);
  }
  for (const auto& line : shapes.designLines) p.Polyline(DrawingLayer::Design, line.data(), line.size(), false, 1.6);
  for (const LabelText& text : shapes.designLabels) p.Text(DrawingLayer::Design, text);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

bool EndsWith(const std::string& text, const char* end) {
  const std::string lower = AsciiLower(text);
  const std::string suffix(end);
  return lower.size() >= suffix.size() && lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

void UseDrawingFont(cairo_t* cr) {
  cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

bool IsPreviewFileName(const std::string& path) { return EndsWith(path, ".png") || EndsWith(path, ".svg"); }

PreviewSize PreviewSizeOf(const DrawingShapes& shapes, const PreviewOptions& options) {
  const TextMeasure measure;
  const Layout layout = LayoutOf(shapes, options, measure);
  return {layout.width, layout.height};
}

std::string WriteDrawingPreview(const DrawingShapes& shapes, const std::string& path, const PreviewOptions& options) {
  const bool png = EndsWith(path, ".png");
  if (!IsPreviewFileName(path)) return "a preview is a .png or an .svg file: " + path;
  if ((options.width > 0) != (options.height > 0) || options.width < 0 || options.height < 0) {
    return "a preview size needs a width and a height";
  }
  const TextMeasure measure;
  const Layout layout = LayoutOf(shapes, options, measure);
  if (!layout.drawable) return "the drawing is too large for a preview: " + path;
  std::string bytes;
  cairo_status_t status;
  if (png) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, layout.width, layout.height),
                    cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      Paint(cr.get(), shapes, layout, measure, options.title, false);
      status = cairo_status(cr.get());
    }
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &bytes);
  } else {
    Surface surface(cairo_svg_surface_create_for_stream(AppendBytes, &bytes, layout.width, layout.height),
                    cairo_surface_destroy);
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);  // the size in pixels, as a PNG's
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      Paint(cr.get(), shapes, layout, measure, options.title, true);
      status = cairo_status(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }
  if (status != CAIRO_STATUS_SUCCESS)
    return std::string("the picture could not be drawn: ") + cairo_status_to_string(status);
  if (std::string why; !WriteFileAtomically(PathFromUtf8(path), bytes, &why)) return "cannot write " + path + ": " + why;
  return "";
}

}  // namespace kestrel
