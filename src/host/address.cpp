// A1 address parsing and formatting: cells, blocks, whole columns ("F:F") and whole rows ("7:7").
#include "host/address.h"

#include <algorithm>
#include <cctype>

namespace kestrel {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One side of an A1 range: letters, digits or both, each optionally preceded by "$".
struct Part {
  int column = 0;  // 0: no letters
  int row = 0;     // 0: no digits
};

std::optional<Part> ParsePart(std::string_view s) {
  Part part;
  size_t i = 0;
  if (i < s.size() && s[i] == '$') ++i;
  size_t lettersStart = i;
  while (i < s.size() && IsLetter(s[i])) ++i;
  if (i > lettersStart) {
    part.column = ColumnIndex(s.substr(lettersStart, i - lettersStart));
    if (part.column == 0) return std::nullopt;
    if (i < s.size() && s[i] == '$') ++i;
  }
  size_t digitsStart = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i > digitsStart) {
    if (s[digitsStart] == '0' || i - digitsStart > 7) return std::nullopt;
    int row = 0;
    for (size_t k = digitsStart; k < i; ++k) row = row * 10 + (s[k] - '0');
    if (row > kMaxRows) return std::nullopt;
    part.row = row;
  }
  if (i != s.size() || (part.column == 0 && part.row == 0)) return std::nullopt;
  // A "$" standing between letters and nothing ("A$") is not an address.
  if (part.row == 0 && !s.empty() && s.back() == '$') return std::nullopt;
  return part;
}

}  // namespace

int ColumnIndex(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int column = 0;
  for (char c : letters) {
    if (!IsLetter(c)) return 0;
    column = column * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
  }
  return column <= kMaxColumns ? column : 0;
}

std::string ColumnLetters(int column) {
  std::string letters;
  while (column > 0) {
    int rest = (column - 1) % 26;
    letters.insert(letters.begin(), static_cast<char>('A' + rest));
    column = (column - 1) / 26;
  }
  return letters;
}

std::string CellA1(CellRef cell, bool absolute) {
  std::string dollar = absolute ? "$" : "";
  return dollar + ColumnLetters(cell.column) + dollar + std::to_string(cell.row);
}

std::optional<RangeRef> RangeRef::Parse(std::string_view a1) {
  size_t colon = a1.find(':');
  std::string_view left = a1.substr(0, colon);
  std::string_view right = colon == std::string_view::npos ? a1 : a1.substr(colon + 1);
  if (right.find(':') != std::string_view::npos) return std::nullopt;
  auto p1 = ParsePart(left);
  auto p2 = ParsePart(right);
  if (!p1 || !p2) return std::nullopt;
  bool cell1 = p1->column && p1->row, cell2 = p2->column && p2->row;
  RangeRef r;
  if (cell1 && cell2) {
    r = Block(p1->row, p1->column, p2->row, p2->column);
  } else if (colon == std::string_view::npos) {
    return std::nullopt;  // "F" or "7" alone is no address
  } else if (!p1->row && !p2->row) {
    r = WholeColumns(p1->column, p2->column);
  } else if (!p1->column && !p2->column) {
    r = WholeRows(p1->row, p2->row);
  } else {
    return std::nullopt;  // "A1:C" and the like
  }
  // The host accepts the corners in any order and normalises them.
  if (r.first.row > r.last.row) std::swap(r.first.row, r.last.row);
  if (r.first.column > r.last.column) std::swap(r.first.column, r.last.column);
  return r;
}

std::string RangeRef::ToA1() const {
  if (IsWholeRows()) return std::to_string(first.row) + ":" + std::to_string(last.row);
  if (IsWholeColumns()) return ColumnLetters(first.column) + ":" + ColumnLetters(last.column);
  if (first == last) return CellA1(first);
  return CellA1(first) + ":" + CellA1(last);
}

}  // namespace kestrel
