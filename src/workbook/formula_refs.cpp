// Reference adjustment in formula text: a small scanner that finds A1 references and rewrites them.
#include "workbook/formula_refs.h"

#include <algorithm>
#include <functional>

#include "host/address.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

std::string PartText(const RefPart& p) {
  char text[16];
  return std::string(text, WriteRefPart(p, text));
}

// A reference as found: one part, or two joined by ":" of the same kind.
struct Reference {
  RefPart first;
  std::optional<RefPart> last;
};

std::string ReferenceText(const Reference& r) {
  return r.last ? PartText(r.first) + ":" + PartText(*r.last) : PartText(r.first);
}

// Calls `rewrite` for every reference of the formula (with the sheet name that qualifies it, if
// any) and puts its answer in place of the reference's text; everything else is copied.
using Rewriter = std::function<std::string(const Reference&, const std::optional<std::string>& sheet,
                                           std::string_view original)>;

std::string Rewrite(std::string_view f, const Rewriter& rewrite) {
  std::string out;
  out.reserve(f.size() + 8);
  std::optional<std::string> qualifier;  // the sheet name just before the current word
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    if (c == '"') {  // text constant; "" inside stands for one quote
      size_t j = i + 1;
      while (j < f.size()) {
        if (f[j] == '"') {
          if (j + 1 < f.size() && f[j + 1] == '"') {
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        ++j;
      }
      out.append(f.substr(i, j - i));
      i = j;
      qualifier.reset();
      continue;
    }
    if (c == '\'') {  // quoted sheet name; '' inside stands for one apostrophe
      size_t j = i + 1;
      std::string name;
      while (j < f.size()) {
        if (f[j] == '\'') {
          if (j + 1 < f.size() && f[j + 1] == '\'') {
            name += '\'';
            j += 2;
            continue;
          }
          break;
        }
        name += f[j++];
      }
      size_t end = std::min(f.size(), j + 1);
      out.append(f.substr(i, end - i));
      i = end;
      if (i < f.size() && f[i] == '!') {
        out += '!';
        ++i;
        qualifier = name;
      } else {
        qualifier.reset();
      }
      continue;
    }
    bool wordStart = IsFormulaWordChar(c) && (i == 0 || !IsFormulaWordChar(f[i - 1]));
    if (!wordStart) {
      out += c;
      ++i;
      qualifier.reset();
      continue;
    }
    size_t j = i;
    while (j < f.size() && IsFormulaWordChar(f[j])) ++j;
    std::string_view word = f.substr(i, j - i);
    if (j < f.size() && f[j] == '!') {
      out.append(word);
      out += '!';
      qualifier = std::string(word);
      i = j + 1;
      continue;
    }
    if (j < f.size() && f[j] == '(') {  // a function name such as LOG10 is no reference
      out.append(word);
      i = j;
      qualifier.reset();
      continue;
    }
    auto first = ParseRefPart(word);
    std::optional<Reference> ref;
    size_t end = j;
    if (first && j < f.size() && f[j] == ':') {
      size_t k = j + 1;
      while (k < f.size() && IsFormulaWordChar(f[k])) ++k;
      auto second = ParseRefPart(f.substr(j + 1, k - j - 1));
      if (second && ((first->IsCell() && second->IsCell()) || (first->IsColumn() && second->IsColumn()) ||
                     (first->IsRow() && second->IsRow()))) {
        ref = Reference{*first, *second};
        end = k;
      }
    }
    if (!ref && first && first->IsCell()) ref = Reference{*first, std::nullopt};
    if (ref) {
      out += rewrite(*ref, qualifier, f.substr(i, end - i));
    } else {
      out.append(word);
    }
    i = end;
    qualifier.reset();
  }
  return out;
}

bool SameSheetName(std::string_view a, std::string_view b) { return AsciiLower(a) == AsciiLower(b); }

// Puts the corners of a range in order, each side keeping its "$".
void Normalise(Reference& r) {
  if (!r.last) return;
  RefPart& a = r.first;
  RefPart& b = *r.last;
  if (a.row > b.row) {
    std::swap(a.row, b.row);
    std::swap(a.absRow, b.absRow);
  }
  if (a.column > b.column) {
    std::swap(a.column, b.column);
    std::swap(a.absColumn, b.absColumn);
  }
}

}  // namespace

bool IsFormulaWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
         c == '$' || c == '\\' || u >= 0x80;
}

std::optional<RefPart> ParseRefPart(std::string_view w) {
  RefPart p;
  size_t i = 0;
  bool dollar = i < w.size() && w[i] == '$';
  if (dollar) ++i;
  size_t letters = i;
  while (i < w.size() && ((w[i] >= 'A' && w[i] <= 'Z') || (w[i] >= 'a' && w[i] <= 'z'))) ++i;
  if (i > letters) {
    p.column = ColumnIndex(w.substr(letters, i - letters));
    if (!p.column) return std::nullopt;
    p.absColumn = dollar;
    dollar = i < w.size() && w[i] == '$';
    if (dollar) ++i;
  }
  size_t digits = i;
  while (i < w.size() && w[i] >= '0' && w[i] <= '9') ++i;
  if (i > digits) {
    if (w[digits] == '0' || i - digits > 7) return std::nullopt;
    for (size_t d = digits; d < i; ++d) p.row = p.row * 10 + (w[d] - '0');
    if (p.row > kMaxRows) return std::nullopt;
    p.absRow = dollar;
  } else if (dollar) {
    return std::nullopt;  // "A$" or "$" alone
  }
  if (i != w.size() || (!p.column && !p.row)) return std::nullopt;
  return p;
}

bool MoveRefPart(RefPart& p, int rows, int columns) {
  const bool hasRow = p.row != 0, hasColumn = p.column != 0;
  if (hasRow && !p.absRow) p.row += rows;
  if (hasColumn && !p.absColumn) p.column += columns;
  return (!hasRow || (p.row >= 1 && p.row <= kMaxRows)) && (!hasColumn || (p.column >= 1 && p.column <= kMaxColumns));
}

size_t WriteRefPart(const RefPart& p, char* out) {
  size_t n = 0;
  if (p.column) {
    if (p.absColumn) out[n++] = '$';
    char letters[4];
    size_t count = 0;
    for (int c = p.column; c > 0; c = (c - 1) / 26) letters[count++] = static_cast<char>('A' + (c - 1) % 26);
    while (count) out[n++] = letters[--count];
  }
  if (p.row) {
    if (p.absRow) out[n++] = '$';
    char digits[8];
    size_t count = 0;
    for (int r = p.row; r > 0; r /= 10) digits[count++] = static_cast<char>('0' + r % 10);
    while (count) out[n++] = digits[--count];
  }
  return n;
}

std::optional<std::pair<int, int>> ShiftSpan(int first, int last, const RefShift& shift) {
  const int limit = shift.axis == RefAxis::Rows ? kMaxRows : kMaxColumns;
  if (shift.insert) {
    if (first >= shift.at) first += shift.count;
    if (last >= shift.at) last += shift.count;
    if (first > limit) return std::nullopt;
    return std::pair{first, std::min(last, limit)};
  }
  const int a = shift.at, b = shift.at + shift.count - 1;
  if (first >= a && last <= b) return std::nullopt;
  int newFirst = first < a ? first : (first > b ? first - shift.count : a);
  int newLast = last < a ? last : (last > b ? last - shift.count : a - 1);
  return std::pair{newFirst, newLast};
}

std::string ShiftReferences(std::string_view formula, const RefShift& shift, std::string_view changedSheet,
                            bool onChangedSheet) {
  return Rewrite(formula, [&](const Reference& original, const std::optional<std::string>& sheet,
                              std::string_view text) -> std::string {
    bool applies = sheet ? SameSheetName(*sheet, changedSheet) : onChangedSheet;
    if (!applies) return std::string(text);
    Reference r = original;
    Normalise(r);
    RefPart& a = r.first;
    RefPart& b = r.last ? *r.last : r.first;
    bool rows = shift.axis == RefAxis::Rows;
    if (rows ? a.IsColumn() : a.IsRow()) return std::string(text);  // "A:B" spans every row
    int& lo = rows ? a.row : a.column;
    int& hi = rows ? b.row : b.column;
    auto span = ShiftSpan(lo, hi, shift);
    if (!span) return "#REF!";
    if (span->first == lo && span->second == hi) return std::string(text);
    lo = span->first;
    hi = span->second;
    return ReferenceText(r);
  });
}

std::string OffsetReferences(std::string_view formula, int rows, int columns) {
  if (rows == 0 && columns == 0) return std::string(formula);
  return Rewrite(formula, [&](const Reference& original, const std::optional<std::string>&,
                              std::string_view text) -> std::string {
    auto moves = [&](const RefPart& p) {
      return (p.row && !p.absRow && rows) || (p.column && !p.absColumn && columns);
    };
    const bool changed = moves(original.first) || (original.last && moves(*original.last));
    Reference r = original;
    bool inside = MoveRefPart(r.first, rows, columns);
    if (r.last) inside = MoveRefPart(*r.last, rows, columns) && inside;
    if (!inside) return "#REF!";
    return changed ? ReferenceText(r) : std::string(text);
  });
}

}  // namespace kestrel
