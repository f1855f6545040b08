// Formula programs: a formula's text compiled to postfix steps, and shapes, the one program of
// every cell whose formula is the same but for where it stands. The calculator
// (formula_eval.cpp) runs them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/address.h"
#include "host/cell_value.h"
#include "workbook/formula_refs.h"
#include "workbook/memory_workbook.h"

namespace kestrel::formula {

enum class OpCode : std::uint8_t {
  Number, Text, Boolean, Ref, RefError, Negate, Add, Subtract, Multiply, Divide, Concat, Sum, Compare, Call
};

// The comparison of a Compare step, in its `count`.
enum class Comparison : int { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };

// The function of a Call step, in its `number`.
enum class Function : int { Min, Max, Abs, Sqrt, If, SumIf, SumIfs };

// One step of a formula in postfix order. Number and Boolean push `number`; Text pushes the
// formula's text number `count`; Ref pushes a reference to `range` on `sheet`; RefError pushes
// the error #REF!; Sum pops `count` arguments; Compare pops two; Call pops `count` arguments of
// the function `number`.
struct Op {
  Op() = default;
  explicit Op(OpCode c, double n = 0, int k = 0) : code(c), count(k), number(n) {}
  OpCode code = OpCode::Number;
  bool pair = false;  // Ref: written as two sides joined by ":"
  int count = 0;
  double number = 0;
  int sheet = 0;
  RangeRef range;
  RefPart from, to;  // Ref: the sides as written (`to` only for a pair)
  // Ref to one cell, once its formula's cell is prepared: the formula cell it reads (a node), or
  // else the constant it reads (null for a cell that holds nothing). Ref to a block: its stored
  // cells, row by row, in the calculator's list of cells read.
  int node = -1;
  const CellValue* constant = nullptr;
  size_t cellsBegin = 0, cellsEnd = 0;
};

// Where a side of a reference stands in the formula's text.
struct RefSpan {
  size_t begin = 0;
  size_t end = 0;
  RefPart part;
};

// The cells a reference's sides stand for: a cell, a block of cells, whole columns or whole
// rows; nothing for sides of different kinds.
std::optional<RangeRef> RangeOf(const RefPart& first, const RefPart* last);

// Finds a workbook's sheets by name, in any case.
class SheetNames {
 public:
  explicit SheetNames(MemoryWorkbook& book);
  // The index of the sheet of that name, or -1.
  int Find(std::string_view name) const;

 private:
  std::unordered_map<std::string, int> indexByName_;
};

// Appends the postfix steps of `formula` (which starts with "=") to `ops` and its texts to
// `texts`, and, when `spans` is given, where each side of a reference stands. False for anything
// outside the understood language (the formula is then not computed); what was appended is then
// incomplete. References without a sheet are to `ownSheet`.
bool CompileFormula(std::string_view formula, int ownSheet, const SheetNames& sheets, std::vector<Op>& ops,
                    std::vector<CellValue>& texts, std::vector<RefSpan>* spans);

// A formula compiled once for every cell whose formula is the same but for where it stands:
// "=(B6+B5)/2*H6" in I6 and "=(B7+B6)/2*H7" in I7 are one shape, moved down a row.
struct Shape {
  CellRef origin;
  std::string text;
  std::vector<Op> ops;
  std::vector<CellValue> texts;
  std::vector<RefSpan> spans;  // in the order of the text
};

// Whether `text` is the shape's formula moved `rows` down and `columns` across: the same text,
// with each side of a reference written as the moved side is written. The parser reads such a
// side as it reads the side it was moved from, so `text` compiles to the shape's program with
// its references moved.
bool Fits(const Shape& shape, std::string_view text, int rows, int columns);

}  // namespace kestrel::formula
