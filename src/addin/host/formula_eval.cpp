// Formula calculation: formulas compiled to postfix programs, computed once per cell and run.
#include "addin/host/formula_eval.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "addin/host/address.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// ---- Programs ----

enum class OpCode : std::uint8_t {
  Number, Text, Boolean, Ref, RefError, Negate, Add, Subtract, Multiply, Divide, Concat, Sum
};

// One step of a formula in postfix order. Number and Boolean push `number`; Text pushes
// texts[count]; Ref pushes a reference to `range` on `sheet`; RefError pushes the error #REF!;
// Sum pops `count` arguments.
struct Op {
  explicit Op(OpCode c, double n = 0, int k = 0) : code(c), number(n), count(k) {}
  OpCode code;
  double number;
  int count;
  int sheet = 0;
  RangeRef range;
};

struct Program {
  std::vector<Op> ops;
  std::vector<std::string> texts;
};

// Returns the index of the sheet of that name (any case), or -1.
using SheetResolver = std::function<int(std::string_view)>;

bool IsWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
         c == '$' || c == '\\' || u >= 0x80;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One side of a reference: a cell "$B$5", a column "$B" or a row "5".
struct RefPart {
  int column = 0;
  int row = 0;
};

std::optional<RefPart> ParseRefPart(std::string_view w) {
  RefPart p;
  size_t i = 0;
  if (i < w.size() && w[i] == '$') ++i;
  size_t letters = i;
  while (i < w.size() && ((w[i] >= 'A' && w[i] <= 'Z') || (w[i] >= 'a' && w[i] <= 'z'))) ++i;
  if (i > letters) {
    p.column = ColumnIndex(w.substr(letters, i - letters));
    if (!p.column) return std::nullopt;
    if (i < w.size() && w[i] == '$') {
      ++i;
      if (i == w.size()) return std::nullopt;  // "A$"
    }
  }
  size_t digits = i;
  while (i < w.size() && IsDigit(w[i])) ++i;
  if (i > digits) {
    if (w[digits] == '0' || i - digits > 7) return std::nullopt;
    p.row = std::stoi(std::string(w.substr(digits, i - digits)));
    if (p.row > kMaxRows) return std::nullopt;
  }
  if (i != w.size() || (!p.column && !p.row)) return std::nullopt;
  return p;
}

// Recursive descent over the formula text, emitting postfix steps. Every method returns false
// for anything outside the understood language; the whole formula is then not computed.
class Parser {
 public:
  Parser(std::string_view formula, int ownSheet, const SheetResolver& resolve)
      : f_(formula), ownSheet_(ownSheet), resolve_(resolve) {}

  std::optional<Program> Parse() {
    if (f_.empty() || f_[0] != '=') return std::nullopt;
    pos_ = 1;
    if (!Concatenation(0)) return std::nullopt;
    SkipBlanks();
    if (pos_ != f_.size()) return std::nullopt;
    return std::move(program_);
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
  void Emit(OpCode code) { program_.ops.push_back(Op(code)); }

  bool Concatenation(int depth) {
    if (!Additive(depth)) return false;
    while (Peek('&')) {
      ++pos_;
      if (!Additive(depth)) return false;
      Emit(OpCode::Concat);
    }
    return true;
  }

  bool Additive(int depth) {
    if (!Multiplicative(depth)) return false;
    while (Peek('+') || Peek('-')) {
      OpCode code = f_[pos_++] == '+' ? OpCode::Add : OpCode::Subtract;
      if (!Multiplicative(depth)) return false;
      Emit(code);
    }
    return true;
  }

  bool Multiplicative(int depth) {
    if (!Unary(depth)) return false;
    while (Peek('*') || Peek('/')) {
      OpCode code = f_[pos_++] == '*' ? OpCode::Multiply : OpCode::Divide;
      if (!Unary(depth)) return false;
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
      if (!Concatenation(depth + 1) || !Peek(')')) return false;
      ++pos_;
      return true;
    }
    if (c == '\'') return QuotedSheetReference();
    if (IsDigit(c) && !RowRangeAhead()) return NumberLiteral();
    if (c == '.') return NumberLiteral();
    if (c == '#') return RefErrorLiteral();
    if (!IsWordChar(c)) return false;  // operators out of place, ...
    size_t start = pos_;
    while (pos_ < f_.size() && IsWordChar(f_[pos_])) ++pos_;
    std::string_view word = f_.substr(start, pos_ - start);
    if (pos_ < f_.size() && f_[pos_] == '!') {
      ++pos_;
      return QualifiedReference(resolve_(word));
    }
    if (pos_ < f_.size() && f_[pos_] == '(') return Function(word, depth);
    std::string upper = AsciiUpper(word);
    if (upper == "TRUE" || upper == "FALSE") {
      program_.ops.push_back(Op(OpCode::Boolean, upper == "TRUE" ? 1.0 : 0.0));
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
      program_.ops.push_back(Op(OpCode::Text, 0, static_cast<int>(program_.texts.size())));
      program_.texts.push_back(std::move(text));
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
    if (i < f_.size() && IsWordChar(f_[i])) return false;  // "1A", "1.2.3"
    auto number = StrictNumber(f_.substr(pos_, i - pos_));
    if (!number) return false;
    pos_ = i;
    program_.ops.push_back(Op(OpCode::Number, *number));
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
    return QualifiedReference(resolve_(name));
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
    while (pos_ < f_.size() && IsWordChar(f_[pos_])) ++pos_;
    return Reference(f_.substr(start, pos_ - start), sheet);
  }

  // A cell, or a block joined by ":" to a second part of the same kind.
  bool Reference(std::string_view word, int sheet) {
    auto first = ParseRefPart(word);
    if (!first) return false;
    RangeRef range;
    if (pos_ < f_.size() && f_[pos_] == ':') {
      size_t start = ++pos_;
      while (pos_ < f_.size() && IsWordChar(f_[pos_])) ++pos_;
      auto last = ParseRefPart(f_.substr(start, pos_ - start));
      if (!last) return false;
      const bool cells = first->column && first->row && last->column && last->row;
      const bool columns = !first->row && !last->row;
      const bool rows = !first->column && !last->column;
      if (cells) {
        range = RangeRef::Block(std::min(first->row, last->row), std::min(first->column, last->column),
                                std::max(first->row, last->row), std::max(first->column, last->column));
      } else if (columns) {
        range = RangeRef::WholeColumns(std::min(first->column, last->column), std::max(first->column, last->column));
      } else if (rows) {
        range = RangeRef::WholeRows(std::min(first->row, last->row), std::max(first->row, last->row));
      } else {
        return false;
      }
    } else {
      if (!first->column || !first->row) return false;
      range = RangeRef::Cell(first->row, first->column);
    }
    Op op(OpCode::Ref);
    op.sheet = sheet;
    op.range = range;
    program_.ops.push_back(op);
    return true;
  }

  bool Function(std::string_view name, int depth) {
    if (AsciiUpper(name) != "SUM") return false;
    ++pos_;  // "("
    int count = 0;
    for (;;) {
      if (!Concatenation(depth + 1)) return false;
      ++count;
      if (Peek(',')) {
        ++pos_;
        continue;
      }
      if (!Peek(')')) return false;
      ++pos_;
      break;
    }
    program_.ops.push_back(Op(OpCode::Sum, 0, count));
    return true;
  }

  std::string_view f_;
  size_t pos_ = 0;
  int ownSheet_;
  const SheetResolver& resolve_;
  Program program_;
};

// ---- Values ----

// The host's conversion for arithmetic: a number, or the error the operand gives.
struct Number {
  Number(double v) : value(v) {}
  Number(CellError e) : error(e) {}
  double value = 0;
  std::optional<CellError> error;
};

Number ToNumber(const CellValue& v) {
  if (v.IsNumber()) return v.Number();
  if (v.IsEmpty()) return 0.0;
  if (v.IsBoolean()) return v.Bool() ? 1.0 : 0.0;
  if (v.IsError()) return v.Error();
  if (auto n = StrictNumber(v.Text())) return *n;
  return CellError::Value;
}

// A finite result, with -0 shown as 0 as the host shows it.
CellValue NumberResult(double v) {
  if (!std::isfinite(v)) return CellValue::Error(CellError::Num);
  return CellValue(v == 0 ? 0.0 : v);
}

// An operand on the calculation stack: a value, or a reference not read yet (SUM reads
// references differently from values).
struct Operand {
  Operand(CellValue v) : value(std::move(v)) {}
  Operand(const Op& reference) : ref(reference) {}
  CellValue value;
  std::optional<Op> ref;
};

// ---- The calculator ----

class Calculator {
 public:
  explicit Calculator(MemoryWorkbook& book) {
    for (int i = 0; i < book.SheetCount(); ++i) {
      sheets_.push_back(&book.Sheet(i));
      indexByName_.emplace(AsciiLower(book.Sheet(i).SheetName()), i);
    }
    resolve_ = [this](std::string_view name) {
      auto it = indexByName_.find(AsciiLower(name));
      return it == indexByName_.end() ? -1 : it->second;
    };
  }

  std::optional<CellValue> FormulaCell(int sheet, CellRef cell) {
    int index = NodeFor(sheet, cell);
    Compute(index);
    return nodes_[index].result;
  }

  std::optional<CellValue> Formula(int sheet, std::string_view formula) {
    auto program = Parser(formula, sheet, resolve_).Parse();
    if (!program) return std::nullopt;
    std::vector<int> deps;
    CollectDependencies(*program, deps);
    for (int dep : deps) Compute(dep);
    return Run(*program);
  }

  // Room for `count` formula cells, so that the node table does not grow while they are computed.
  void Reserve(size_t count) {
    nodes_.reserve(count);
    nodeIndex_.reserve(count);
  }

  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  MemoryWorksheet& Sheet(int index) { return *sheets_[index]; }

 private:
  enum class State : std::uint8_t { New, Visiting, Done };
  struct Node {
    int sheet = 0;
    CellRef at;
    State state = State::New;
    std::optional<Program> program;  // kept only while the node is being computed
    std::vector<int> deps;           // formula cells it refers to
    size_t nextDep = 0;
    std::optional<CellValue> result;
  };

  static std::uint64_t Key(int sheet, CellRef c) {
    return (static_cast<std::uint64_t>(sheet) << 40) | (static_cast<std::uint64_t>(c.row) << 16) |
           static_cast<std::uint64_t>(c.column);
  }

  int NodeFor(int sheet, CellRef at) {
    auto [it, added] = nodeIndex_.emplace(Key(sheet, at), static_cast<int>(nodes_.size()));
    if (added) {
      Node node;
      node.sheet = sheet;
      node.at = at;
      nodes_.push_back(std::move(node));
    }
    return it->second;
  }

  // Formula cells the program reads, each once per reference.
  void CollectDependencies(const Program& program, std::vector<int>& deps) {
    for (const Op& op : program.ops) {
      if (op.code != OpCode::Ref) continue;
      sheets_[op.sheet]->VisitCells(op.range, [&](const CellView& c) {
        if (c.formula) deps.push_back(NodeFor(op.sheet, c.at));
      });
    }
  }

  void Prepare(int index) {
    const int sheet = nodes_[index].sheet;
    auto view = sheets_[sheet]->StoredCell(nodes_[index].at);
    std::optional<Program> program;
    if (view && view->formula) program = Parser(*view->formula, sheet, resolve_).Parse();
    std::vector<int> deps;
    if (program) CollectDependencies(*program, deps);
    Node& node = nodes_[index];
    node.program = std::move(program);
    node.deps = std::move(deps);
    node.state = State::Visiting;
  }

  // Depth-first over the formula cells `index` depends on, with a stack of our own so that a
  // chain of a hundred thousand formulas cannot overflow the machine's stack. A cell is run
  // once all it refers to is done, except the cells still on the stack: those close a circle.
  void Compute(int index) {
    if (nodes_[index].state != State::New) return;
    Prepare(index);
    std::vector<int>& stack = stack_;
    stack.assign(1, index);
    while (!stack.empty()) {
      const int top = stack.back();
      if (nodes_[top].nextDep < nodes_[top].deps.size()) {
        const int dep = nodes_[top].deps[nodes_[top].nextDep++];
        if (nodes_[dep].state == State::New) {
          Prepare(dep);
          stack.push_back(dep);
        }
        continue;
      }
      std::optional<CellValue> result;
      if (nodes_[top].program) result = Run(*nodes_[top].program);
      Node& node = nodes_[top];
      node.result = std::move(result);
      node.state = State::Done;
      node.program.reset();
      node.deps = {};
      stack.pop_back();
    }
  }

  // What a formula reading the cell sees; nothing when the cell's formula is not computed.
  std::optional<CellValue> CellRead(int sheet, CellRef at) {
    auto view = sheets_[sheet]->StoredCell(at);
    if (!view) return CellValue();
    if (!view->formula) return *view->value;
    auto it = nodeIndex_.find(Key(sheet, at));
    if (it == nodeIndex_.end()) return std::nullopt;
    const Node& node = nodes_[it->second];
    if (node.state == State::Visiting) return CellValue::Error(CellError::Value);  // a circle
    if (node.state == State::New) return std::nullopt;
    return node.result;
  }

  std::optional<CellValue> Dereference(const Operand& operand) {
    if (!operand.ref) return operand.value;
    const RangeRef& r = operand.ref->range;
    if (r.Rows() != 1 || r.Columns() != 1) return std::nullopt;  // a block used as one value
    return CellRead(operand.ref->sheet, r.first);
  }

  // SUM over the cells of a reference: numbers add up, errors stop it, the rest is skipped.
  bool SumReference(const Op& ref, double& total, std::optional<CellError>& error) {
    bool computed = true;
    sheets_[ref.sheet]->VisitCells(ref.range, [&](const CellView& c) {
      if (!computed || error) return;
      std::optional<CellValue> v = c.formula ? CellRead(ref.sheet, c.at) : *c.value;
      if (!v) {
        computed = false;
        return;
      }
      if (v->IsNumber()) total += v->Number();
      if (v->IsError()) error = v->Error();
    });
    return computed;
  }

  std::optional<CellValue> Run(const Program& program) {
    std::vector<Operand> stack;
    stack.reserve(8);
    auto pop = [&] {
      Operand o = std::move(stack.back());
      stack.pop_back();
      return o;
    };
    for (const Op& op : program.ops) {
      switch (op.code) {
        case OpCode::Number:
          stack.push_back({CellValue(op.number)});
          break;
        case OpCode::Text:
          stack.push_back({CellValue(program.texts[op.count])});
          break;
        case OpCode::Boolean:
          stack.push_back({CellValue::Boolean(op.number != 0)});
          break;
        case OpCode::Ref:
          stack.push_back(Operand(op));
          break;
        case OpCode::RefError:
          stack.push_back({CellValue::Error(CellError::Ref)});
          break;
        case OpCode::Negate: {
          auto v = Dereference(pop());
          if (!v) return std::nullopt;
          Number n = ToNumber(*v);
          stack.push_back({n.error ? CellValue::Error(*n.error) : NumberResult(-n.value)});
          break;
        }
        case OpCode::Add:
        case OpCode::Subtract:
        case OpCode::Multiply:
        case OpCode::Divide: {
          auto b = Dereference(pop());
          auto a = Dereference(pop());
          if (!a || !b) return std::nullopt;
          stack.push_back({Arithmetic(op.code, ToNumber(*a), ToNumber(*b))});
          break;
        }
        case OpCode::Concat: {
          auto b = Dereference(pop());
          auto a = Dereference(pop());
          if (!a || !b) return std::nullopt;
          stack.push_back({Join(*a, *b)});
          break;
        }
        case OpCode::Sum: {
          std::vector<Operand> args(stack.end() - op.count, stack.end());
          stack.erase(stack.end() - op.count, stack.end());
          double total = 0;
          std::optional<CellError> error;
          for (const Operand& arg : args) {
            if (arg.ref) {
              if (!SumReference(*arg.ref, total, error)) return std::nullopt;
            } else {
              Number n = ToNumber(arg.value);
              if (n.error) error = n.error;
              total += n.value;
            }
            if (error) break;
          }
          stack.push_back({error ? CellValue::Error(*error) : NumberResult(total)});
          break;
        }
      }
    }
    if (stack.size() != 1) return std::nullopt;
    auto result = Dereference(stack.back());
    if (result && result->IsEmpty()) return CellValue(0.0);  // "=A1" on an empty cell shows 0
    return result;
  }

  static CellValue Arithmetic(OpCode code, const Number& a, const Number& b) {
    if (a.error) return CellValue::Error(*a.error);
    if (b.error) return CellValue::Error(*b.error);
    switch (code) {
      case OpCode::Add:
        return NumberResult(a.value + b.value);
      case OpCode::Subtract:
        return NumberResult(a.value - b.value);
      case OpCode::Multiply:
        return NumberResult(a.value * b.value);
      default:
        if (b.value == 0) return CellValue::Error(CellError::Div0);
        return NumberResult(a.value / b.value);
    }
  }

  static std::optional<std::string> JoinText(const CellValue& v) {
    if (v.IsError()) return std::nullopt;
    if (v.IsBoolean()) return std::string(v.Bool() ? "TRUE" : "FALSE");
    return v.AsText();  // "" for empty, GeneralText for numbers
  }

  static CellValue Join(const CellValue& a, const CellValue& b) {
    if (a.IsError()) return a;
    if (b.IsError()) return b;
    return CellValue(*JoinText(a) + *JoinText(b));
  }

  std::vector<MemoryWorksheet*> sheets_;
  std::unordered_map<std::string, int> indexByName_;
  SheetResolver resolve_;
  std::vector<Node> nodes_;
  std::unordered_map<std::uint64_t, int> nodeIndex_;
  std::vector<int> stack_;  // Compute's, kept for its capacity
};

}  // namespace

std::optional<CellValue> EvaluateFormula(MemoryWorkbook& book, int sheetIndex, std::string_view formula) {
  book.Sheet(sheetIndex);  // throws for a sheet that does not exist
  return Calculator(book).Formula(sheetIndex, formula);
}

RecalcCounts RecalculateWorkbook(MemoryWorkbook& book) {
  Calculator calculator(book);
  RecalcCounts counts;
  const RangeRef everything = RangeRef::Block(1, 1, kMaxRows, kMaxColumns);
  size_t formulaCount = 0;
  for (int s = 0; s < calculator.SheetCount(); ++s) formulaCount += calculator.Sheet(s).FormulaCount();
  calculator.Reserve(formulaCount);
  for (int s = 0; s < calculator.SheetCount(); ++s) {
    MemoryWorksheet& sheet = calculator.Sheet(s);
    if (sheet.FormulaCount() == 0) continue;
    std::vector<CellRef> formulas;
    sheet.VisitCells(everything, [&](const CellView& c) {
      if (c.formula) formulas.push_back(c.at);
    });
    for (CellRef at : formulas) {
      if (auto result = calculator.FormulaCell(s, at)) {
        sheet.SetCachedValue(at, *result);
        ++counts.computed;
      } else {
        ++counts.notComputed;
      }
    }
  }
  return counts;
}

}  // namespace kestrel
