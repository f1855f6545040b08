// Formula calculation: each formula cell's program (formula_program.h) prepared once and run.
#include "workbook/formula_eval.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/address.h"
#include "workbook/formula_compare.h"
#include "workbook/formula_program.h"
#include "workbook/formula_refs.h"
#include "util/number_text.h"

namespace kestrel {

namespace {

using formula::Comparison;
using formula::CompileFormula;
using formula::Criterion;
using formula::Fits;
using formula::Op;
using formula::OpCode;
using formula::RangeOf;
using formula::RefSpan;
using formula::Shape;
using formula::SheetNames;

// A stored cell a reference reads: a formula cell (a node), else a constant.
struct CellRead {
  int node = -1;
  const CellValue* constant = nullptr;
  CellRef at;
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
// references differently from values), as the number of its step.
struct Operand {
  Operand(CellValue v) : value(std::move(v)) {}
  explicit Operand(size_t step) : ref(static_cast<std::int64_t>(step)) {}
  CellValue value;
  std::int64_t ref = -1;
};

// Formula cells by sheet and cell, in one table of open addressing that doubles when half full.
class NodeIndex {
 public:
  static std::uint64_t Key(int sheet, CellRef c) {
    return (static_cast<std::uint64_t>(sheet) << 40) | (static_cast<std::uint64_t>(c.row) << 16) |
           static_cast<std::uint64_t>(c.column);
  }

  int Find(std::uint64_t key) const {
    if (slots_.empty()) return -1;
    for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i].key == key) return slots_[i].node;
      if (slots_[i].key == kFree) return -1;
    }
  }

  // The node of `key`; `node` when the key is new.
  int Insert(std::uint64_t key, int node) {
    if (2 * (count_ + 1) > slots_.size()) Rehash(std::max<size_t>(16, 2 * slots_.size()));
    size_t i = Home(key);
    for (; slots_[i].key != kFree; i = (i + 1) & (slots_.size() - 1))
      if (slots_[i].key == key) return slots_[i].node;
    slots_[i] = {key, node};
    ++count_;
    return node;
  }

 private:
  static constexpr std::uint64_t kFree = ~std::uint64_t{0};
  struct Slot {
    std::uint64_t key = kFree;
    int node = -1;
  };

  // The cells of a row side by side, the rows scattered.
  size_t Home(std::uint64_t key) const {
    const std::uint64_t row = key >> 16, column = key & 0xFFFF;
    return static_cast<size_t>(((row * 0x9E3779B97F4A7C15ull) >> shift_) + column) & (slots_.size() - 1);
  }

  void Rehash(size_t capacity) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(capacity, Slot{});
    shift_ = 64;
    for (size_t c = capacity; c > 1; c /= 2) --shift_;
    for (const Slot& s : old) {
      if (s.key == kFree) continue;
      size_t i = Home(s.key);
      while (slots_[i].key != kFree) i = (i + 1) & (capacity - 1);
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  size_t count_ = 0;
  int shift_ = 64;
};

// ---- The calculator ----

class Calculator {
 public:
  explicit Calculator(MemoryWorkbook& book) : names_(book) {
    for (int i = 0; i < book.SheetCount(); ++i) sheets_.push_back(&book.Sheet(i));
    shapes_.resize(sheets_.size());
    rows_.resize(sheets_.size());
  }

  std::optional<CellValue> Formula(int sheet, std::string_view formula) {
    const size_t opsBegin = ops_.size(), textsBegin = texts_.size(), depsBegin = deps_.size();
    if (!CompileFormula(formula, sheet, names_, ops_, texts_, nullptr)) return std::nullopt;
    const size_t opsEnd = ops_.size();
    Resolve(opsBegin, opsEnd);
    const size_t depsEnd = deps_.size();
    for (size_t i = depsBegin; i < depsEnd; ++i) Compute(deps_[i]);
    return Run(opsBegin, opsEnd, textsBegin);
  }

  void Reserve(size_t nodes) {
    nodes_.reserve(nodes);
    columns_.reserve(nodes);
  }

  // Makes every formula cell of the sheet a node, before any of the sheet's cells is computed;
  // the sheet's formula cells are then found by row. Returns the nodes' numbers.
  std::pair<int, int> AddSheet(int sheet) {
    const int begin = static_cast<int>(nodes_.size());
    sheets_[sheet]->VisitFormulas([&](CellRef at, const std::string& formula) {
      Node node;
      node.sheet = sheet;
      node.at = at;
      node.formula = &formula;
      nodes_.push_back(std::move(node));
      columns_.push_back(at.column);
    });
    const int end = static_cast<int>(nodes_.size());
    SheetRows& rows = rows_[sheet];
    rows.complete = true;
    if (begin == end) return {begin, end};
    rows.firstRow = nodes_[begin].at.row;
    rows.starts.assign(static_cast<size_t>(nodes_[end - 1].at.row - rows.firstRow + 2), end);
    for (int i = end - 1; i >= begin; --i) rows.starts[static_cast<size_t>(nodes_[i].at.row - rows.firstRow)] = i;
    for (size_t r = rows.starts.size() - 1; r-- > 0;) rows.starts[r] = std::min(rows.starts[r], rows.starts[r + 1]);
    return {begin, end};
  }

  // The formula cell's result; nothing when it is not computed.
  const std::optional<CellValue>& Result(int node) {
    Compute(node);
    return nodes_[node].result;
  }
  CellRef CellOf(int node) const { return nodes_[node].at; }

  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  MemoryWorksheet& Sheet(int index) { return *sheets_[index]; }

 private:
  enum class State : std::uint8_t { New, Visiting, Done };
  struct Node {
    int sheet = 0;
    CellRef at;
    State state = State::New;
    const std::string* formula = nullptr;
    std::optional<CellValue> result;
  };
  // A node being computed: its program at the end of ops_ and texts_, the formula cells it
  // refers to (each once per reference) at the end of deps_, the cells of its blocks at the end
  // of cells_.
  struct Frame {
    int node = 0;
    bool compiled = false;
    size_t opsBegin = 0, opsEnd = 0, textsBegin = 0, cellsBegin = 0, depsBegin = 0, depsEnd = 0, nextDep = 0;
  };

  // The formula cell's node; -1 for a cell that is not one, or not one yet.
  int FindNode(int sheet, CellRef at) const {
    const SheetRows& rows = rows_[sheet];
    if (!rows.complete) return index_.Find(NodeIndex::Key(sheet, at));
    const size_t r = static_cast<size_t>(at.row - rows.firstRow);
    if (at.row >= rows.firstRow && r + 1 < rows.starts.size()) {
      auto first = columns_.begin() + rows.starts[r], last = columns_.begin() + rows.starts[r + 1];
      auto it = std::lower_bound(first, last, at.column);
      if (it != last && *it == at.column) return static_cast<int>(it - columns_.begin());
    }
    return index_.Find(NodeIndex::Key(sheet, at));  // a cell NodeFor could not find by row
  }

  int NodeFor(int sheet, CellRef at, const std::string* formula) {
    if (rows_[sheet].complete) {
      const int found = FindNode(sheet, at);
      if (found >= 0) return found;
    }
    const int index = index_.Insert(NodeIndex::Key(sheet, at), static_cast<int>(nodes_.size()));
    if (index == static_cast<int>(nodes_.size())) {
      Node node;
      node.sheet = sheet;
      node.at = at;
      node.formula = formula;
      nodes_.push_back(std::move(node));
      columns_.push_back(at.column);
    }
    return index;
  }

  // Appends the program of the formula in `at` to ops_ and texts_: the shape of the last
  // formula compiled in its column when the formula is that shape moved, else the formula
  // parsed (and kept as the column's shape). False when the formula is not understood.
  bool Compile(int sheet, CellRef at, std::string_view text) {
    std::vector<std::optional<Shape>>& columns = shapes_[sheet];
    if (columns.size() <= static_cast<size_t>(at.column)) columns.resize(static_cast<size_t>(at.column) + 1);
    std::optional<Shape>& shape = columns[static_cast<size_t>(at.column)];
    if (shape) {
      const int rows = at.row - shape->origin.row, cols = at.column - shape->origin.column;
      if (Fits(*shape, text, rows, cols)) {
        Place(*shape, rows, cols);
        return true;
      }
    }
    const size_t opsBegin = ops_.size(), textsBegin = texts_.size();
    spans_.clear();
    if (!CompileFormula(text, sheet, names_, ops_, texts_, &spans_)) {
      ops_.resize(opsBegin);
      texts_.resize(textsBegin);
      return false;
    }
    Shape parsed{at, std::string(text), std::vector<Op>(ops_.begin() + static_cast<std::ptrdiff_t>(opsBegin), ops_.end()),
                 std::vector<CellValue>(texts_.begin() + static_cast<std::ptrdiff_t>(textsBegin), texts_.end()),
                 spans_};
    if (Fits(parsed, text, 0, 0)) shape = std::move(parsed);  // written as the host writes it ("a5" is not)
    return true;
  }

  // The shape's program with its references moved, appended to ops_ and texts_.
  void Place(const Shape& shape, int rows, int columns) {
    for (Op op : shape.ops) {
      if (op.code == OpCode::Ref) {
        MoveRefPart(op.from, rows, columns);
        if (op.pair) MoveRefPart(op.to, rows, columns);
        op.range = *RangeOf(op.from, op.pair ? &op.to : nullptr);  // Fits moved every side
      }
      ops_.push_back(op);
    }
    texts_.insert(texts_.end(), shape.texts.begin(), shape.texts.end());
  }

  // Finds what each reference of ops_[begin, end) reads: a one-cell reference's formula cell or
  // constant, a block's stored cells (to cells_); the formula cells go to deps_.
  void Resolve(size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      Op& op = ops_[i];
      if (op.code != OpCode::Ref) continue;
      const int sheet = op.sheet;
      if (op.range.Rows() == 1 && op.range.Columns() == 1) {
        const CellRef at = op.range.first;
        int node = FindNode(sheet, at);
        if (node < 0) {
          const MemoryRow* row = RowOf(sheet, at.row);
          const MemoryCell* cell = row ? row->Find(at.column) : nullptr;
          if (cell && cell->HasFormula()) node = NodeFor(sheet, at, cell->FormulaIfAny());
          else if (cell) op.constant = &cell->Value();
        }
        if (node >= 0) {
          op.node = node;
          deps_.push_back(node);
        }
        continue;
      }
      op.cellsBegin = cells_.size();
      sheets_[sheet]->VisitContents(op.range, [&](const CellContent& c) {
        if (c.formula) {
          const int node = NodeFor(sheet, c.at, c.formula);
          deps_.push_back(node);
          cells_.push_back({node, nullptr, c.at});
        } else {
          cells_.push_back({-1, c.value, c.at});
        }
      });
      op.cellsEnd = cells_.size();
    }
  }

  // The stored row, from the two read last when it is one of them: a formula mostly reads its
  // own row and the one above.
  const MemoryRow* RowOf(int sheet, int row) {
    for (const RecentRow& r : recentRows_)
      if (r.sheet == sheet && r.row == row) return r.cells;
    RecentRow& oldest = recentRows_[nextRecentRow_];
    nextRecentRow_ = 1 - nextRecentRow_;
    oldest = {sheet, row, sheets_[sheet]->StoredRow(row)};
    return oldest.cells;
  }

  Frame Prepare(int index) {
    Frame frame;
    frame.node = index;
    frame.opsBegin = ops_.size();
    frame.textsBegin = texts_.size();
    frame.cellsBegin = cells_.size();
    const Node& node = nodes_[index];
    // The next node is most often the next one prepared: its formula is fetched meanwhile.
    if (static_cast<size_t>(index) + 1 < nodes_.size()) __builtin_prefetch(nodes_[static_cast<size_t>(index) + 1].formula);
    frame.compiled = Compile(node.sheet, node.at, *node.formula);
    frame.opsEnd = ops_.size();
    frame.depsBegin = frame.nextDep = deps_.size();
    if (frame.compiled) Resolve(frame.opsBegin, frame.opsEnd);
    frame.depsEnd = deps_.size();
    nodes_[index].state = State::Visiting;
    return frame;
  }

  // Depth-first over the formula cells `index` depends on, with a stack of our own so that a
  // chain of a hundred thousand formulas cannot overflow the machine's stack. A cell is run
  // once all it refers to is done, except the cells still on the stack: those close a circle.
  void Compute(int index) {
    if (nodes_[index].state != State::New) return;
    frames_.assign(1, Prepare(index));
    while (!frames_.empty()) {
      Frame& top = frames_.back();
      if (top.nextDep < top.depsEnd) {
        const int dep = deps_[top.nextDep++];
        if (nodes_[dep].state == State::New) frames_.push_back(Prepare(dep));
        continue;
      }
      std::optional<CellValue> result;
      if (top.compiled) result = Run(top.opsBegin, top.opsEnd, top.textsBegin);
      Node& node = nodes_[top.node];
      node.result = std::move(result);
      node.state = State::Done;
      ops_.resize(top.opsBegin);
      texts_.resize(top.textsBegin);
      cells_.resize(top.cellsBegin);
      deps_.resize(top.depsBegin);
      frames_.pop_back();
    }
  }

  // The value an operand stands for, where it is kept; null when it has none: a formula not
  // computed, a block used as one value.
  const CellValue* ValueOf(const Operand& operand) const {
    static const CellValue empty, circle = CellValue::Error(CellError::Value);
    if (operand.ref < 0) return &operand.value;
    const Op& op = ops_[static_cast<size_t>(operand.ref)];
    if (op.range.Rows() != 1 || op.range.Columns() != 1) return nullptr;
    if (op.node < 0) return op.constant ? op.constant : &empty;
    const Node& node = nodes_[static_cast<size_t>(op.node)];
    if (node.state == State::Visiting) return &circle;
    if (node.state == State::New || !node.result) return nullptr;
    return &*node.result;
  }

  // SUM over the cells of a reference: numbers add up, errors stop it, the rest is skipped.
  bool SumReference(const Op& ref, double& total, std::optional<CellError>& error) {
    if (ref.range.Rows() == 1 && ref.range.Columns() == 1)
      return SumCell({ref.node, ref.constant, ref.range.first}, total, error);
    for (size_t i = ref.cellsBegin; i < ref.cellsEnd && !error; ++i)
      if (!SumCell(cells_[i], total, error)) return false;
    return true;
  }

  bool SumCell(const CellRead& cell, double& total, std::optional<CellError>& error) const {
    if (cell.node >= 0) {
      const Node& node = nodes_[cell.node];
      if (node.state == State::Visiting) {
        error = CellError::Value;  // a circle
        return true;
      }
      if (node.state == State::New || !node.result) return false;
      return SumValue(*node.result, total, error);
    }
    return !cell.constant || SumValue(*cell.constant, total, error);
  }

  static bool SumValue(const CellValue& v, double& total, std::optional<CellError>& error) {
    if (v.IsNumber()) total += v.Number();
    if (v.IsError()) error = v.Error();
    return true;
  }

  std::optional<CellValue> Run(size_t begin, size_t end, size_t textsBegin) {
    std::vector<Operand>& stack = operands_;
    stack.clear();
    for (size_t step = begin; step < end; ++step) {
      const Op& op = ops_[step];
      switch (op.code) {
        case OpCode::Number:
          stack.emplace_back(CellValue(op.number));
          break;
        case OpCode::Text:
          stack.emplace_back(texts_[textsBegin + static_cast<size_t>(op.count)]);
          break;
        case OpCode::Boolean:
          stack.emplace_back(CellValue::Boolean(op.number != 0));
          break;
        case OpCode::Ref:
          stack.emplace_back(step);
          break;
        case OpCode::RefError:
          stack.emplace_back(CellValue::Error(CellError::Ref));
          break;
        case OpCode::Negate: {
          const CellValue* v = ValueOf(stack.back());
          if (!v) return std::nullopt;
          Number n = ToNumber(*v);
          stack.back() = Operand(n.error ? CellValue::Error(*n.error) : NumberResult(-n.value));
          break;
        }
        case OpCode::Add:
        case OpCode::Subtract:
        case OpCode::Multiply:
        case OpCode::Divide:
        case OpCode::Concat: {
          const CellValue* b = ValueOf(stack.back());
          const CellValue* a = ValueOf(stack[stack.size() - 2]);
          if (!a || !b) return std::nullopt;
          CellValue result = op.code == OpCode::Concat                  ? Join(*a, *b)
                             : a->IsNumber() && b->IsNumber() ? Arithmetic(op.code, a->Number(), b->Number())
                                                              : Arithmetic(op.code, ToNumber(*a), ToNumber(*b));
          stack.pop_back();
          stack.back() = Operand(std::move(result));
          break;
        }
        case OpCode::Sum: {
          const size_t first = stack.size() - static_cast<size_t>(op.count);
          double total = 0;
          std::optional<CellError> error;
          for (size_t i = first; i < stack.size() && !error; ++i) {
            const Operand& arg = stack[i];
            if (arg.ref >= 0) {
              if (!SumReference(ops_[static_cast<size_t>(arg.ref)], total, error)) return std::nullopt;
            } else {
              Number n = ToNumber(arg.value);
              if (n.error) error = n.error;
              total += n.value;
            }
          }
          stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
          stack.emplace_back(error ? CellValue::Error(*error) : NumberResult(total));
          break;
        }
        case OpCode::Compare: {
          const CellValue* b = ValueOf(stack.back());
          const CellValue* a = ValueOf(stack[stack.size() - 2]);
          if (!a || !b) return std::nullopt;
          std::optional<CellValue> result = formula::CompareValues(*a, *b, static_cast<Comparison>(op.count));
          if (!result) return std::nullopt;
          stack.pop_back();
          stack.back() = Operand(std::move(*result));
          break;
        }
        case OpCode::Call: {
          const size_t first = stack.size() - static_cast<size_t>(op.count);
          std::optional<CellValue> result = Call(static_cast<formula::Function>(op.number), first);
          if (!result) return std::nullopt;
          stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
          stack.emplace_back(std::move(*result));
          break;
        }
      }
    }
    if (stack.size() != 1) return std::nullopt;
    const CellValue* result = ValueOf(stack.back());
    if (!result) return std::nullopt;
    if (result->IsEmpty()) return CellValue(0.0);  // "=A1" on an empty cell shows 0
    return *result;
  }

  // ---- Functions: each reads its arguments from operands_[first] on; nothing when it cannot
  // be computed.

  std::optional<CellValue> Call(formula::Function function, size_t first) {
    using formula::Function;
    switch (function) {
      case Function::Min:
      case Function::Max:
        return Extreme(function == Function::Max, first);
      case Function::Abs:
      case Function::Sqrt: {
        const CellValue* v = ValueOf(operands_[first]);
        if (!v) return std::nullopt;
        const Number n = ToNumber(*v);
        if (n.error) return CellValue::Error(*n.error);
        if (function == Function::Abs) return NumberResult(std::fabs(n.value));
        return n.value < 0 ? CellValue::Error(CellError::Num) : NumberResult(std::sqrt(n.value));
      }
      case Function::If:
        return Choose(first);
      case Function::SumIf: {
        // SUMIF(range, criterion[, sum range]): SUMIFS with the sum range first.
        const size_t sum = operands_.size() - first == 3 ? first + 2 : first;
        return SumWhere(sum, {first});
      }
      case Function::SumIfs: {
        std::vector<size_t> ranges;
        for (size_t i = first + 1; i < operands_.size(); i += 2) ranges.push_back(i);
        return SumWhere(first, ranges);
      }
    }
    return std::nullopt;
  }

  // MIN or MAX: the numbers of the cells referred to (texts, booleans and empty cells skipped)
  // and of the values given; 0 when there is none.
  std::optional<CellValue> Extreme(bool largest, size_t first) {
    std::optional<double> best;
    auto take = [&](double v) { best = !best ? v : largest ? std::max(*best, v) : std::min(*best, v); };
    for (size_t i = first; i < operands_.size(); ++i) {
      const Operand& arg = operands_[i];
      if (arg.ref < 0) {
        const Number n = ToNumber(arg.value);
        if (n.error) return CellValue::Error(*n.error);
        take(n.value);
        continue;
      }
      const Op& ref = ops_[static_cast<size_t>(arg.ref)];
      std::optional<CellError> error;
      auto visit = [&](const CellRead& cell) {
        bool known = true;
        const CellValue* v = ReadCell(cell, known);
        if (!known) return false;
        if (v && v->IsNumber()) take(v->Number());
        if (v && v->IsError() && !error) error = v->Error();
        return true;
      };
      if (!VisitReference(ref, visit)) return std::nullopt;
      if (error) return CellValue::Error(*error);
    }
    return CellValue(best.value_or(0.0));
  }

  // IF(condition, then[, else]): a number other than 0 or TRUE takes `then`; without `else`,
  // FALSE.
  std::optional<CellValue> Choose(size_t first) {
    const CellValue* condition = ValueOf(operands_[first]);
    if (!condition) return std::nullopt;
    bool holds = false;
    if (condition->IsError()) return *condition;
    if (condition->IsBoolean()) holds = condition->Bool();
    else if (condition->IsNumber()) holds = condition->Number() != 0;
    else if (condition->IsText()) return CellValue::Error(CellError::Value);
    const size_t chosen = first + (holds ? 1 : 2);
    if (chosen >= operands_.size()) return CellValue::Boolean(false);
    const CellValue* v = ValueOf(operands_[chosen]);
    if (!v) return std::nullopt;
    return v->IsEmpty() ? CellValue(0.0) : *v;
  }

  // SUMIFS: the numbers of the sum range whose cells at the same place in every criteria range
  // meet that range's criterion (the operand after it). The ranges must be references of one
  // shape; an error in a cell that counts is the result.
  std::optional<CellValue> SumWhere(size_t sumArg, const std::vector<size_t>& rangeArgs) {
    // A range given as a value (#REF! where its cells were deleted) is its error.
    for (size_t arg : rangeArgs)
      if (const CellValue* v = RefOperand(arg) ? nullptr : ValueOf(operands_[arg]); v && v->IsError()) return *v;
    const Op* sum = RefOperand(sumArg);
    if (!sum) {
      const CellValue* v = ValueOf(operands_[sumArg]);
      return v && v->IsError() ? std::optional<CellValue>(*v) : std::nullopt;
    }
    struct Test {
      const Op* range;
      Criterion criterion;
      size_t next;  // the range's next stored cell, in its cells_ (row by row)
    };
    std::vector<Test> tests;
    for (size_t arg : rangeArgs) {
      const Op* range = RefOperand(arg);
      const CellValue* given = ValueOf(operands_[arg + 1]);
      if (!range || !given) return std::nullopt;
      if (range->range.Rows() != sum->range.Rows() || range->range.Columns() != sum->range.Columns())
        return std::nullopt;
      std::optional<Criterion> criterion = formula::CriterionOf(*given);
      if (!criterion) return std::nullopt;
      tests.push_back({range, std::move(*criterion), range->cellsBegin});
    }
    double total = 0;
    std::optional<CellError> error;
    auto add = [&](const CellRead& cell) {
      bool known = true;
      const CellValue* v = ReadCell(cell, known);
      if (!known) return false;
      if (!v || !(v->IsNumber() || v->IsError())) return true;
      const int dr = cell.at.row - sum->range.first.row, dc = cell.at.column - sum->range.first.column;
      for (Test& t : tests) {
        const CellRef at{t.range->range.first.row + dr, t.range->range.first.column + dc};
        const CellValue* tested = nullptr;
        if (t.range->range.Rows() == 1 && t.range->range.Columns() == 1) {
          tested = ReadCell({t.range->node, t.range->constant, at}, known);
        } else {
          while (t.next < t.range->cellsEnd && Before(cells_[t.next].at, at)) ++t.next;
          if (t.next < t.range->cellsEnd && cells_[t.next].at == at) tested = ReadCell(cells_[t.next], known);
        }
        if (!known) return false;
        static const CellValue empty;
        const std::optional<bool> meets = formula::Meets(t.criterion, tested ? *tested : empty);
        if (!meets) return false;
        if (!*meets) return true;
      }
      if (v->IsError()) {
        if (!error) error = v->Error();
      } else {
        total += v->Number();
      }
      return true;
    };
    if (!VisitReference(*sum, add)) return std::nullopt;
    return error ? CellValue::Error(*error) : NumberResult(total);
  }

  static bool Before(CellRef a, CellRef b) { return a.row != b.row ? a.row < b.row : a.column < b.column; }

  // The reference an operand is; null for a value.
  const Op* RefOperand(size_t arg) const {
    const Operand& operand = operands_[arg];
    return operand.ref < 0 ? nullptr : &ops_[static_cast<size_t>(operand.ref)];
  }

  // Calls visit(cell) for every stored cell of a reference, row by row; false when a visit
  // returns false.
  template <class Visit>
  bool VisitReference(const Op& ref, Visit&& visit) {
    if (ref.range.Rows() == 1 && ref.range.Columns() == 1) return visit(CellRead{ref.node, ref.constant, ref.range.first});
    for (size_t i = ref.cellsBegin; i < ref.cellsEnd; ++i)
      if (!visit(cells_[i])) return false;
    return true;
  }

  // A stored cell's value: null for an empty one; `known` false for a formula not computed (a
  // circle reads as #VALUE!).
  const CellValue* ReadCell(const CellRead& cell, bool& known) const {
    static const CellValue circle = CellValue::Error(CellError::Value);
    if (cell.node < 0) return cell.constant;
    const Node& node = nodes_[static_cast<size_t>(cell.node)];
    if (node.state == State::Visiting) return &circle;
    if (node.state == State::New || !node.result) {
      known = false;
      return nullptr;
    }
    return &*node.result;
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
  SheetNames names_;
  std::vector<Node> nodes_;
  std::vector<int> columns_;  // each node's column, apart so that a row's nodes are found in few reads
  // Formula cells by row on the sheets added whole (a sheet's nodes rows.starts[r - firstRow]
  // up to rows.starts[r - firstRow + 1] are row r's, by column), by cell in index_ on the others.
  struct SheetRows {
    bool complete = false;
    int firstRow = 0;
    std::vector<int> starts;
  };
  std::vector<SheetRows> rows_;
  struct RecentRow {
    int sheet = -1;
    int row = 0;
    const MemoryRow* cells = nullptr;
  };
  RecentRow recentRows_[2];
  int nextRecentRow_ = 0;
  NodeIndex index_;
  std::vector<std::vector<std::optional<Shape>>> shapes_;  // by sheet and column
  // The programs, references and stack of the nodes being computed, kept for their capacity.
  std::vector<Op> ops_;
  std::vector<CellValue> texts_;
  std::vector<CellRead> cells_;
  std::vector<int> deps_;
  std::vector<Frame> frames_;
  std::vector<Operand> operands_;
  std::vector<RefSpan> spans_;
};

}  // namespace

std::optional<CellValue> EvaluateFormula(MemoryWorkbook& book, int sheetIndex, std::string_view formula) {
  book.Sheet(sheetIndex);  // throws for a sheet that does not exist
  return Calculator(book).Formula(sheetIndex, formula);
}

RecalcCounts RecalculateWorkbook(MemoryWorkbook& book) {
  Calculator calculator(book);
  RecalcCounts counts;
  size_t formulaCount = 0;
  for (int s = 0; s < calculator.SheetCount(); ++s) formulaCount += calculator.Sheet(s).FormulaCount();
  calculator.Reserve(formulaCount);
  std::vector<std::pair<int, int>> nodes;
  for (int s = 0; s < calculator.SheetCount(); ++s) nodes.push_back(calculator.AddSheet(s));
  for (int s = 0; s < calculator.SheetCount(); ++s) {
    MemoryWorksheet& sheet = calculator.Sheet(s);
    for (int node = nodes[s].first; node < nodes[s].second; ++node) {
      if (const std::optional<CellValue>& result = calculator.Result(node)) {
        sheet.SetCachedValue(calculator.CellOf(node), *result);
        ++counts.computed;
      } else {
        ++counts.notComputed;
      }
    }
  }
  return counts;
}

}  // namespace kestrel
