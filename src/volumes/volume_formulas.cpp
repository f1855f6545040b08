// The volume sheet's formula texts, written in blocks with a cell-by-cell fallback.
#include "volumes/volume_formulas.h"

#include <algorithm>

#include "host/host_error.h"

namespace kestrel {
namespace {

std::string Cell(int column, int row) { return ColumnLetters(column) + std::to_string(row); }

// Writes one block as a single call; when the host refuses it, each cell on its own, skipping
// the cells it refuses too, which leaves what writing cell after cell leaves.
void WriteBlock(Worksheet& sheet, const VolumeLayout& layout, int lastRow, const RangeRef& block) {
  Grid texts(block.Rows(), block.Columns());
  for (int r = 0; r < block.Rows(); ++r)
    for (int c = 0; c < block.Columns(); ++c)
      texts.At(r, c) = VolumeFormulaText(layout, lastRow, {block.first.row + r, block.first.column + c});
  try {
    sheet.SetValues(block.first, texts);
    return;
  } catch (const HostError&) {
  }
  for (int r = 0; r < block.Rows(); ++r)
    for (int c = 0; c < block.Columns(); ++c) {
      try {
        sheet.SetValue({block.first.row + r, block.first.column + c}, texts.At(r, c));
      } catch (const HostError&) {
      }
    }
}

}  // namespace

std::string VolumeFormulaText(const VolumeLayout& layout, int lastRow, CellRef cell) {
  const int r = cell.row, c = cell.column;
  const int distance = layout.DistanceColumn();
  const bool computedColumn = c >= distance && c <= layout.LastVolumeColumn();
  if (r == lastRow) {
    if (!computedColumn) return "";
    const std::string letters = ColumnLetters(c);
    return "=SUM(" + letters + std::to_string(kFirstVolumeRow) + ":" + letters + std::to_string(lastRow - 1) + ")";
  }
  if (r < kFirstSectionRow || r > lastRow) return "";
  if (layout.ComputesRemainingAreas() && (c == 6 || c == 7)) {
    return "=" + Cell(c - 4, r) + "-" + Cell(c - 2, r);
  }
  if (r < kFirstVolumeRow || !computedColumn) return "";
  if (c == distance) return "=" + Cell(1, r) + "-" + Cell(1, r - 1);
  const int area = layout.AreaOfVolume(c);
  return "=(" + Cell(area, r) + "+" + Cell(area, r - 1) + ")/2*" + Cell(distance, r);
}

std::vector<RangeRef> VolumeFormulaBlocks(const VolumeLayout& layout, int lastRow) {
  std::vector<RangeRef> blocks;
  auto add = [&](int firstRow, int lastBlockRow, int firstColumn, int lastColumn) {
    lastBlockRow = std::min(lastBlockRow, kMaxRows);
    if (firstRow <= lastBlockRow) blocks.push_back(RangeRef::Block(firstRow, firstColumn, lastBlockRow, lastColumn));
  };
  if (layout.ComputesRemainingAreas()) add(kFirstSectionRow, lastRow - 1, 6, 7);
  add(kFirstVolumeRow, lastRow - 1, layout.DistanceColumn(), layout.LastVolumeColumn());
  add(lastRow, lastRow, layout.DistanceColumn(), layout.LastVolumeColumn());
  return blocks;
}

void FillVolumeFormulas(Worksheet& sheet, int lastRow, int variant) {
  const VolumeLayout& layout = VolumeLayoutOf(variant);
  for (const RangeRef& block : VolumeFormulaBlocks(layout, lastRow)) {
    for (int top = block.first.row; top <= block.last.row; top += kFormulaBlockRows) {
      const int bottom = std::min(block.last.row, top + kFormulaBlockRows - 1);
      WriteBlock(sheet, layout, lastRow, RangeRef::Block(top, block.first.column, bottom, block.last.column));
    }
  }
}

}  // namespace kestrel
