// MemoryWorksheet: formats, borders, superscript runs, column widths, row heights and AutoFit.
#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "workbook/formula_eval.h"
#include "host/host_error.h"
#include "workbook/memory_workbook.h"
#include "workbook/memory_worksheet.h"
#include "util/number_format.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// Memoises a style change within one operation: cells that shared a style share the result.
class StyleChanger {
 public:
  StyleChanger(StyleTable& table, const std::function<void(CellStyle&)>& change) : table_(table), change_(change) {}
  // Neighbouring cells mostly share a style: the last one changed is answered first.
  StyleId operator()(StyleId base) {
    if (last_ && last_->first == base) return last_->second;
    auto it = memo_.find(base);
    if (it == memo_.end()) {
      CellStyle style = table_.Get(base);
      change_(style);
      it = memo_.emplace(base, table_.Intern(style)).first;
    }
    last_ = *it;
    return it->second;
  }

 private:
  StyleTable& table_;
  const std::function<void(CellStyle&)>& change_;
  std::unordered_map<StyleId, StyleId> memo_;
  std::optional<std::pair<StyleId, StyleId>> last_;
};

// Display width in the host's column-width units: one per character of the standard font, two
// for a wide (CJK or full-width) character; the widest line counts.
double TextUnits(std::string_view text) {
  double widest = 0, line = 0;
  // Most texts are ASCII: one unit a byte, counted without converting them.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    for (size_t from = 0;;) {
      const size_t end = text.find('\n', from);
      line = static_cast<double>((end == std::string_view::npos ? text.size() : end) - from);
      widest = std::max(widest, line);
      if (end == std::string_view::npos) return widest;
      from = end + 1;
    }
  }
  for (char16_t u : Utf8ToUtf16(text)) {
    if (u == u'\n') {
      widest = std::max(widest, line);
      line = 0;
      continue;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) continue;  // the low half of a pair was counted with the high one
    bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) ||
                (u >= 0xD800 && u <= 0xDBFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) ||
                (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6);
    line += wide ? 2 : 1;
  }
  return std::max(widest, line);
}

}  // namespace

void MemoryWorksheet::ChangeStyle(const RangeRef& range, const StyleChange& change) {
  Check(range);
  StyleChanger changed(styles_, change);
  const int r1 = range.first.row, r2 = range.last.row, c1 = range.first.column, c2 = range.last.column;
  if (range.IsWholeColumns()) {
    for (int c = c1; c <= c2; ++c) columns_[c].style = changed(columns_[c].style);
    const bool wholeSheet = range.IsWholeRows();
    rows_.ForEach(1, kMaxRows, [&](int, MemoryRow& row) {
      if (row.style != kInheritStyle && wholeSheet) {
        row.style = changed(row.style);
      } else if (row.style != kInheritStyle) {
        // The row's format outranks the column's: its cells in these columns get their own.
        for (int c = c1; c <= c2; ++c) {
          MemoryCell& cell = row.GetOrCreate(c);
          cell.style = changed(cell.style != kInheritStyle ? cell.style : row.style);
        }
        return;
      }
      auto [lo, hi] = row.Span(c1, c2);
      for (size_t i = lo; i < hi; ++i)
        if (row.cells[i].style != kInheritStyle) row.cells[i].style = changed(row.cells[i].style);
    });
    return;
  }
  if (range.IsWholeRows()) {
    for (int r = r1; r <= r2; ++r) {
      MemoryRow& row = rows_.GetOrCreate(r);
      const bool rowHadStyle = row.style != kInheritStyle;
      row.style = changed(row.style);
      for (auto& cell : row.cells)
        if (cell.style != kInheritStyle) cell.style = changed(cell.style);
      if (rowHadStyle) continue;
      // Until now these cells showed their column's format, which the row's now outranks: they
      // keep it, changed, as their own.
      for (const auto& [c, data] : columns_) {
        if (data.style == kInheritStyle) continue;
        MemoryCell& cell = row.GetOrCreate(c);
        if (cell.style == kInheritStyle) cell.style = changed(data.style);
      }
    }
    return;
  }
  for (int r = r1; r <= r2; ++r) {
    MemoryRow& row = rows_.GetOrCreate(r);
    // The row's cells from c1 on are walked in step with the columns, each missing one made in
    // its place, instead of searched for column by column.
    std::vector<MemoryCell>& cells = row.cells;
    size_t i = row.Lower(c1);
    for (int c = c1; c <= c2; ++c, ++i) {
      if (i == cells.size() || cells[i].column != c) cells.emplace(cells.begin() + static_cast<std::ptrdiff_t>(i), c);
      MemoryCell& cell = cells[i];
      StyleId base = cell.style != kInheritStyle ? cell.style : row.style != kInheritStyle ? row.style : ColumnStyle(c);
      cell.style = changed(base);
    }
  }
}

void MemoryWorksheet::ChangeStoredStyles(const RangeRef& range, const StyleChange& change) {
  Check(range);
  StyleChanger changed(styles_, change);
  if (range.IsWholeColumns())
    for (auto& [c, data] : columns_)
      if (c >= range.first.column && c <= range.last.column && data.style != kInheritStyle)
        data.style = changed(data.style);
  const bool wholeRows = range.IsWholeRows();
  rows_.ForEach(range.first.row, range.last.row, [&](int, MemoryRow& row) {
    if (wholeRows && row.style != kInheritStyle) row.style = changed(row.style);
    auto [lo, hi] = row.Span(range.first.column, range.last.column);
    for (size_t i = lo; i < hi; ++i)
      if (row.cells[i].style != kInheritStyle) row.cells[i].style = changed(row.cells[i].style);
  });
}

StyleId MemoryWorksheet::WithoutBorders(StyleId id) {
  if (id == kInheritStyle) return id;
  CellStyle style = styles_.Get(id);
  style.borders = CellBorders{};
  return styles_.Intern(style);
}

void MemoryWorksheet::SetNumberFormat(const RangeRef& range, std::string_view code) {
  Touch();
  ChangeStyle(range, [&](CellStyle& s) { s.numberFormat = std::string(code); });
}

void MemoryWorksheet::SetFont(const RangeRef& range, const FontChange& font) {
  Touch();
  ChangeStyle(range, [&](CellStyle& s) {
    if (font.name) s.font.name = *font.name;
    if (font.size) s.font.size = *font.size;
    if (font.bold) s.font.bold = *font.bold;
    if (font.color) s.font.color = *font.color;
  });
}

void MemoryWorksheet::SetAlignment(const RangeRef& range, std::optional<HAlign> horizontal,
                                   std::optional<VAlign> vertical) {
  Touch();
  ChangeStyle(range, [&](CellStyle& s) {
    if (horizontal) s.horizontal = *horizontal;
    if (vertical) s.vertical = *vertical;
  });
}

void MemoryWorksheet::SetWrapText(const RangeRef& range, bool wrap) {
  Touch();
  ChangeStyle(range, [&](CellStyle& s) { s.wrapText = wrap; });
}

void MemoryWorksheet::SetBorder(const RangeRef& range, BorderEdge edge, LineStyle style) {
  Touch();
  Check(range);
  const int r1 = range.first.row, r2 = range.last.row, c1 = range.first.column, c2 = range.last.column;
  // Sets one edge on the cells of `part`; switching a line off also removes the facing edge of
  // the neighbouring cells, since both draw the same line.
  auto apply = [&](const RangeRef& part, LineStyle CellBorders::*own, std::optional<RangeRef> neighbours,
                   LineStyle CellBorders::*facing) {
    ChangeStyle(part, [&](CellStyle& s) { s.borders.*own = style; });
    if (style == LineStyle::None && neighbours)
      ChangeStoredStyles(*neighbours, [&](CellStyle& s) { s.borders.*facing = LineStyle::None; });
  };
  auto block = [](int ra, int ca, int rb, int cb) -> std::optional<RangeRef> {
    if (ra < 1 || ca < 1 || rb > kMaxRows || cb > kMaxColumns || ra > rb || ca > cb) return std::nullopt;
    return RangeRef::Block(ra, ca, rb, cb);
  };
  switch (edge) {
    case BorderEdge::Left:
      return apply(*block(r1, c1, r2, c1), &CellBorders::left, block(r1, c1 - 1, r2, c1 - 1), &CellBorders::right);
    case BorderEdge::Right:
      return apply(*block(r1, c2, r2, c2), &CellBorders::right, block(r1, c2 + 1, r2, c2 + 1), &CellBorders::left);
    case BorderEdge::Top:
      return apply(*block(r1, c1, r1, c2), &CellBorders::top, block(r1 - 1, c1, r1 - 1, c2), &CellBorders::bottom);
    case BorderEdge::Bottom:
      return apply(*block(r2, c1, r2, c2), &CellBorders::bottom, block(r2 + 1, c1, r2 + 1, c2), &CellBorders::top);
    case BorderEdge::InsideVertical:
      if (c1 == c2) return;
      if (range.IsWholeRows()) {  // every column boundary of whole rows: kept at row level
        ChangeStyle(range, [&](CellStyle& s) { s.borders.left = s.borders.right = style; });
        return;
      }
      ChangeStyle(*block(r1, c1, r2, c2 - 1), [&](CellStyle& s) { s.borders.right = style; });
      ChangeStyle(*block(r1, c1 + 1, r2, c2), [&](CellStyle& s) { s.borders.left = style; });
      return;
    case BorderEdge::InsideHorizontal:
      if (r1 == r2) return;
      if (range.IsWholeColumns()) {  // every row boundary of whole columns: kept at column level
        ChangeStyle(range, [&](CellStyle& s) { s.borders.top = s.borders.bottom = style; });
        return;
      }
      ChangeStyle(*block(r1, c1, r2 - 1, c2), [&](CellStyle& s) { s.borders.bottom = style; });
      ChangeStyle(*block(r1 + 1, c1, r2, c2), [&](CellStyle& s) { s.borders.top = style; });
      return;
  }
  throw HostError("unknown border item");
}

void MemoryWorksheet::SetSuperscript(CellRef cell, int start, int length) {
  Touch();
  Check(cell);
  MemoryRow* row = rows_.Find(cell.row);
  MemoryCell* c = row ? row->Find(cell.column) : nullptr;
  // Character formats apply to a text constant only; on anything else the call changes nothing.
  if (!c || c->HasFormula() || !c->Value().IsText()) return;
  const int size = static_cast<int>(CodePointCount(c->Value().Text()));
  const int first = std::max(start, 1);
  const int end = std::min(start + std::max(length, 0), size + 1);  // one past the last
  if (first >= end) return;
  auto& runs = c->Extras().superscripts;
  runs.push_back({first, end - first});
  // Keep the runs sorted and disjoint.
  std::sort(runs.begin(), runs.end(), [](const TextRun& a, const TextRun& b) { return a.start < b.start; });
  std::vector<TextRun> merged;
  for (const auto& r : runs) {
    if (!merged.empty() && r.start <= merged.back().start + merged.back().length) {
      int stop = std::max(merged.back().start + merged.back().length, r.start + r.length);
      merged.back().length = stop - merged.back().start;
    } else {
      merged.push_back(r);
    }
  }
  runs = std::move(merged);
}

void MemoryWorksheet::SetColumnWidth(int firstColumn, int lastColumn, double width) {
  Touch();
  CheckColumns(firstColumn, lastColumn);
  if (!(width >= 0 && width <= 255)) throw HostError("column width outside 0..255");
  for (int c = firstColumn; c <= lastColumn; ++c) columns_[c].width = width;
}

void MemoryWorksheet::SetRowHeight(int firstRow, int lastRow, double height) {
  Touch();
  CheckRows(firstRow, lastRow);
  if (!(height >= 0 && height <= 409)) throw HostError("row height outside 0..409");
  for (int r = firstRow; r <= lastRow; ++r) rows_.GetOrCreate(r).height = height;
}

// The width that shows the widest display text of the column: its units (TextUnits) scaled by
// the cell's font size against the standard 11 points, plus one unit of padding, to two
// decimals. Cells of merged areas wider than one column are left out, as the host does; a
// column without any text keeps its width.
void MemoryWorksheet::AutoFitColumns(int firstColumn, int lastColumn) {
  Touch();
  CheckColumns(firstColumn, lastColumn);
  std::vector<double> widest(static_cast<size_t>(lastColumn - firstColumn + 1), -1);
  auto inWideMerge = [&](int row, int column) {
    for (const auto& m : merges_)
      if (m.Columns() > 1 && m.Contains({row, column})) return true;
    return false;
  };
  // A formula shows its result, which the host has computed by the time it fits the column; a
  // formula the calculator cannot compute shows the result it had.
  int sheetIndex = -1;
  if (book_ != nullptr)
    for (int s = 0; s < book_->SheetCount(); ++s)
      if (&book_->Sheet(s) == this) sheetIndex = s;
  std::optional<CellValue> computed;
  auto shown = [&](const MemoryCell& cell) -> const CellValue& {
    if (!cell.HasFormula() || sheetIndex < 0) return cell.Value();
    computed = EvaluateFormula(*book_, sheetIndex, *cell.FormulaIfAny()).value_or(cell.Value());
    return *computed;
  };
  rows_.ForEach(1, kMaxRows, [&](int rowNumber, const MemoryRow& row) {
    auto [lo, hi] = row.Span(firstColumn, lastColumn);
    for (size_t i = lo; i < hi; ++i) {
      const MemoryCell& cell = row.cells[i];
      if (inWideMerge(rowNumber, cell.column)) continue;
      const CellValue& value = shown(cell);
      if (value.IsEmpty()) continue;
      const CellStyle& style = StyleOf(&row, &cell, cell.column);
      const double units =
          (value.IsText() ? TextUnits(value.Text()) : TextUnits(DisplayText(value, style))) * style.font.size / 11.0;
      double& best = widest[static_cast<size_t>(cell.column - firstColumn)];
      best = std::max(best, units);
    }
  });
  for (int c = firstColumn; c <= lastColumn; ++c) {
    double units = widest[static_cast<size_t>(c - firstColumn)];
    if (units < 0) continue;
    columns_[c].width = std::min(255.0, std::round((units + 1) * 100) / 100);
  }
}

}  // namespace kestrel
