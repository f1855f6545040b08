// The layout of cross-section sheets: sections gridded, scaled and packed into pages.
#include "drawing/sheet_layout.h"

#include <algorithm>
#include <cmath>

#include "drawing/strips_between.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

// A section that is not drawable: the smallest grid, which places its station and note.
void NotDrawable(PlacedSection& placed) {
  placed.drawable = false;
  placed.minOffset = -1, placed.maxOffset = 1, placed.minLevel = 0, placed.maxLevel = 1;
}

// The grid of a section: whole metres around its ground, its design outline and the centre line.
// A section with a point that is no finite number is not drawable; its grid is the smallest.
PlacedSection GridOf(const SheetSection& s) {
  double lowX = 0, highX = 0;  // the centre line is always on the grid
  double lowY = 0, highY = 0;
  bool anyLevel = false, finite = true;
  auto see = [&](const PlanePoint& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      finite = false;
      return;
    }
    lowX = std::min(lowX, p.x);
    highX = std::max(highX, p.x);
    lowY = anyLevel ? std::min(lowY, p.y) : p.y;
    highY = anyLevel ? std::max(highY, p.y) : p.y;
    anyLevel = true;
  };
  for (const PlanePoint& p : s.ground) see(p);
  if (s.design)
    for (const PlanePoint& p : s.design->points) see(p);
  PlacedSection placed;
  placed.minOffset = std::floor(lowX);
  placed.maxOffset = std::ceil(highX);
  if (placed.maxOffset - placed.minOffset < 2) placed.minOffset -= 1, placed.maxOffset += 1;
  placed.minLevel = std::floor(lowY);
  placed.maxLevel = std::ceil(highY);
  if (placed.maxLevel == placed.minLevel) placed.maxLevel += 1;
  // The difference of two huge levels can be infinite: beyond what any scale holds.
  if (!finite || !std::isfinite(placed.maxOffset - placed.minOffset) || !std::isfinite(placed.maxLevel - placed.minLevel))
    NotDrawable(placed);
  return placed;
}

}  // namespace

double GridStep(double mmPerMetre) {
  double step = 1;
  // A finite grid reaches kNarrowestGrid within a few hundred steps (mmPerMetre >= 1e-12).
  for (int k = 0; step * mmPerMetre < kNarrowestGrid && k < 1000; ++k) step *= k % 3 == 1 ? 2.5 : 2;
  return step;
}

std::optional<PaperSize> PaperNamed(std::string_view name, bool landscape) {
  const std::string upper = AsciiLower(std::string(name));
  PaperSize paper;
  if (upper == "a4") {
    paper = {"A4", 210, 297};
  } else if (upper == "a3") {
    paper = {"A3", 297, 420};
  } else if (upper == "a1") {
    paper = {"A1", 594, 841};
  } else {
    return std::nullopt;
  }
  if (landscape) std::swap(paper.width, paper.height);
  return paper;
}

std::vector<CutFillRegion> CutFillRegions(const std::vector<PlanePoint>& ground, const std::vector<PlanePoint>& design) {
  std::vector<CutFillRegion> regions;
  if (ground.size() < 2 || design.size() < 2) return regions;
  const double from = std::max(ground.front().x, design.front().x);
  const double to = std::min(ground.back().x, design.back().x);
  CutFillRegion current;
  std::vector<PlanePoint> upper, lower;
  auto close = [&] {
    if (upper.empty()) return;
    current.outline = upper;
    current.outline.insert(current.outline.end(), lower.rbegin(), lower.rend());
    regions.push_back(std::move(current));
    current = {};
    upper.clear();
    lower.clear();
  };
  // A strip's side of the outline, with the step where a line steps straight up or down.
  auto extend = [](std::vector<PlanePoint>& line, PlanePoint start, PlanePoint end) {
    if (line.empty() || !(line.back() == start)) line.push_back(start);
    line.push_back(end);
  };
  for (const LevelStrip& s : StripsBetween(ground, design, from, to)) {
    const double middle = s.MeanDifference();
    if (std::fabs(middle) <= kLinesMeet) {
      close();
      continue;
    }
    const bool cut = middle > 0;
    if (!upper.empty() && cut != current.cut) close();
    current.cut = cut;
    extend(upper, {s.x0, cut ? s.first0 : s.second0}, {s.x1, cut ? s.first1 : s.second1});
    extend(lower, {s.x0, cut ? s.second0 : s.first0}, {s.x1, cut ? s.second1 : s.first1});
    current.area += std::fabs(middle) * (s.x1 - s.x0);
  }
  close();
  return regions;
}

SheetLayout LayOutSheets(const std::vector<SheetSection>& sections, const SheetOptions& options) {
  SheetLayout layout;
  layout.options = options;
  const PaperSize& paper = options.paper;
  layout.titleBlock = {kSheetMargin, paper.height - kSheetMargin - kTitleBlockHeight, paper.width - 2 * kSheetMargin,
                       kTitleBlockHeight};
  layout.drawingArea = {kSheetMargin, kSheetMargin, paper.width - 2 * kSheetMargin,
                        layout.titleBlock.top - 2 - kSheetMargin};
  const SheetRect& area = layout.drawingArea;
  std::vector<PlacedSection> grids;
  grids.reserve(sections.size());
  double widest = 0;
  for (size_t i = 0; i < sections.size(); ++i) {
    grids.push_back(GridOf(sections[i]));
    grids.back().section = i;
    // A section too wide for any scale is drawn as a note: it leaves the columns as they are.
    const double width = grids.back().maxOffset - grids.back().minOffset;
    if (1000 * width / area.width <= kSmallestScale) widest = std::max(widest, width);
  }
  // By default as many columns as the widest section leaves room for at the sheet's scale.
  const int columns = options.columns > 0
                          ? options.columns
                          : std::clamp(static_cast<int>(area.width / (widest * 1000.0 / options.scale + kLevelGutter + 4)),
                                       1, kMostColumns);
  layout.options.columns = columns;
  const double columnWidth = area.width / columns;
  const double gridRoomX = std::max(columnWidth - kLevelGutter - 4, 1.0);
  const double gridRoomY = std::max(area.height - kSectionTextBand - kSectionGap, 1.0);
  const double exaggeration = options.exaggeration > 0 ? options.exaggeration : 1;

  int page = 0, column = 0;
  double bottom = area.Bottom();  // where the next cell in the column ends
  bool columnUsed = false;
  layout.placed.reserve(sections.size());
  for (PlacedSection& placed : grids) {
    // The sheet's scale, or the largest whole 1:n at which the grid fits the column.
    const double needed = std::ceil(std::max(1000 * (placed.maxOffset - placed.minOffset) / gridRoomX,
                                             1000 * (placed.maxLevel - placed.minLevel) * exaggeration / gridRoomY) -
                                    1e-9);
    if (!(needed <= kSmallestScale)) NotDrawable(placed);
    const double widthM = placed.maxOffset - placed.minOffset;
    const double heightM = placed.maxLevel - placed.minLevel;
    placed.scale = placed.drawable ? std::max(options.scale, static_cast<int>(needed)) : options.scale;
    placed.scaledDown = placed.scale > options.scale;
    placed.mmPerMetreX = 1000.0 / placed.scale;
    placed.mmPerMetreY = placed.mmPerMetreX * exaggeration;
    placed.gridStepX = GridStep(placed.mmPerMetreX);
    placed.gridStepY = GridStep(placed.mmPerMetreY);
    const double gridHeight = heightM * placed.mmPerMetreY;
    const double cellHeight = kSectionTextBand + gridHeight + kSectionGap;
    if (columnUsed && bottom - cellHeight < area.top - 1e-9) {
      bottom = area.Bottom();
      columnUsed = false;
      if (++column == columns) {
        column = 0;
        ++page;
      }
    }
    if (layout.pageStart.size() <= static_cast<size_t>(page)) layout.pageStart.push_back(layout.placed.size());
    const double columnLeft = area.left + column * columnWidth;
    placed.page = page;
    placed.column = column;
    placed.cell = {columnLeft, bottom - cellHeight, columnWidth, cellHeight};
    // The centre line in the middle of the column where the grid leaves room for it.
    const double gridWidth = widthM * placed.mmPerMetreX;
    const double first = columnLeft + kLevelGutter;
    const double last = std::max(columnLeft + columnWidth - 4 - gridWidth, first);
    placed.gridLeft = std::clamp(columnLeft + columnWidth / 2 + placed.minOffset * placed.mmPerMetreX, first, last);
    placed.gridBottom = bottom - kSectionGap;
    layout.placed.push_back(placed);
    bottom -= cellHeight;
    columnUsed = true;
  }
  layout.pages = layout.placed.empty() ? 0 : page + 1;
  return layout;
}

std::string SheetScaleText(int scale, double exaggeration) {
  if (exaggeration == 1) return "比例 1:" + std::to_string(scale);
  return "比例 横 1:" + std::to_string(scale) + " 竖 1:" + GeneralText(RoundHalfAway(scale / exaggeration, 3));
}

std::string PageNumberText(int page, int pages) {
  return "第 " + std::to_string(page) + " 页 共 " + std::to_string(pages) + " 页";
}

std::string SectionNoteText(const SheetSection& section, const PlacedSection& placed, double exaggeration) {
  std::vector<std::string> parts;
  if (section.centreLevel != 0 && std::isfinite(section.centreLevel)) parts.push_back("中桩地面 " + FormatDecimal(section.centreLevel, 3));
  if (section.design) {
    double cut = 0, fill = 0;
    for (const CutFillRegion& r : CutFillRegions(section.ground, section.design->points)) (r.cut ? cut : fill) += r.area;
    parts.push_back("挖方 " + FormatDecimal(section.design->cutArea.value_or(cut), 2) + " m²");
    parts.push_back("填方 " + FormatDecimal(section.design->fillArea.value_or(fill), 2) + " m²");
  }
  if (!placed.drawable) parts.push_back(kNotDrawableNote);
  if (placed.scaledDown) {
    std::string scale = SheetScaleText(placed.scale, exaggeration);
    parts.push_back("缩至" + scale.substr(std::string("比例").size()));
  }
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "  ") + part;
  return text;
}

}  // namespace kestrel
