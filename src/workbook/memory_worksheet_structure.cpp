// MemoryWorksheet: inserting and deleting whole rows and columns, and everything that moves with them.
#include <algorithm>
#include <unordered_map>

#include "host/host_error.h"
#include "workbook/memory_workbook.h"
#include "workbook/memory_worksheet.h"

namespace kestrel {

namespace {

void CheckCount(int count) {
  if (count < 1) throw HostError("nothing to insert or delete: count " + std::to_string(count));
}

}  // namespace

bool MemoryWorksheet::HasContentFrom(RefAxis axis, int first) const {
  bool found = false;
  auto holds = [](const MemoryCell& c) {
    const CellExtras* extras = c.ExtrasIfAny();
    return c.IsFilled() || (extras && extras->note);
  };
  if (axis == RefAxis::Rows) {
    rows_.ForEach(first, kMaxRows, [&](int, const MemoryRow& row) {
      for (const auto& c : row.cells) found = found || holds(c);
    });
  } else {
    rows_.ForEach(1, kMaxRows, [&](int, const MemoryRow& row) {
      auto [lo, hi] = row.Span(first, kMaxColumns);
      for (size_t i = lo; i < hi; ++i) found = found || holds(row.cells[i]);
    });
  }
  return found;
}

void MemoryWorksheet::InsertRows(int at, int count) {
  Touch();
  CheckCount(count);
  CheckRows(at, at);
  if (count > kMaxRows - at + 1 || HasContentFrom(RefAxis::Rows, kMaxRows - count + 1))
    throw HostError("inserting rows would push non-empty cells off the sheet");
  // The inserted rows take the formats of the row above, without its borders.
  StyleId rowStyle = kInheritStyle;
  std::optional<double> height;
  std::vector<std::pair<int, StyleId>> cellStyles;
  if (at > 1) {
    if (const MemoryRow* above = rows_.Find(at - 1)) {
      rowStyle = WithoutBorders(above->style);
      height = above->height;
      for (const auto& c : above->cells)
        if (c.style != kInheritStyle) cellStyles.emplace_back(c.column, WithoutBorders(c.style));
    }
  }
  rows_.InsertRows(at, count);
  if (rowStyle != kInheritStyle || height || !cellStyles.empty()) {
    for (int r = at; r < at + count; ++r) {
      MemoryRow& row = rows_.GetOrCreate(r);
      row.style = rowStyle;
      row.height = height;
      for (const auto& [column, style] : cellStyles) row.GetOrCreate(column).style = style;
    }
  }
  AfterStructureChange({RefAxis::Rows, at, count, true});
}

void MemoryWorksheet::DeleteRows(int at, int count) {
  Touch();
  CheckCount(count);
  CheckRows(at, at);
  if (count > kMaxRows - at + 1) throw HostError("rows to delete run past the sheet");
  rows_.DeleteRows(at, count);
  AfterStructureChange({RefAxis::Rows, at, count, false});
}

void MemoryWorksheet::InsertColumns(int at, int count) {
  Touch();
  CheckCount(count);
  CheckColumns(at, at);
  if (count > kMaxColumns - at + 1 || HasContentFrom(RefAxis::Columns, kMaxColumns - count + 1))
    throw HostError("inserting columns would push non-empty cells off the sheet");
  std::unordered_map<StyleId, StyleId> bare;  // style -> the same without borders
  auto withoutBorders = [&](StyleId id) {
    auto it = bare.find(id);
    return it != bare.end() ? it->second : (bare[id] = WithoutBorders(id));
  };

  // Columns: shift, then give the new ones the format and width of the column to their left.
  std::map<int, ColumnData> shifted;
  std::optional<ColumnData> left;
  for (const auto& [c, data] : columns_) {
    if (c == at - 1) left = ColumnData{withoutBorders(data.style), data.width};
    int moved = c >= at ? c + count : c;
    if (moved <= kMaxColumns) shifted[moved] = data;
  }
  if (left && (left->style != kInheritStyle || left->width))
    for (int c = at; c < at + count; ++c) shifted[c] = *left;
  columns_ = std::move(shifted);

  std::vector<int> emptied;
  rows_.ForEach(1, kMaxRows, [&](int rowNumber, MemoryRow& row) {
    StyleId leftStyle = kInheritStyle;
    if (const MemoryCell* l = at > 1 ? row.Find(at - 1) : nullptr) leftStyle = withoutBorders(l->style);
    size_t pos = row.Span(at, kMaxColumns).first;
    for (size_t i = pos; i < row.cells.size(); ++i) row.cells[i].column += count;
    while (!row.cells.empty() && row.cells.back().column > kMaxColumns) row.cells.pop_back();
    if (leftStyle != kInheritStyle) {
      std::vector<MemoryCell> added;
      for (int c = at; c < at + count; ++c) {
        added.emplace_back(c);
        added.back().style = leftStyle;
      }
      row.cells.insert(row.cells.begin() + static_cast<std::ptrdiff_t>(pos), std::make_move_iterator(added.begin()),
                       std::make_move_iterator(added.end()));
    }
    if (row.IsBlank()) emptied.push_back(rowNumber);
  });
  for (int r : emptied) rows_.EraseIfBlank(r);
  rows_.RecountFormulas();
  AfterStructureChange({RefAxis::Columns, at, count, true});
}

void MemoryWorksheet::DeleteColumns(int at, int count) {
  Touch();
  CheckCount(count);
  CheckColumns(at, at);
  if (count > kMaxColumns - at + 1) throw HostError("columns to delete run past the sheet");
  const int last = at + count - 1;
  std::map<int, ColumnData> shifted;
  for (const auto& [c, data] : columns_) {
    if (c < at) shifted[c] = data;
    else if (c > last) shifted[c - count] = data;
  }
  columns_ = std::move(shifted);

  std::vector<int> emptied;
  rows_.ForEach(1, kMaxRows, [&](int rowNumber, MemoryRow& row) {
    auto [lo, hi] = row.Span(at, last);
    auto rest = row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(lo),
                                row.cells.begin() + static_cast<std::ptrdiff_t>(hi));
    for (; rest != row.cells.end(); ++rest) rest->column -= count;
    if (row.IsBlank()) emptied.push_back(rowNumber);
  });
  for (int r : emptied) rows_.EraseIfBlank(r);
  rows_.RecountFormulas();
  AfterStructureChange({RefAxis::Columns, at, count, false});
}

void MemoryWorksheet::AfterStructureChange(const RefShift& shift) {
  ++cellMoves_;
  rows_.ForEachFormulaRow([&](int, MemoryRow& row) {
    for (auto& c : row.cells)
      if (std::string* formula = c.FormulaIfAny()) *formula = ShiftReferences(*formula, shift, name_, true);
  });

  const bool rows = shift.axis == RefAxis::Rows;
  std::vector<RangeRef> kept;
  for (RangeRef m : merges_) {
    int& lo = rows ? m.first.row : m.first.column;
    int& hi = rows ? m.last.row : m.last.column;
    auto span = ShiftSpan(lo, hi, shift);
    if (!span) continue;  // wholly deleted
    lo = span->first;
    hi = span->second;
    if (m.Rows() > 1 || m.Columns() > 1) kept.push_back(m);
  }
  merges_ = std::move(kept);

  // The selection moves like a range, except that cells inserted at its start are selected (as
  // after inserting at the selection), and a selection that was wholly deleted keeps its address.
  int& lo = rows ? selection_.first.row : selection_.first.column;
  int& hi = rows ? selection_.last.row : selection_.last.column;
  if (!(shift.insert && lo == shift.at)) {
    if (auto span = ShiftSpan(lo, hi, shift)) {
      lo = span->first;
      hi = span->second;
    }
  }

  if (!page_.printTitleRows.empty()) {
    std::string titles = ShiftReferences(page_.printTitleRows, shift, name_, true);
    page_.printTitleRows = titles.find("#REF!") == std::string::npos ? titles : "";
  }

  if (book_) book_->OnStructureChanged(*this, shift);
}

void MemoryWorksheet::ShiftForeignReferences(std::string_view sheet, const RefShift& shift) {
  rows_.ForEachFormulaRow([&](int, MemoryRow& row) {
    for (auto& c : row.cells)
      if (std::string* formula = c.FormulaIfAny()) *formula = ShiftReferences(*formula, shift, sheet, false);
  });
}

}  // namespace kestrel
