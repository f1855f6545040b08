// Cross-section sheets drawn with cairo, page by page, in millimetres of the paper.
#include "io/section_plot.h"

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

constexpr double kPointsPerMm = 72 / 25.4;
constexpr double kPreviewPixelsPerMm = 120 / 25.4;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

bool EndsWith(const std::string& text, const std::string& end) {
  const std::string lower = AsciiLower(text);
  return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
}

// Draws pages on a context whose user unit is one millimetre of the paper.
class PagePainter {
 public:
  PagePainter(cairo_t* cr, const std::vector<SheetSection>& sections, const SheetLayout& layout,
              const std::string& title)
      : cr_(cr), sections_(sections), layout_(layout), title_(title) {
    UseDrawingFont(cr_);
    cairo_set_font_size(cr_, 100);
    cairo_text_extents_t e;
    cairo_text_extents(cr_, "0", &e);
    digitHeight_ = e.height > 0 ? e.height / 100 : 0.7;
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  }

  void Page(int page) {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    TitleBlock(page);
    const size_t first = layout_.pageStart[page];
    const size_t end = page + 1 < layout_.pages ? layout_.pageStart[page + 1] : layout_.placed.size();
    for (size_t k = first; k < end; ++k) Section(layout_.placed[k]);
  }

 private:
  enum class Align { Left, Centre, Right };

  // A text of this digit height, its baseline at y.
  void Text(const std::string& text, double x, double y, double height, Align align) {
    cairo_set_font_size(cr_, height / digitHeight_);
    cairo_text_extents_t e;
    cairo_text_extents(cr_, text.c_str(), &e);
    const double left = align == Align::Left ? x : align == Align::Centre ? x - e.x_advance / 2 : x - e.x_advance;
    cairo_move_to(cr_, left, y);
    cairo_show_text(cr_, text.c_str());
  }

  void Line(double x0, double y0, double x1, double y1) {
    cairo_move_to(cr_, x0, y0);
    cairo_line_to(cr_, x1, y1);
  }

  void TitleBlock(int page) {
    const SheetRect& b = layout_.titleBlock;
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_set_line_width(cr_, 0.35);
    cairo_rectangle(cr_, b.left, b.top, b.width, b.height);
    const double split1 = b.left + b.width * 0.55, split2 = b.left + b.width * 0.78;
    Line(split1, b.top, split1, b.Bottom());
    Line(split2, b.top, split2, b.Bottom());
    cairo_stroke(cr_);
    const double baseline = b.top + b.height / 2 + 1.75;
    Text(title_, b.left + 3, baseline, 3.5, Align::Left);
    Text(SheetScaleText(layout_.options.scale, layout_.options.exaggeration), (split1 + split2) / 2, baseline, 3,
         Align::Centre);
    Text(PageNumberText(page + 1, layout_.pages), (split2 + b.Right()) / 2, baseline, 3, Align::Centre);
  }

  void Polyline(const std::vector<PlanePoint>& points, const PlacedSection& p) {
    if (points.empty()) return;
    cairo_move_to(cr_, p.X(points[0].x), p.Y(points[0].y));
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, p.X(points[i].x), p.Y(points[i].y));
  }

  // The station, then the centre ground level, the areas and a scale of its own, above the grid.
  void SectionText(const SheetSection& s, const PlacedSection& p) {
    cairo_set_source_rgb(cr_, 0, 0, 0);
    const double top = p.GridTop();
    Text(s.stationText, p.X(0), top - 2 - kSheetTextHeight - 2.5, kStationTextHeight, Align::Centre);
    const std::string note = SectionNoteText(s, p, layout_.options.exaggeration);
    if (!note.empty()) Text(note, p.X(0), top - 2, kSheetTextHeight, Align::Centre);
  }

  // The grid: light lines every step, darker ones every 5 steps; elevations on the left, at
  // every line where the lines are far enough apart, else at the darker ones. The steps keep
  // the lines kNarrowestGrid apart, so that their number is bounded by the page.
  void Grid(const PlacedSection& p) {
    const double left = p.X(p.minOffset), right = p.GridRight();
    const double bottom = p.Y(p.minLevel), top = p.GridTop();
    const bool everyLine = p.gridStepY * p.mmPerMetreY >= 3;
    cairo_set_source_rgb(cr_, 0.5, 0.5, 0.5);
    const double firstLevel = std::ceil(p.minLevel / p.gridStepY), lastLevel = std::floor(p.maxLevel / p.gridStepY);
    const double firstOffset = std::ceil(p.minOffset / p.gridStepX), lastOffset = std::floor(p.maxOffset / p.gridStepX);
    auto major = [](double k) { return std::fmod(k, 5) == 0; };
    for (double k = firstLevel; k <= lastLevel; ++k) {
      const double level = k * p.gridStepY;
      if (!everyLine && !major(k) && !(p.gridStepY == 1 && level == p.minLevel)) continue;
      Text(GeneralText(level), left - 1, p.Y(level) + kSheetTextHeight / 2, kSheetTextHeight, Align::Right);
    }
    for (const bool dark : {false, true}) {
      const double grey = dark ? 0.6 : 0.82;
      cairo_set_source_rgb(cr_, grey, grey, grey);
      cairo_set_line_width(cr_, dark ? 0.18 : 0.08);
      for (double k = firstLevel; k <= lastLevel; ++k)
        if (major(k) == dark) Line(left, p.Y(k * p.gridStepY), right, p.Y(k * p.gridStepY));
      for (double k = firstOffset; k <= lastOffset; ++k)
        if (major(k) == dark && k != 0) Line(p.X(k * p.gridStepX), bottom, p.X(k * p.gridStepX), top);
      cairo_stroke(cr_);
    }
  }

  // A section not drawable shows its station and the note that says so.
  void Section(const PlacedSection& p) {
    const SheetSection& s = sections_[p.section];
    if (p.drawable) Drawing(s, p);
    SectionText(s, p);
  }

  // The grid, the cut and fill areas, the centre line, the design outline and the ground line.
  void Drawing(const SheetSection& s, const PlacedSection& p) {
    Grid(p);
    const double bottom = p.Y(p.minLevel), top = p.GridTop();

    // Cut and fill, under the lines.
    if (s.design) {
      for (const CutFillRegion& region : CutFillRegions(s.ground, s.design->points)) {
        if (region.cut)
          cairo_set_source_rgba(cr_, 0.95, 0.55, 0.2, 0.45);
        else
          cairo_set_source_rgba(cr_, 0.25, 0.6, 0.95, 0.4);
        Polyline(region.outline, p);
        cairo_close_path(cr_);
        cairo_fill(cr_);
      }
    }

    // The centre line, dash-dot.
    cairo_set_source_rgb(cr_, 0, 0, 0.8);
    cairo_set_line_width(cr_, 0.2);
    const double dashes[] = {4, 1, 0.5, 1};
    cairo_set_dash(cr_, dashes, 4, 0);
    Line(p.X(0), bottom, p.X(0), top - 1.5);
    cairo_stroke(cr_);
    cairo_set_dash(cr_, nullptr, 0, 0);

    if (s.design) {
      cairo_set_source_rgb(cr_, 0.85, 0, 0);
      cairo_set_line_width(cr_, 0.3);
      Polyline(s.design->points, p);
      cairo_stroke(cr_);
    }

    // The ground line and its measured points.
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_set_line_width(cr_, 0.3);
    Polyline(s.ground, p);
    cairo_stroke(cr_);
    const double radius = std::min(0.45, std::max(p.mmPerMetreX * 0.2, 0.15));
    for (const PlanePoint& point : s.ground) {
      cairo_new_sub_path(cr_);
      cairo_arc(cr_, p.X(point.x), p.Y(point.y), radius, 0, 2 * M_PI);
    }
    cairo_set_line_width(cr_, 0.15);
    cairo_stroke(cr_);
  }

  cairo_t* cr_;
  const std::vector<SheetSection>& sections_;
  const SheetLayout& layout_;
  const std::string& title_;
  double digitHeight_ = 0.7;
};

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  return static_cast<AtomicFile*>(closure)->Write({reinterpret_cast<const char*>(data), length})
             ? CAIRO_STATUS_SUCCESS
             : CAIRO_STATUS_WRITE_ERROR;
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string Failed(cairo_status_t status) {
  return std::string("the sheets could not be drawn: ") + cairo_status_to_string(status);
}

}  // namespace

bool IsSheetFileName(const std::string& path) { return EndsWith(path, ".pdf") || EndsWith(path, ".svg"); }

std::vector<std::string> SheetFileNames(const std::string& path, int pages) {
  if (!EndsWith(path, ".svg")) return {path};
  const std::string stem = path.substr(0, path.size() - 4);
  const int digits = static_cast<int>(std::to_string(std::max(pages, 1)).size());
  std::vector<std::string> names;
  for (int page = 1; page <= pages; ++page) {
    std::string number = std::to_string(page);
    names.push_back(stem + "-" + std::string(digits - number.size(), '0') + number + path.substr(path.size() - 4));
  }
  return names;
}

std::string WriteSectionSheets(const std::vector<SheetSection>& sections, const SheetLayout& layout,
                               const std::string& title, const std::string& path, const PageProgress& progress) {
  if (!IsSheetFileName(path)) return "sheets are a .pdf or an .svg file: " + path;
  const double width = layout.options.paper.width * kPointsPerMm;
  const double height = layout.options.paper.height * kPointsPerMm;
  if (EndsWith(path, ".pdf")) {
    AtomicFile file(PathFromUtf8(path));
    cairo_status_t status;
    {
      Surface surface(cairo_pdf_surface_create_for_stream(WriteToFile, &file, width, height), cairo_surface_destroy);
      cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
      cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Kestrel");
      {
        Context cr(cairo_create(surface.get()), cairo_destroy);
        cairo_scale(cr.get(), kPointsPerMm, kPointsPerMm);
        PagePainter painter(cr.get(), sections, layout, title);
        for (int page = 0; page < layout.pages && cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS; ++page) {
          if (progress) progress(page + 1, layout.pages);
          painter.Page(page);
          cairo_show_page(cr.get());
        }
        status = cairo_status(cr.get());
      }
      cairo_surface_finish(surface.get());
      if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    }
    if (status != CAIRO_STATUS_SUCCESS) return Failed(status);
    if (!file.Commit()) return "cannot write " + path + ": " + file.Error();
    return "";
  }
  const std::vector<std::string> names = SheetFileNames(path, layout.pages);
  for (int page = 0; page < layout.pages; ++page) {
    if (progress) progress(page + 1, layout.pages);
    std::string bytes;
    cairo_status_t status;
    {
      Surface surface(cairo_svg_surface_create_for_stream(AppendBytes, &bytes, width, height), cairo_surface_destroy);
      cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PT);
      {
        Context cr(cairo_create(surface.get()), cairo_destroy);
        cairo_scale(cr.get(), kPointsPerMm, kPointsPerMm);
        PagePainter(cr.get(), sections, layout, title).Page(page);
        status = cairo_status(cr.get());
      }
      cairo_surface_finish(surface.get());
      if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    }
    if (status != CAIRO_STATUS_SUCCESS) return Failed(status);
    if (std::string why; !WriteFileAtomically(PathFromUtf8(names[page]), bytes, &why))
      return "cannot write " + names[page] + ": " + why;
  }
  return "";
}

std::string WriteSheetPagePicture(const std::vector<SheetSection>& sections, const SheetLayout& layout, int page,
                                  const std::string& title, const std::string& path, int width, int height) {
  if (!IsPreviewFileName(path)) return "a preview is a .png or an .svg file: " + path;
  if (page < 0 || page >= layout.pages) return "the sheets have no page " + std::to_string(page + 1);
  const PaperSize& paper = layout.options.paper;
  double scale = kPreviewPixelsPerMm;
  if (width > 0 && height > 0) {
    scale = std::min(width / paper.width, height / paper.height);
  } else {
    width = static_cast<int>(std::ceil(paper.width * scale));
    height = static_cast<int>(std::ceil(paper.height * scale));
  }
  auto paint = [&](cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_translate(cr, (width - paper.width * scale) / 2, (height - paper.height * scale) / 2);
    cairo_scale(cr, scale, scale);
    PagePainter(cr, sections, layout, title).Page(page);
    return cairo_status(cr);
  };
  std::string bytes;
  cairo_status_t status;
  if (EndsWith(path, ".png")) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      status = paint(cr.get());
    }
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &bytes);
  } else {
    Surface surface(cairo_svg_surface_create_for_stream(AppendBytes, &bytes, width, height), cairo_surface_destroy);
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      status = paint(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }
  if (status != CAIRO_STATUS_SUCCESS) return Failed(status);
  if (std::string why; !WriteFileAtomically(PathFromUtf8(path), bytes, &why)) return "cannot write " + path + ": " + why;
  return "";
}

}  // namespace kestrel
