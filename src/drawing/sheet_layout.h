// Cross-section sheets as plain geometry: sections laid out on pages of a paper size at a drawing
// scale, in millimetres, ready for the plot to render (io/section_plot.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/shapes.h"

namespace kestrel {

// A paper size in millimetres, width across the page.
struct PaperSize {
  std::string name;
  double width = 0;
  double height = 0;
};
// "A4", "A3", "A1" (any case), portrait or turned; nothing for another name.
//   PaperNamed("a3", true) -> {"A3", 420, 297}
std::optional<PaperSize> PaperNamed(std::string_view name, bool landscape);

// A design outline from the design-section results: (offset, level) points from left to right,
// and the cut and fill areas (m²) the results state.
struct DesignOutline {
  std::vector<PlanePoint> points;
  std::optional<double> cutArea;
  std::optional<double> fillArea;
};

// One section as a sheet draws it: the ground line by offset, the centre ground level (0 when
// one side of the centre line has no point) and the design outline when there is one.
struct SheetSection {
  double station = 0;
  std::string stationText;
  double centreLevel = 0;
  std::vector<PlanePoint> ground;  // (offset, level), ascending offsets
  std::optional<DesignOutline> design;
};

// A cut (ground above design) or fill (ground below design) area between the two lines, where
// both have points: its outline in (offset, level) and its area in m².
struct CutFillRegion {
  bool cut = false;
  std::vector<PlanePoint> outline;
  double area = 0;
};
// Example: ground (-10, 1) to (10, 1), design (-10, 0) to (10, 2) -> a cut of 5 m² left of the
// centre line and a fill of 5 m² right of it.
std::vector<CutFillRegion> CutFillRegions(const std::vector<PlanePoint>& ground, const std::vector<PlanePoint>& design);

struct SheetOptions {
  PaperSize paper{"A3", 297, 420};
  int scale = 200;            // 1:scale, horizontally
  double exaggeration = 1;    // the vertical scale is 1:(scale / exaggeration)
  int columns = 0;  // 0: as many as the widest section leaves room for at the scale
};
inline constexpr int kMostColumns = 20;

// Page geometry in millimetres, y down from the page's top edge.
struct SheetRect {
  double left = 0, top = 0, width = 0, height = 0;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
};

// Sizes of the sheet's parts, millimetres.
inline constexpr double kSheetMargin = 10;
inline constexpr double kTitleBlockHeight = 12;
inline constexpr double kLevelGutter = 12;     // left of a grid, for its elevation labels
inline constexpr double kSectionTextBand = 11;  // above a grid: station, then levels and areas
inline constexpr double kSectionGap = 5;        // below a grid
inline constexpr double kStationTextHeight = 3.5;
inline constexpr double kSheetTextHeight = 2.2;

// The smallest scale a section is drawn at, 1:kSmallestScale: a section that needs a smaller one
// (offsets or levels of hundreds of thousands of kilometres, or no number at all) is not drawn.
inline constexpr int kSmallestScale = 1'000'000'000;
// Grid lines are at least this far apart on the page, millimetres: at a small scale they are
// drawn every 2, 5, 10, 20... metres, so that a grid costs what the page shows.
inline constexpr double kNarrowestGrid = 1;

// The grid's step in metres at this many millimetres a metre: 1, 2, 5, 10, 20, 50... the first
// at which lines are kNarrowestGrid apart. GridStep(5) == 1, GridStep(0.3) == 5.
double GridStep(double mmPerMetre);

// Where one section goes: its page and column, its cell, and its grid (whole metres around the
// ground, the centre line and the design outline) with the scale it is drawn at. A section
// that does not fit the column at the sheet's scale is scaled down to the largest whole
// 1:n that fits, and its text says so. A section that no scale down to 1:kSmallestScale fits
// is not drawable: its cell shows its station and a note in place of the grid.
struct PlacedSection {
  size_t section = 0;  // index into the sections laid out
  int page = 0;        // from 0
  int column = 0;      // from 0, left to right
  SheetRect cell;
  double minOffset = 0, maxOffset = 0;  // the grid's extent, whole metres
  double minLevel = 0, maxLevel = 0;
  double gridStepX = 1, gridStepY = 1;  // metres between grid lines (GridStep)
  double gridLeft = 0, gridBottom = 0;  // page position of (minOffset, minLevel)
  int scale = 200;                      // 1:scale horizontally
  double mmPerMetreX = 5, mmPerMetreY = 5;
  bool scaledDown = false;
  bool drawable = true;

  double X(double offset) const { return gridLeft + (offset - minOffset) * mmPerMetreX; }
  double Y(double level) const { return gridBottom - (level - minLevel) * mmPerMetreY; }
  double GridTop() const { return Y(maxLevel); }
  double GridRight() const { return X(maxOffset); }
};

struct SheetLayout {
  SheetOptions options;  // as given, with the columns used
  SheetRect drawingArea;  // where the sections go
  SheetRect titleBlock;
  int pages = 0;
  std::vector<PlacedSection> placed;  // in section order: by page, column, bottom to top
  std::vector<size_t> pageStart;      // index into placed of each page's first section
};

// Ascending sections go bottom to top in a column, columns left to right, page after page.
//   LayOutSheets(sections, {.paper = *PaperNamed("A4", false), .scale = 200, .columns = 2})
SheetLayout LayOutSheets(const std::vector<SheetSection>& sections, const SheetOptions& options);

// "比例 1:200", or with an exaggeration "比例 横 1:200 竖 1:100".
std::string SheetScaleText(int scale, double exaggeration);
// "第 2 页 共 7 页"
std::string PageNumberText(int page, int pages);
// The second line of a section's text: centre ground level, areas and a scale of its own, or
// for a section that is not drawable kNotDrawableNote.
//   "中桩地面 311.473  挖方 12.35 m²  填方 3.2 m²  缩至 1:412"
inline constexpr const char* kNotDrawableNote = "未绘: 偏距或高程超出可绘范围";
std::string SectionNoteText(const SheetSection& section, const PlacedSection& placed, double exaggeration);

}  // namespace kestrel
