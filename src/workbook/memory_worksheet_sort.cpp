// MemoryWorksheet: the host's sort, replace and End toward the top.
#include <algorithm>
#include <cstdint>

#include "host/host_error.h"
#include "workbook/memory_worksheet.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// Sort order of a key: numbers, texts, booleans, errors, and empty keys always last.
enum class KeyKind { Number, Text, Boolean, Error, Empty };

struct SortItem {
  int row = 0;
  KeyKind kind = KeyKind::Empty;
  double number = 0;  // the number, or 0/1 for a boolean
  CellValue text;     // folded for comparison: the key itself when folding changes nothing
  std::vector<MemoryCell> cells;
};

// An item's key apart from its cells, so that sorting a sheet moves small records that lie
// together in memory; a text key is read from the item.
struct SortKey {
  KeyKind kind;
  std::uint32_t item;  // the index in the items (a sheet's rows number far fewer)
  double number;
};

void SetKey(SortItem& item, const CellValue& v) {
  if (v.IsNumber()) {
    item.kind = KeyKind::Number;
    item.number = v.Number();
  } else if (v.IsText()) {
    // Letters without regard to case; other characters, Chinese included, by code point (the
    // host orders Chinese by pinyin, which needs a pronunciation table this model does not have).
    item.kind = KeyKind::Text;
    const std::string_view text = v.Text();
    const bool folds = std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    item.text = folds ? CellValue(AsciiLower(text)) : v;
  } else if (v.IsBoolean()) {
    item.kind = KeyKind::Boolean;
    item.number = v.Bool() ? 1 : 0;
  } else if (v.IsError()) {
    item.kind = KeyKind::Error;
  }
}

// The items' places once sorted by key, rows with equal keys in their order: the first `keyed`
// of them, those with a key.
std::vector<std::uint32_t> SortedOrder(const std::vector<SortItem>& items) {
  std::vector<SortKey> keys;
  keys.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i)
    keys.push_back({items[i].kind, static_cast<std::uint32_t>(i), items[i].number});
  auto less = [&](const SortKey& a, const SortKey& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    switch (a.kind) {
      case KeyKind::Number:
      case KeyKind::Boolean: return a.number < b.number;
      case KeyKind::Text: return items[a.item].text.Text() < items[b.item].text.Text();
      default: return false;  // errors, and empty keys, keep their order
    }
  };
  // Rows sorted before are sorted again for nothing.
  if (!std::is_sorted(keys.begin(), keys.end(), less)) std::stable_sort(keys.begin(), keys.end(), less);
  std::vector<std::uint32_t> order;
  order.reserve(keys.size());
  for (const SortKey& key : keys) order.push_back(key.item);
  return order;
}

}  // namespace

void MemoryWorksheet::Sort(const RangeRef& range, int keyColumn, SortHeader header) {
  Touch();
  Check(range);
  const int c1 = range.first.column, c2 = range.last.column;
  if (keyColumn < c1 || keyColumn > c2) throw HostError("sort key outside the sorted range");

  int first = range.first.row;
  const int last = range.last.row;
  if (header == SortHeader::Guess && first < last) {
    // Row 1 of the range is a header when it holds texts but no number, and the key column
    // below it holds a number.
    bool headerNumber = false, headerText = false, keyNumber = false;
    if (const MemoryRow* top = rows_.Find(first)) {
      auto [lo, hi] = top->Span(c1, c2);
      for (size_t i = lo; i < hi; ++i) {
        headerNumber = headerNumber || top->cells[i].Value().IsNumber();
        headerText = headerText || top->cells[i].Value().IsText();
      }
    }
    rows_.ForEach(first + 1, last, [&](int, const MemoryRow& r) {
      const MemoryCell* k = r.Find(keyColumn);
      keyNumber = keyNumber || (k && k->Value().IsNumber());
    });
    if (headerText && !headerNumber && keyNumber) ++first;
  }
  if (first >= last) return;
  ++cellMoves_;
  for (const auto& m : merges_)
    if (m.first.row <= last && m.last.row >= first && m.first.column <= c2 && m.last.column >= c1)
      throw HostError("cannot sort a range holding merged cells");

  // Take the cells of the range's columns out of their rows; rows without any stay where the
  // ordering puts them implicitly.
  std::vector<SortItem> items;
  items.reserve(std::min(rows_.RowCount(), static_cast<size_t>(last - first + 1)));
  rows_.ForEach(first, last, [&](int row, MemoryRow& r) {
    auto [lo, hi] = r.Span(c1, c2);
    if (lo == hi) return;
    SortItem item;
    item.row = row;
    int formulas = 0;
    for (size_t i = lo; i < hi; ++i) {
      if (r.cells[i].column == keyColumn) SetKey(item, r.cells[i].Value());
      formulas += r.cells[i].HasFormula() ? 1 : 0;
    }
    if (formulas != 0) rows_.AddFormulas(row, -formulas);
    if (lo == 0 && hi == r.cells.size()) {
      // The range holds every cell of the row: the row's own storage moves, so that sorting a
      // sheet never holds its cells twice.
      item.cells.swap(r.cells);
    } else {
      item.cells.reserve(hi - lo);
      for (size_t i = lo; i < hi; ++i) item.cells.push_back(std::move(r.cells[i]));
      r.cells.erase(r.cells.begin() + static_cast<std::ptrdiff_t>(lo), r.cells.begin() + static_cast<std::ptrdiff_t>(hi));
    }
    items.push_back(std::move(item));
  });

  // Rows with an empty key, stored or not, keep their order behind the others: such a row's
  // place is its position among all empty-key rows of the range.
  std::vector<int> targets(items.size());
  int keyed = 0;
  for (const auto& item : items) keyed += item.kind != KeyKind::Empty;
  {
    int keyedBefore = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].kind != KeyKind::Empty) {
        ++keyedBefore;
        continue;
      }
      targets[i] = first + keyed + (items[i].row - first - keyedBefore);
    }
  }
  const std::vector<std::uint32_t> order = SortedOrder(items);
  for (int rank = 0; rank < keyed; ++rank) targets[order[static_cast<size_t>(rank)]] = first + rank;

  for (size_t i = 0; i < items.size(); ++i) {
    const int target = targets[i];
    MemoryRow& row = rows_.GetOrCreate(target);
    // A moved formula reads as if copied to its new row: relative references follow it.
    for (auto& cell : items[i].cells)
      if (std::string* formula = cell.FormulaIfAny(); formula && target != items[i].row)
        *formula = OffsetReferences(*formula, target - items[i].row, 0);
    int formulas = 0;
    for (const auto& cell : items[i].cells) formulas += cell.HasFormula() ? 1 : 0;
    if (row.cells.empty()) {
      row.cells.swap(items[i].cells);
    } else {
      size_t pos = row.Span(c1, c2).first;
      row.cells.insert(row.cells.begin() + static_cast<std::ptrdiff_t>(pos),
                       std::make_move_iterator(items[i].cells.begin()), std::make_move_iterator(items[i].cells.end()));
    }
    // Only the rows of the range change their formula counts: no walk over the whole sheet.
    if (formulas != 0) rows_.AddFormulas(target, formulas);
  }
  for (const auto& item : items) rows_.EraseIfBlank(item.row);
}

void MemoryWorksheet::Replace(const RangeRef& range, std::string_view what, std::string_view replacement) {
  Touch();
  Check(range);
  if (what.empty()) return;
  // Letters without regard to case, and full-width forms matching their half-width ones ("Ｋ" is
  // "k"), as the host matches with MatchCase and MatchByte False. Folding keeps every UTF-16 unit
  // in its place, so a match in the folded text is the same span of the typed one.
  auto folded = [](std::u16string_view text) {
    std::u16string f = FoldFullWidth(text);
    for (char16_t& c : f)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return f;
  };
  const std::u16string needle = folded(Utf8ToUtf16(what));
  const std::u16string replacement16 = Utf8ToUtf16(replacement);
  struct Change {
    CellRef cell;
    std::string typed;
  };
  std::vector<Change> changes;
  // Only stored, filled cells are visited: the work follows the cells, not the range's size.
  rows_.ForEach(range.first.row, range.last.row, [&](int row, const MemoryRow& r) {
    auto [lo, hi] = r.Span(range.first.column, range.last.column);
    for (size_t i = lo; i < hi; ++i) {
      const MemoryCell& cell = r.cells[i];
      if (!cell.IsFilled()) continue;
      const std::u16string typed = Utf8ToUtf16(cell.HasFormula() ? *cell.FormulaIfAny()
                                               : cell.Value().IsBoolean() ? (cell.Value().Bool() ? "TRUE" : "FALSE")
                                                                        : cell.Value().AsText());
      const std::u16string search = folded(typed);
      std::u16string result;
      size_t from = 0;
      for (size_t at = search.find(needle); at != std::u16string::npos; at = search.find(needle, from)) {
        result.append(typed, from, at - from);
        result.append(replacement16);
        from = at + needle.size();
      }
      if (from == 0) continue;  // no occurrence: the cell is left as it is
      result.append(typed, from, std::u16string::npos);
      changes.push_back({{row, cell.column}, Utf16ToUtf8(result)});
    }
  });
  // The new content is stored as if typed: "0050" becomes the number 50.
  for (const auto& change : changes) Put(change.cell.row, change.cell.column, CellValue(change.typed));
}

int MemoryWorksheet::EndUp(CellRef from) {
  Check(from);
  const int column = from.column;
  auto filled = [&](int row) {
    const MemoryCell* c = FindCell(row, column);
    return c && c->IsFilled();
  };
  if (from.row == 1) return 1;
  if (filled(from.row) && filled(from.row - 1)) {
    // To the top of the filled block that the upper neighbour belongs to.
    int top = from.row - 1;
    rows_.ForEachDescending(from.row - 2, 1, [&](int row, const MemoryRow& r) {
      const MemoryCell* c = r.Find(column);
      if (row != top - 1 || !c || !c->IsFilled()) return false;
      top = row;
      return true;
    });
    return top;
  }
  // To the nearest filled cell above, or row 1.
  if (from.row > rows_.LastRow()) return std::max(LastFilledRow(column), 1);
  int found = 1;
  rows_.ForEachDescending(from.row - 1, 1, [&](int row, const MemoryRow& r) {
    const MemoryCell* c = r.Find(column);
    if (!c || !c->IsFilled()) return true;
    found = row;
    return false;
  });
  return found;
}

int MemoryWorksheet::LastFilledRow(int column) {
  const MemoryRowStore& rows = rows_;
  FilledScan& scan = filledScan_;
  if (scan.changes != rows.Changes()) scan = {rows.Changes(), rows.LastRow() + 1, {}};
  auto known = [&] { return static_cast<size_t>(column) < scan.lastFilled.size() ? scan.lastFilled[column] : 0; };
  if (known() != 0 || scan.above <= 1) return known();
  rows.ForEachDescending(scan.above - 1, 1, [&](int row, const MemoryRow& r) {
    for (const MemoryCell& cell : r.cells) {
      if (!cell.IsFilled()) continue;
      if (static_cast<size_t>(cell.column) >= scan.lastFilled.size()) scan.lastFilled.resize(cell.column + 1, 0);
      if (scan.lastFilled[cell.column] == 0) scan.lastFilled[cell.column] = row;
    }
    scan.above = row;
    return known() == 0;
  });
  if (known() == 0) scan.above = 1;  // every row is scanned
  return known();
}

}  // namespace kestrel
