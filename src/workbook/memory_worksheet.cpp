// MemoryWorksheet: reading and writing cells, notes, merges, selection, page setup, inspection.
#include "workbook/memory_worksheet.h"

#include <algorithm>
#include <stdexcept>

#include "host/host_error.h"
#include "workbook/memory_workbook.h"
#include "util/number_format.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

bool IsGeneralFormat(std::string_view code) { return AsciiLower(code) == "general"; }
bool IsTextFormat(std::string_view code) { return code == "@"; }

// The constant as the host shows it in the formula bar.
std::string TypedText(const CellValue& v) {
  if (v.IsBoolean()) return v.Bool() ? "TRUE" : "FALSE";
  return v.AsText();
}

}  // namespace

MemoryWorksheet::MemoryWorksheet(std::string name) : name_(std::move(name)) {}

void MemoryWorksheet::Touch() {
  if (book_ != nullptr) ++book_->revision_;
}

void MemoryWorksheet::Check(CellRef cell) {
  if (cell.row < 1 || cell.row > kMaxRows || cell.column < 1 || cell.column > kMaxColumns)
    throw HostError("cell outside the sheet: row " + std::to_string(cell.row) + ", column " +
                    std::to_string(cell.column));
}

void MemoryWorksheet::Check(const RangeRef& range) {
  Check(range.first);
  Check(range.last);
  if (range.first.row > range.last.row || range.first.column > range.last.column)
    throw HostError("range corners out of order");
}

void MemoryWorksheet::CheckRows(int first, int last) {
  if (first < 1 || last > kMaxRows || first > last)
    throw HostError("rows outside the sheet: " + std::to_string(first) + " to " + std::to_string(last));
}

void MemoryWorksheet::CheckColumns(int first, int last) {
  if (first < 1 || last > kMaxColumns || first > last)
    throw HostError("columns outside the sheet: " + std::to_string(first) + " to " + std::to_string(last));
}

const MemoryCell* MemoryWorksheet::FindCell(int row, int column) const {
  const MemoryRow* r = rows_.Find(row);
  return r ? r->Find(column) : nullptr;
}

StyleId MemoryWorksheet::ColumnStyle(int column) const {
  auto it = columns_.find(column);
  return it == columns_.end() ? kInheritStyle : it->second.style;
}

StyleId MemoryWorksheet::StyleIdOf(const MemoryRow* row, const MemoryCell* cell, int column) const {
  if (cell && cell->style != kInheritStyle) return cell->style;
  if (row && row->style != kInheritStyle) return row->style;
  return ColumnStyle(column);
}

const CellStyle& MemoryWorksheet::StyleOf(const MemoryRow* row, const MemoryCell* cell, int column) const {
  return styles_.Get(StyleIdOf(row, cell, column));
}

const CellStyle& MemoryWorksheet::StyleAt(int row, int column) const {
  const MemoryRow* r = rows_.Find(row);
  return StyleOf(r, r ? r->Find(column) : nullptr, column);
}

std::string MemoryWorksheet::DisplayText(const CellValue& v, const CellStyle& style) const {
  if (v.IsNumber()) {
    if (IsGeneralFormat(style.numberFormat)) return GeneralDisplay(v.Number());
    if (IsTextFormat(style.numberFormat)) return GeneralText(v.Number());
    return FormatNumber(v.Number(), style.numberFormat);
  }
  if (v.IsBoolean()) return v.Bool() ? "TRUE" : "FALSE";
  return v.AsText();
}

// ---- Reading ----

CellValue MemoryWorksheet::Value(CellRef cell) {
  Check(cell);
  const MemoryCell* c = FindCell(cell.row, cell.column);
  return c ? c->Value() : CellValue();
}

Grid MemoryWorksheet::Values(const RangeRef& range) {
  Check(range);
  Grid grid(range.Rows(), range.Columns());
  rows_.ForEach(range.first.row, range.last.row, [&](int row, const MemoryRow& r) {
    auto [lo, hi] = r.Span(range.first.column, range.last.column);
    for (size_t i = lo; i < hi; ++i)
      grid.At(row - range.first.row, r.cells[i].column - range.first.column) = r.cells[i].Value();
  });
  return grid;
}

std::string MemoryWorksheet::Text(CellRef cell) {
  Check(cell);
  const MemoryRow* r = rows_.Find(cell.row);
  const MemoryCell* c = r ? r->Find(cell.column) : nullptr;
  if (!c || c->Value().IsEmpty()) return "";
  return DisplayText(c->Value(), StyleOf(r, c, cell.column));
}

std::vector<std::string> MemoryWorksheet::Texts(const RangeRef& range) {
  Check(range);
  const size_t columns = static_cast<size_t>(range.Columns());
  std::vector<std::string> texts(static_cast<size_t>(range.Rows()) * columns);
  rows_.ForEach(range.first.row, range.last.row, [&](int row, const MemoryRow& r) {
    auto [lo, hi] = r.Span(range.first.column, range.last.column);
    for (size_t i = lo; i < hi; ++i) {
      const MemoryCell& c = r.cells[i];
      if (c.Value().IsEmpty()) continue;
      texts[static_cast<size_t>(row - range.first.row) * columns + (c.column - range.first.column)] =
          DisplayText(c.Value(), StyleOf(&r, &c, c.column));
    }
  });
  return texts;
}

std::string MemoryWorksheet::Formula(CellRef cell) {
  Check(cell);
  const MemoryCell* c = FindCell(cell.row, cell.column);
  if (!c) return "";
  return c->HasFormula() ? *c->FormulaIfAny() : TypedText(c->Value());
}

std::string MemoryWorksheet::NumberFormat(CellRef cell) {
  Check(cell);
  return StyleAt(cell.row, cell.column).numberFormat;
}

std::vector<FormatRun> MemoryWorksheet::NumberFormats(int column, int firstRow, int lastRow) {
  CheckColumns(column, column);
  if (firstRow > lastRow) return {};
  CheckRows(firstRow, lastRow);
  std::vector<FormatRun> runs;
  for (int row = firstRow; row <= lastRow; ++row) {
    const std::string& format = StyleAt(row, column).numberFormat;
    if (!runs.empty() && runs.back().format == format)
      ++runs.back().rows;
    else
      runs.push_back({1, format});
  }
  return runs;
}

// ---- Writing ----

void MemoryWorksheet::WriteInRow(int rowNumber, MemoryRow& row, int column, CellValue value, std::string formula) {
  MemoryCell* cell = row.Find(column);
  if (!cell) {
    if (value.IsEmpty() && formula.empty()) return;
    cell = &row.GetOrCreate(column);
  }
  const bool hadFormula = cell->HasFormula();
  cell->SetValue(std::move(value));
  if (cell->ExtrasIfAny() || !formula.empty()) {
    CellExtras& extras = cell->Extras();
    extras.formula = std::move(formula);
    extras.superscripts.clear();
    cell->DropEmptyExtras();
  }
  const bool hasFormula = cell->HasFormula();
  if (hasFormula != hadFormula) rows_.AddFormulas(rowNumber, hasFormula ? 1 : -1);
  if (cell->IsBlank()) row.EraseIfBlank(column);
}

void MemoryWorksheet::PutInRow(int rowNumber, MemoryRow& row, int column, const CellValue& value) {
  if (value.IsText()) {
    const std::string_view text = value.Text();
    if (text.empty()) return WriteInRow(rowNumber, row, column, CellValue(), "");
    if (!IsTextFormat(StyleOf(&row, row.Find(column), column).numberFormat)) {
      if (text.size() > 1 && text[0] == '=') return WriteInRow(rowNumber, row, column, CellValue(), std::string(text));
      if (auto number = StrictNumber(text)) return WriteInRow(rowNumber, row, column, CellValue(*number), "");
    }
  }
  WriteInRow(rowNumber, row, column, value, "");
}

void MemoryWorksheet::Put(int row, int column, const CellValue& value) {
  if (value.IsEmpty() && !rows_.Find(row)) return;
  PutInRow(row, rows_.GetOrCreate(row), column, value);
  rows_.EraseIfBlank(row);
}

void MemoryWorksheet::SetValue(CellRef cell, const CellValue& value) {
  Touch();
  Check(cell);
  Put(cell.row, cell.column, value);
}

void MemoryWorksheet::SetValues(CellRef topLeft, const Grid& values) {
  Touch();
  Check(topLeft);
  if (values.Rows() == 0 || values.Columns() == 0) return;
  Check(CellRef{topLeft.row + values.Rows() - 1, topLeft.column + values.Columns() - 1});
  for (int i = 0; i < values.Rows(); ++i) {
    const int rowNumber = topLeft.row + i;
    MemoryRow& row = rows_.GetOrCreate(rowNumber);
    for (int j = 0; j < values.Columns(); ++j) PutInRow(rowNumber, row, topLeft.column + j, values.At(i, j));
    rows_.EraseIfBlank(rowNumber);
  }
}

void MemoryWorksheet::SetCachedValue(CellRef cell, const CellValue& value) {
  Check(cell);
  MemoryRow* r = rows_.Find(cell.row);
  MemoryCell* c = r ? r->Find(cell.column) : nullptr;
  if (!c || !c->HasFormula()) throw std::invalid_argument("no formula in " + CellA1(cell));
  c->SetValue(value);
}

void MemoryWorksheet::LoadCell(CellRef cell, CellValue value, std::string formula) {
  Check(cell);
  const bool empty = value.IsEmpty() && formula.empty();
  if (empty && !rows_.Find(cell.row)) return;
  WriteInRow(cell.row, rows_.GetOrCreate(cell.row), cell.column, std::move(value), std::move(formula));
  if (empty) rows_.EraseIfBlank(cell.row);  // content keeps the row
}

// ---- Merges, selection, notes, page setup ----

void MemoryWorksheet::Merge(const RangeRef& range) {
  Touch();
  Check(range);
  if (range.Rows() == 1 && range.Columns() == 1) return;
  auto overlaps = [&](const RangeRef& m) {
    return m.first.row <= range.last.row && m.last.row >= range.first.row && m.first.column <= range.last.column &&
           m.last.column >= range.first.column;
  };
  merges_.erase(std::remove_if(merges_.begin(), merges_.end(), overlaps), merges_.end());
  merges_.push_back(range);
  // Only the top-left cell keeps its content.
  std::vector<CellRef> cleared;
  rows_.ForEach(range.first.row, range.last.row, [&](int row, const MemoryRow& r) {
    auto [lo, hi] = r.Span(range.first.column, range.last.column);
    for (size_t i = lo; i < hi; ++i) {
      CellRef at{row, r.cells[i].column};
      if (!(at == range.first) && r.cells[i].IsFilled()) cleared.push_back(at);
    }
  });
  for (CellRef at : cleared) {
    WriteInRow(at.row, *rows_.Find(at.row), at.column, CellValue(), "");
    rows_.EraseIfBlank(at.row);
  }
}

void MemoryWorksheet::Select(const RangeRef& range) {
  Check(range);
  selection_ = range;
}

void MemoryWorksheet::SetNote(CellRef cell, const Note& note) {
  Touch();
  Check(cell);
  rows_.GetOrCreate(cell.row).GetOrCreate(cell.column).Extras().note = std::make_unique<Note>(note);
}

std::optional<Note> MemoryWorksheet::GetNote(CellRef cell) {
  Check(cell);
  const MemoryCell* c = FindCell(cell.row, cell.column);
  const CellExtras* extras = c ? c->ExtrasIfAny() : nullptr;
  if (!extras || !extras->note) return std::nullopt;
  return *extras->note;
}

void MemoryWorksheet::ClearNotes(const RangeRef& range) {
  Touch();
  Check(range);
  std::vector<int> touchedRows;
  rows_.ForEach(range.first.row, range.last.row, [&](int row, MemoryRow& r) {
    auto [lo, hi] = r.Span(range.first.column, range.last.column);
    std::vector<int> blank;
    for (size_t i = lo; i < hi; ++i) {
      MemoryCell& c = r.cells[i];
      CellExtras* extras = c.ExtrasIfAny();
      if (!extras || !extras->note) continue;
      extras->note.reset();
      c.DropEmptyExtras();
      if (c.IsBlank()) blank.push_back(c.column);
    }
    for (int column : blank) r.EraseIfBlank(column);
    if (r.IsBlank()) touchedRows.push_back(row);
  });
  for (int row : touchedRows) rows_.EraseIfBlank(row);
}

void MemoryWorksheet::SetPageSetup(const PageSetupChange& change) {
  Touch();
  if (change.orientation) page_.orientation = *change.orientation;
  if (change.printTitleRows) page_.printTitleRows = *change.printTitleRows;
  if (change.leftMargin) page_.leftMargin = *change.leftMargin;
  if (change.rightMargin) page_.rightMargin = *change.rightMargin;
  if (change.topMargin) page_.topMargin = *change.topMargin;
  if (change.bottomMargin) page_.bottomMargin = *change.bottomMargin;
  if (change.headerMargin) page_.headerMargin = *change.headerMargin;
  if (change.footerMargin) page_.footerMargin = *change.footerMargin;
}

// ---- Inspection ----

CellStyle MemoryWorksheet::EffectiveStyle(CellRef cell) const {
  Check(cell);
  return StyleAt(cell.row, cell.column);
}

CellBorders MemoryWorksheet::Borders(CellRef cell) const {
  Check(cell);
  CellBorders b = StyleAt(cell.row, cell.column).borders;
  auto facing = [&](LineStyle& edge, int row, int column, LineStyle CellBorders::*opposite) {
    if (edge != LineStyle::None || row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) return;
    edge = StyleAt(row, column).borders.*opposite;
  };
  facing(b.left, cell.row, cell.column - 1, &CellBorders::right);
  facing(b.right, cell.row, cell.column + 1, &CellBorders::left);
  facing(b.top, cell.row - 1, cell.column, &CellBorders::bottom);
  facing(b.bottom, cell.row + 1, cell.column, &CellBorders::top);
  return b;
}

double MemoryWorksheet::ColumnWidth(int column) const {
  CheckColumns(column, column);
  auto it = columns_.find(column);
  return it != columns_.end() && it->second.width ? *it->second.width : kStandardColumnWidth;
}

double MemoryWorksheet::RowHeight(int row) const {
  CheckRows(row, row);
  const MemoryRow* r = rows_.Find(row);
  return r && r->height ? *r->height : kStandardRowHeight;
}

std::vector<TextRun> MemoryWorksheet::SuperscriptRuns(CellRef cell) const {
  Check(cell);
  const MemoryCell* c = FindCell(cell.row, cell.column);
  const CellExtras* extras = c ? c->ExtrasIfAny() : nullptr;
  return extras ? extras->superscripts : std::vector<TextRun>{};
}

std::vector<CellRef> MemoryWorksheet::UsedCells() const {
  std::vector<CellRef> used;
  rows_.ForEach(1, kMaxRows, [&](int row, const MemoryRow& r) {
    for (const auto& c : r.cells) used.push_back({row, c.column});
  });
  return used;
}

std::optional<RangeRef> MemoryWorksheet::UsedRange() const {
  std::optional<RangeRef> used;
  rows_.ForEach(1, kMaxRows, [&](int row, const MemoryRow& r) {
    if (r.cells.empty()) return;
    int lo = r.cells.front().column, hi = r.cells.back().column;
    if (!used) {
      used = RangeRef::Block(row, lo, row, hi);
      return;
    }
    used->last.row = row;
    used->first.column = std::min(used->first.column, lo);
    used->last.column = std::max(used->last.column, hi);
  });
  return used;
}

CellView MemoryWorksheet::ViewOf(int row, const MemoryRow& r, const MemoryCell& cell) const {
  CellView view;
  view.at = {row, cell.column};
  view.value = &cell.Value();
  view.style = StyleIdOf(&r, &cell, cell.column);
  view.ownStyle = cell.style != kInheritStyle;
  if (const CellExtras* extras = cell.ExtrasIfAny()) {
    if (!extras->formula.empty()) view.formula = &extras->formula;
    if (!extras->superscripts.empty()) view.superscripts = &extras->superscripts;
    if (extras->note) view.note = &*extras->note;
  }
  return view;
}

void MemoryWorksheet::VisitCells(const RangeRef& block, const std::function<void(const CellView&)>& visit) const {
  Check(block);
  rows_.ForEach(block.first.row, block.last.row, [&](int row, const MemoryRow& r) {
    auto [lo, hi] = r.Span(block.first.column, block.last.column);
    for (size_t i = lo; i < hi; ++i) visit(ViewOf(row, r, r.cells[i]));
  });
}

namespace {

CellContent ContentOf(int row, const MemoryCell& cell) {
  return {{row, cell.column}, &cell.Value(), cell.FormulaIfAny()};
}

}  // namespace

void MemoryWorksheet::VisitContents(const RangeRef& block, const std::function<void(const CellContent&)>& visit) const {
  Check(block);
  rows_.ForEach(block.first.row, block.last.row, [&](int row, const MemoryRow& r) {
    auto [lo, hi] = r.Span(block.first.column, block.last.column);
    for (size_t i = lo; i < hi; ++i) visit(ContentOf(row, r.cells[i]));
  });
}

const MemoryRow* MemoryWorksheet::StoredRow(int row) const {
  CheckRows(row, row);
  return rows_.Find(row);
}

void MemoryWorksheet::VisitFormulas(const std::function<void(CellRef, const std::string&)>& visit) const {
  rows_.ForEachFormulaRow([&](int row, const MemoryRow& r) {
    for (const MemoryCell& c : r.cells)
      if (c.HasFormula()) visit({row, c.column}, *c.FormulaIfAny());
  });
}

std::optional<CellView> MemoryWorksheet::StoredCell(CellRef cell) const {
  Check(cell);
  const MemoryRow* r = rows_.Find(cell.row);
  const MemoryCell* c = r ? r->Find(cell.column) : nullptr;
  if (!c) return std::nullopt;
  return ViewOf(cell.row, *r, *c);
}

StyleId MemoryWorksheet::StyleIdAt(CellRef cell) const {
  Check(cell);
  const MemoryRow* r = rows_.Find(cell.row);
  return StyleIdOf(r, r ? r->Find(cell.column) : nullptr, cell.column);
}

std::vector<ColumnFormat> MemoryWorksheet::ColumnFormats() const {
  std::vector<ColumnFormat> formats;
  for (const auto& [column, data] : columns_)
    if (data.width || data.style != kInheritStyle) formats.push_back({column, data.width, data.style});
  return formats;
}

std::vector<RowFormat> MemoryWorksheet::RowFormats() const {
  std::vector<RowFormat> formats;
  rows_.ForEach(1, kMaxRows, [&](int row, const MemoryRow& r) {
    if (r.height || r.style != kInheritStyle) formats.push_back({row, r.height, r.style});
  });
  return formats;
}

}  // namespace kestrel
