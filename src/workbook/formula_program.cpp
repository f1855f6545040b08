// The formula language's parser, and shapes' moved texts.
#include "workbook/formula_program.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel::formula {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// `word` is `upper` in any case.
bool SameWord(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}


// Recursive descent over the formula text, appending postfix steps to `ops` and its texts to
// `texts`, and, when `spans` is given, where each side of a reference stands. Every method
// returns false for anything outside the understood language; the whole formula is then not
// computed.
class Parser {
 public:
  Parser(std::string_view formula, int ownSheet, const SheetNames& sheets, std::vector<Op>& ops,
         std::vector<CellValue>& texts, std::vector<RefSpan>* spans)
      : f_(formula), ownSheet_(ownSheet), sheets_(sheets), ops_(ops), texts_(texts), textBase_(texts.size()),
        spans_(spans) {}

  bool Parse() {
    if (f_.empty() || f_[0] != '=') return false;
    pos_ = 1;
    if (!Compared(0)) return false;
    SkipBlanks();
    return pos_ == f_.size();
  }

 private:
  static constexpr int kMaxDepth = 64;  // nesting of parentheses and functions

  void SkipBlanks() {
    while (pos_ < f_.size() && (f_[pos_] == ' ' || f_[pos_] == '\n' || f_[pos_] == '\r')) ++pos_;
  }
  bool Peek(char c) {
    SkipBlanks();
    return pos_ < f_.size() && f_[pos_] == c;
  }
  void Emit(OpCode code) { ops_.emplace_back(code); }
  // The binary operators by precedence, loosest first; the operands of each level are
  // expressions of the next, and those of the last are unary.
  struct OperatorLevel {
    char symbol[2];
    OpCode code[2];
  };
  static constexpr OperatorLevel kLevels[] = {{{'&', '&'}, {OpCode::Concat, OpCode::Concat}},
                                              {{'+', '-'}, {OpCode::Add, OpCode::Subtract}},
                                              {{'*', '/'}, {OpCode::Multiply, OpCode::Divide}}};

  // A comparison, the loosest operator: "A1>0", "A1<>\"x\"", or an expression alone.
  bool Compared(int depth) {
    if (!Expression(depth)) return false;
    while (true) {
      SkipBlanks();
      const std::optional<Comparison> comparison = ComparisonAhead();
      if (!comparison) return true;
      if (!Expression(depth)) return false;
      ops_.emplace_back(OpCode::Compare, 0, static_cast<int>(*comparison));
    }
  }

  // The comparison operator at the position, read; nothing (and nothing read) for any other text.
  std::optional<Comparison> ComparisonAhead() {
    if (pos_ >= f_.size()) return std::nullopt;
    const char c = f_[pos_], next = pos_ + 1 < f_.size() ? f_[pos_ + 1] : '\0';
    if (c == '=') return ++pos_, Comparison::Equal;
    if (c == '<' && next == '>') return pos_ += 2, Comparison::NotEqual;
    if (c == '<' && next == '=') return pos_ += 2, Comparison::LessOrEqual;
    if (c == '>' && next == '=') return pos_ += 2, Comparison::GreaterOrEqual;
    if (c == '<') return ++pos_, Comparison::Less;
    if (c == '>') return ++pos_, Comparison::Greater;
    return std::nullopt;
  }

  bool Expression(int depth, size_t level = 0) {
    if (level == std::size(kLevels)) return Unary(depth);
    const OperatorLevel& ops = kLevels[level];
    if (!Expression(depth, level + 1)) return false;
    while (Peek(ops.symbol[0]) || Peek(ops.symbol[1])) {
      const OpCode code = ops.code[f_[pos_++] == ops.symbol[0] ? 0 : 1];
      if (!Expression(depth, level + 1)) return false;
      Emit(code);
    }
    return true;
  }

  // Each minus negates (so "--" turns a text into its number, as in the host); a plus changes
  // nothing.
  bool Unary(int depth) {
    int minus = 0;
    while (Peek('-') || Peek('+')) minus += f_[pos_++] == '-';
    if (!Primary(depth)) return false;
    for (int i = 0; i < minus; ++i) Emit(OpCode::Negate);
    return true;
  }

  bool Primary(int depth) {
    if (depth > kMaxDepth) return false;
    SkipBlanks();
    if (pos_ >= f_.size()) return false;
    char c = f_[pos_];
    if (c == '"') return StringLiteral();
    if (c == '(') {
      ++pos_;
      if (!Compared(depth + 1) || !Peek(')')) return false;
      ++pos_;
      return true;
    }
    if (c == '\'') return QuotedSheetReference();
    if (IsDigit(c) && !RowRangeAhead()) return NumberLiteral();
    if (c == '.') return NumberLiteral();
    if (c == '#') return RefErrorLiteral();
    if (!IsFormulaWordChar(c)) return false;  // operators out of place, ...
    size_t start = pos_;
    while (pos_ < f_.size() && IsFormulaWordChar(f_[pos_])) ++pos_;
    std::string_view word = f_.substr(start, pos_ - start);
    if (pos_ < f_.size() && f_[pos_] == '!') {
      ++pos_;
      return QualifiedReference(sheets_.Find(word));
    }
    if (pos_ < f_.size() && f_[pos_] == '(') return FunctionCall(word, depth);
    const bool isTrue = SameWord(word, "TRUE");
    if (isTrue || SameWord(word, "FALSE")) {
      ops_.emplace_back(OpCode::Boolean, isTrue ? 1.0 : 0.0);
      return true;
    }
    return Reference(word, ownSheet_);
  }

  // "5:5" and "2:14" are whole rows, not numbers.
  bool RowRangeAhead() const {
    size_t i = pos_;
    while (i < f_.size() && IsDigit(f_[i])) ++i;
    return i < f_.size() && f_[i] == ':';
  }

  bool StringLiteral() {
    std::string text;
    for (size_t i = pos_ + 1; i < f_.size(); ++i) {
      if (f_[i] != '"') {
        text += f_[i];
        continue;
      }
      if (i + 1 < f_.size() && f_[i + 1] == '"') {
        text += '"';
        ++i;
        continue;
      }
      pos_ = i + 1;
      ops_.emplace_back(OpCode::Text, 0, static_cast<int>(texts_.size() - textBase_));
      texts_.push_back(std::move(text));
      return true;
    }
    return false;  // unterminated
  }

  bool NumberLiteral() {
    size_t i = pos_;
    while (i < f_.size() && IsDigit(f_[i])) ++i;
    if (i < f_.size() && f_[i] == '.') {
      ++i;
      while (i < f_.size() && IsDigit(f_[i])) ++i;
    }
    if (i < f_.size() && (f_[i] == 'e' || f_[i] == 'E')) {
      size_t j = i + 1;
      if (j < f_.size() && (f_[j] == '+' || f_[j] == '-')) ++j;
      size_t digits = j;
      while (j < f_.size() && IsDigit(f_[j])) ++j;
      if (j == digits) return false;
      i = j;
    }
    if (i < f_.size() && IsFormulaWordChar(f_[i])) return false;  // "1A", "1.2.3"
    auto number = StrictNumber(f_.substr(pos_, i - pos_));
    if (!number) return false;
    pos_ = i;
    ops_.emplace_back(OpCode::Number, *number);
    return true;
  }

  bool QuotedSheetReference() {
    std::string name;
    size_t i = pos_ + 1;
    for (;; ++i) {
      if (i >= f_.size()) return false;
      if (f_[i] != '\'') {
        name += f_[i];
        continue;
      }
      if (i + 1 < f_.size() && f_[i + 1] == '\'') {
        name += '\'';
        ++i;
        continue;
      }
      break;
    }
    if (i + 1 >= f_.size() || f_[i + 1] != '!') return false;
    pos_ = i + 2;
    return QualifiedReference(sheets_.Find(name));
  }

  // "#REF!", which the host writes in place of a reference whose cells were deleted: the error
  // itself. Other error literals are not understood.
  bool RefErrorLiteral() {
    constexpr std::string_view kRef = "#REF!";
    if (f_.substr(pos_, kRef.size()) != kRef) return false;
    pos_ += kRef.size();
    Emit(OpCode::RefError);
    return true;
  }

  bool QualifiedReference(int sheet) {
    if (sheet < 0) return false;  // the host shows #REF!; not ours to invent
    if (pos_ < f_.size() && f_[pos_] == '#') return RefErrorLiteral();  // "Sheet1!#REF!"
    size_t start = pos_;
    while (pos_ < f_.size() && IsFormulaWordChar(f_[pos_])) ++pos_;
    return Reference(f_.substr(start, pos_ - start), sheet);
  }

  // A cell, or a block joined by ":" to a second part of the same kind.
  bool Reference(std::string_view word, int sheet) {
    auto first = ParseRefPart(word);
    if (!first) return false;
    Op op(OpCode::Ref);
    op.sheet = sheet;
    op.from = *first;
    const size_t begin = static_cast<size_t>(word.data() - f_.data());
    if (spans_) spans_->push_back({begin, begin + word.size(), *first});
    std::optional<RangeRef> range;
    if (pos_ < f_.size() && f_[pos_] == ':') {
      size_t start = ++pos_;
      while (pos_ < f_.size() && IsFormulaWordChar(f_[pos_])) ++pos_;
      auto last = ParseRefPart(f_.substr(start, pos_ - start));
      if (!last) return false;
      if (spans_) spans_->push_back({start, pos_, *last});
      op.pair = true;
      op.to = *last;
      range = RangeOf(*first, &*last);
    } else {
      range = RangeOf(*first, nullptr);
    }
    if (!range) return false;
    op.range = *range;
    ops_.push_back(op);
    return true;
  }

  // The functions understood, with the counts of arguments each takes.
  struct FunctionName {
    std::string_view name;
    Function function;
    int fewest, most;  // most -1: any number
  };
  static constexpr FunctionName kFunctions[] = {
      {"MIN", Function::Min, 1, -1},     {"MAX", Function::Max, 1, -1},   {"ABS", Function::Abs, 1, 1},
      {"SQRT", Function::Sqrt, 1, 1},    {"IF", Function::If, 2, 3},      {"SUMIF", Function::SumIf, 2, 3},
      {"SUMIFS", Function::SumIfs, 3, -1}};

  bool FunctionCall(std::string_view name, int depth) {
    const bool sum = SameWord(name, "SUM");
    const FunctionName* known = nullptr;
    for (const FunctionName& f : kFunctions)
      if (SameWord(name, f.name)) known = &f;
    if (!sum && !known) return false;
    ++pos_;  // "("
    int count = 0;
    for (;;) {
      if (!Compared(depth + 1)) return false;
      ++count;
      if (Peek(',')) {
        ++pos_;
        continue;
      }
      if (!Peek(')')) return false;
      ++pos_;
      break;
    }
    if (sum) {
      ops_.emplace_back(OpCode::Sum, 0, count);
      return true;
    }
    if (count < known->fewest || (known->most >= 0 && count > known->most)) return false;
    if (known->function == Function::SumIfs && count % 2 == 0) return false;  // a range without its criterion
    ops_.emplace_back(OpCode::Call, static_cast<double>(known->function), count);
    return true;
  }

  std::string_view f_;
  size_t pos_ = 0;
  int ownSheet_;
  const SheetNames& sheets_;
  std::vector<Op>& ops_;
  std::vector<CellValue>& texts_;
  size_t textBase_;
  std::vector<RefSpan>* spans_;
};

}  // namespace

std::optional<RangeRef> RangeOf(const RefPart& first, const RefPart* last) {
  if (!last) {
    if (!first.column || !first.row) return std::nullopt;
    return RangeRef::Cell(first.row, first.column);
  }
  const bool cells = first.column && first.row && last->column && last->row;
  const bool columns = !first.row && !last->row;
  const bool rows = !first.column && !last->column;
  if (cells) {
    return RangeRef::Block(std::min(first.row, last->row), std::min(first.column, last->column),
                           std::max(first.row, last->row), std::max(first.column, last->column));
  }
  if (columns) return RangeRef::WholeColumns(std::min(first.column, last->column), std::max(first.column, last->column));
  if (rows) return RangeRef::WholeRows(std::min(first.row, last->row), std::max(first.row, last->row));
  return std::nullopt;
}

SheetNames::SheetNames(MemoryWorkbook& book) {
  for (int i = 0; i < book.SheetCount(); ++i) indexByName_.emplace(AsciiLower(book.Sheet(i).SheetName()), i);
}

int SheetNames::Find(std::string_view name) const {
  auto it = indexByName_.find(AsciiLower(name));
  return it == indexByName_.end() ? -1 : it->second;
}

bool CompileFormula(std::string_view formula, int ownSheet, const SheetNames& sheets, std::vector<Op>& ops,
                    std::vector<CellValue>& texts, std::vector<RefSpan>* spans) {
  return Parser(formula, ownSheet, sheets, ops, texts, spans).Parse();
}

bool Fits(const Shape& shape, std::string_view text, int rows, int columns) {
  size_t at = 0;
  auto next = [&](const char* chars, size_t count) {
    if (text.size() - at < count) return false;
    for (size_t i = 0; i < count; ++i)
      if (text[at + i] != chars[i]) return false;
    at += count;
    return true;
  };
  size_t from = 0;
  char written[16];
  for (const RefSpan& span : shape.spans) {
    if (!next(shape.text.data() + from, span.begin - from)) return false;
    from = span.end;
    RefPart part = span.part;
    if (!MoveRefPart(part, rows, columns) || !next(written, WriteRefPart(part, written))) return false;
  }
  return next(shape.text.data() + from, shape.text.size() - from) && at == text.size();
}

}  // namespace kestrel::formula
