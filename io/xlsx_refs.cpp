// A1 cell and range references of .xlsx files.
#include "io/xlsx_refs.h"

#include <utility>

namespace kestrel {

RefCheck ParseCellRef(std::string_view text, CellRef& cell) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  long long column = 0;
  const size_t lettersStart = i;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    if (column <= kMaxColumns) column = column * 26 + (c - 'A' + 1);
  }
  if (i == lettersStart) return RefCheck::Malformed;
  if (i < text.size() && text[i] == '$') ++i;
  long long row = 0;
  const size_t digitsStart = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (row <= kMaxRows) row = row * 10 + (text[i] - '0');
  if (i == digitsStart || i != text.size()) return RefCheck::Malformed;
  if (row < 1 || row > kMaxRows || column > kMaxColumns) return RefCheck::OutOfRange;
  cell = {static_cast<int>(row), static_cast<int>(column)};
  return RefCheck::Ok;
}

RefCheck ParseRangeRef(std::string_view text, RangeRef& range) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    RefCheck check = ParseCellRef(text, range.first);
    range.last = range.first;
    return check;
  }
  RefCheck first = ParseCellRef(text.substr(0, colon), range.first);
  RefCheck last = ParseCellRef(text.substr(colon + 1), range.last);
  if (first == RefCheck::Malformed || last == RefCheck::Malformed) return RefCheck::Malformed;
  if (first == RefCheck::OutOfRange || last == RefCheck::OutOfRange) return RefCheck::OutOfRange;
  // Corners may come in any order; the range is the rectangle they span.
  if (range.first.row > range.last.row) std::swap(range.first.row, range.last.row);
  if (range.first.column > range.last.column) std::swap(range.first.column, range.last.column);
  return RefCheck::Ok;
}

}  // namespace kestrel
