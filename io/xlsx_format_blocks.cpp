// Cell formats applied by blocks: runs along rows, joined down consecutive rows.
#include "io/xlsx_format_blocks.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace kestrel {

namespace {

// Every cell of the block has the target's edges of its own, while SetBorder on a block draws its
// outline only. Both edges of a pair: the outline's side plus the inside lines give every cell
// both (three calls). One edge alone: set per column strip (left, right) or row strip (top,
// bottom), where the strip's outline is each cell's edge.
void ApplyBorders(Worksheet& sheet, const RangeRef& range, const CellBorders& borders) {
  const int r1 = range.first.row, r2 = range.last.row, c1 = range.first.column, c2 = range.last.column;
  const bool left = borders.left == LineStyle::Continuous, right = borders.right == LineStyle::Continuous;
  const bool top = borders.top == LineStyle::Continuous, bottom = borders.bottom == LineStyle::Continuous;
  constexpr LineStyle kLine = LineStyle::Continuous;
  if (range.IsWholeRows()) {
    // The sheet model keeps both side edges of whole rows at row level; one alone is not kept.
    if (left && right) sheet.SetBorder(range, BorderEdge::InsideVertical, kLine);
  } else if (left && right) {
    sheet.SetBorder(range, BorderEdge::Left, kLine);
    sheet.SetBorder(range, BorderEdge::InsideVertical, kLine);
    sheet.SetBorder(range, BorderEdge::Right, kLine);
  } else if (left || right) {
    for (int c = c1; c <= c2; ++c)
      sheet.SetBorder(RangeRef::Block(r1, c, r2, c), left ? BorderEdge::Left : BorderEdge::Right, kLine);
  }
  if (range.IsWholeColumns()) {
    if (top && bottom) sheet.SetBorder(range, BorderEdge::InsideHorizontal, kLine);
  } else if (top && bottom) {
    sheet.SetBorder(range, BorderEdge::Top, kLine);
    sheet.SetBorder(range, BorderEdge::InsideHorizontal, kLine);
    sheet.SetBorder(range, BorderEdge::Bottom, kLine);
  } else if (top || bottom) {
    for (int r = r1; r <= r2; ++r)
      sheet.SetBorder(RangeRef::Block(r, c1, r, c2), top ? BorderEdge::Top : BorderEdge::Bottom, kLine);
  }
}

}  // namespace

void ApplyFormat(Worksheet& sheet, const RangeRef& range, const CellStyle& target, const CellStyle& baseline,
                 bool full) {
  const CellStyle standard;
  if (target.numberFormat != baseline.numberFormat)
    sheet.SetNumberFormat(range, target.numberFormat);
  else if (full)
    sheet.SetNumberFormat(range, standard.numberFormat);
  const FontStyle& font = target.font != baseline.font ? target.font : standard.font;
  if (full || target.font != baseline.font) {
    FontChange change;
    change.name = font.name;
    change.size = font.size;
    change.bold = font.bold;
    change.color = font.color;
    sheet.SetFont(range, change);
  }
  const bool alignmentDiffers = target.horizontal != baseline.horizontal || target.vertical != baseline.vertical;
  if (alignmentDiffers)
    sheet.SetAlignment(range, target.horizontal, target.vertical);
  else if (full)
    sheet.SetAlignment(range, standard.horizontal, standard.vertical);
  if (target.wrapText != baseline.wrapText)
    sheet.SetWrapText(range, target.wrapText);
  else if (full)
    sheet.SetWrapText(range, standard.wrapText);
  ApplyBorders(sheet, range, target.borders);
}

void ApplyCellFormats(Worksheet& sheet, std::vector<StyledCell> cells, const XlsxStyles& styles, bool full) {
  auto before = [](const StyledCell& a, const StyledCell& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  };
  if (!std::is_sorted(cells.begin(), cells.end(), before)) std::stable_sort(cells.begin(), cells.end(), before);
  // A cell listed twice keeps the format it was given last.
  size_t kept = 0;
  for (size_t k = 0; k < cells.size(); ++k) {
    if (kept > 0 && cells[kept - 1].row == cells[k].row && cells[kept - 1].column == cells[k].column)
      cells[kept - 1] = cells[k];
    else
      cells[kept++] = cells[k];
  }
  cells.resize(kept);

  const CellStyle& baseline = styles.Format(0);
  // Blocks still open for growing downwards, by (first column, last column, format).
  using Key = std::tuple<int, int, std::uint32_t>;
  std::map<Key, RangeRef> open;
  auto flush = [&](const Key& key, const RangeRef& block) {
    const CellStyle& target = styles.Format(std::get<2>(key));
    if (!full && target == baseline) return;
    ApplyFormat(sheet, block, target, baseline, full);
  };

  size_t i = 0;
  while (i < cells.size()) {
    const int row = cells[i].row;
    // The runs of this row: consecutive columns with one format.
    std::vector<Key> runs;
    for (; i < cells.size() && cells[i].row == row; ++i) {
      const StyledCell& cell = cells[i];
      if (!runs.empty() && std::get<1>(runs.back()) + 1 == cell.column && std::get<2>(runs.back()) == cell.format)
        std::get<1>(runs.back()) = cell.column;
      else
        runs.push_back({cell.column, cell.column, cell.format});
    }
    for (const Key& run : runs) {
      auto it = open.find(run);
      if (it != open.end() && it->second.last.row == row - 1) {
        it->second.last.row = row;
        continue;
      }
      if (it != open.end()) {
        flush(it->first, it->second);
        open.erase(it);
      }
      open.emplace(run, RangeRef::Block(row, std::get<0>(run), row, std::get<1>(run)));
    }
    // Blocks that did not reach this row cannot grow any more.
    for (auto it = open.begin(); it != open.end();) {
      if (it->second.last.row < row) {
        flush(it->first, it->second);
        it = open.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (const auto& [key, block] : open) flush(key, block);
}

}  // namespace kestrel
