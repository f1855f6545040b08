// Comparisons of cell values and the criteria of SUMIF and SUMIFS.
#include "workbook/formula_compare.h"

#include <string_view>

#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel::formula {
namespace {

// The kinds in the host's order across kinds.
enum class Kind { Number, Text, Boolean };

Kind KindOf(const CellValue& v) {
  if (v.IsText()) return Kind::Text;
  if (v.IsBoolean()) return Kind::Boolean;
  return Kind::Number;
}

// An empty cell takes the kind of the other side.
CellValue EmptyAs(Kind kind) {
  if (kind == Kind::Text) return CellValue(std::string());
  if (kind == Kind::Boolean) return CellValue::Boolean(false);
  return CellValue(0.0);
}

bool HasNonAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// -1, 0 or 1 for a before, equal to or after b; neither empty nor an error. Nothing where the
// host's order of texts is its language's, not ours to guess: texts beyond ASCII that are not
// the same bytes, unless only one of them is beyond ASCII (no case makes them equal).
std::optional<int> Order(const CellValue& a, const CellValue& b, Comparison op) {
  const Kind ka = KindOf(a), kb = KindOf(b);
  if (ka != kb) return ka < kb ? -1 : 1;
  if (ka == Kind::Number) return a.Number() < b.Number() ? -1 : a.Number() > b.Number() ? 1 : 0;
  if (ka == Kind::Boolean) return a.Bool() == b.Bool() ? 0 : a.Bool() ? 1 : -1;
  if (a.Text() != b.Text() && (HasNonAscii(a.Text()) || HasNonAscii(b.Text()))) {
    const bool equality = op == Comparison::Equal || op == Comparison::NotEqual;
    if (!equality || (HasNonAscii(a.Text()) && HasNonAscii(b.Text()))) return std::nullopt;
    return 1;  // unequal
  }
  const std::string x = AsciiLower(a.Text()), y = AsciiLower(b.Text());
  return x < y ? -1 : x > y ? 1 : 0;
}

bool Holds(int order, Comparison op) {
  switch (op) {
    case Comparison::Equal:
      return order == 0;
    case Comparison::NotEqual:
      return order != 0;
    case Comparison::Less:
      return order < 0;
    case Comparison::Greater:
      return order > 0;
    case Comparison::LessOrEqual:
      return order <= 0;
    case Comparison::GreaterOrEqual:
      return order >= 0;
  }
  return false;
}

}  // namespace

std::optional<CellValue> CompareValues(const CellValue& a, const CellValue& b, Comparison op) {
  if (a.IsError()) return a;
  if (b.IsError()) return b;
  const CellValue left = a.IsEmpty() ? EmptyAs(b.IsEmpty() ? Kind::Number : KindOf(b)) : a;
  const CellValue right = b.IsEmpty() ? EmptyAs(KindOf(left)) : b;
  const std::optional<int> order = Order(left, right, op);
  if (!order) return std::nullopt;
  return CellValue::Boolean(Holds(*order, op));
}

std::optional<Criterion> CriterionOf(const CellValue& given) {
  if (given.IsError()) return std::nullopt;
  if (!given.IsText()) return Criterion{Comparison::Equal, given.IsEmpty() ? CellValue(std::string()) : given};
  std::string_view text = given.Text();
  Criterion c;
  constexpr std::pair<std::string_view, Comparison> kOperators[] = {
      {"<>", Comparison::NotEqual}, {"<=", Comparison::LessOrEqual}, {">=", Comparison::GreaterOrEqual},
      {"<", Comparison::Less},      {">", Comparison::Greater},       {"=", Comparison::Equal}};
  for (const auto& [symbol, op] : kOperators) {
    if (text.substr(0, symbol.size()) == symbol) {
      c.op = op;
      text.remove_prefix(symbol.size());
      break;
    }
  }
  if (text.find_first_of("*?~") != std::string_view::npos) return std::nullopt;
  if (auto number = StrictNumber(text)) {
    c.value = CellValue(*number);
  } else if (AsciiLower(text) == "true" || AsciiLower(text) == "false") {
    c.value = CellValue::Boolean(AsciiLower(text) == "true");
  } else {
    c.value = CellValue(std::string(text));
  }
  return c;
}

std::optional<bool> Meets(const Criterion& criterion, const CellValue& cell) {
  const CellValue& want = criterion.value;
  const bool notEqual = criterion.op == Comparison::NotEqual;
  if (cell.IsError()) return notEqual;
  if (want.IsText() && want.Text().empty()) {
    // "=" or "" is met by empty cells (and empty texts); "<>" by every other cell.
    const bool blank = cell.IsEmpty() || (cell.IsText() && cell.Text().empty());
    if (criterion.op == Comparison::Equal) return blank;
    if (notEqual) return !blank;
  }
  if (cell.IsEmpty() || KindOf(cell) != KindOf(want)) return notEqual;
  const std::optional<int> order = Order(cell, want, criterion.op);
  if (!order) return std::nullopt;
  return Holds(*order, criterion.op);
}

}  // namespace kestrel::formula
