// Calculation of the formulas Kestrel writes, over a MemoryWorkbook, so that saved files carry results.
#pragma once

#include <optional>
#include <string_view>

#include "host/cell_value.h"
#include "workbook/memory_workbook.h"

namespace kestrel {

// What the calculator understands: references (A1, $A$1, Sheet1!A1, 'Sheet name'!A1), SUM over
// ranges, cells and values (D5:D20, D:D, several arguments), numbers, double-quoted texts ("" for
// one quote), TRUE and FALSE, + - * / with the usual precedence, unary minus and plus, &, the
// comparisons = <> < > <= >= (loosest of all), parentheses, and the functions MIN, MAX, ABS,
// SQRT, IF, SUMIF and SUMIFS. As the host computes: an empty cell is 0 in arithmetic and "" in &;
// a text that reads as a number counts as that number in arithmetic, any other text gives
// #VALUE!; errors propagate; division by zero gives #DIV/0!; a number joined by & reads as
// GeneralText; SUM, MIN and MAX take the numbers of the cells they refer to and skip texts,
// booleans and empty cells; comparisons order numbers before texts before booleans, texts
// without regard to case; SUMIF and SUMIFS criteria are values or texts like ">12000" and
// "<>本页合计". A reference to a formula cell uses that formula's computed value; formulas that
// refer to each other in a circle give #VALUE!.
//
// #REF!, written where a reference's cells were deleted ("=Sheet1!#REF!*2"), is the error #REF!
// and propagates as errors do. Anything else (another function, a criterion with wildcards,
// another error literal such as #N/A, a sheet that does not exist), and any formula that refers
// to a cell holding one, is not computed: the result is nothing, and the caller keeps the value
// it had rather than invent one.
//
//   A4 = 12230, A5 = 12240.5, B4 = 3, B5 = 5, D5 = "=A5-A4"
//   EvaluateFormula(book, 0, "=(B5+B4)/2*D5") == CellValue(42.0)
//   EvaluateFormula(book, 0, "=\"200,\" & 0+K1") == CellValue("200,0")   // K1 empty
//   EvaluateFormula(book, 0, "=ROUND(A4,0)") == std::nullopt
std::optional<CellValue> EvaluateFormula(MemoryWorkbook& book, int sheetIndex, std::string_view formula);

struct RecalcCounts {
  int computed = 0;     // formula cells whose cached value was set
  int notComputed = 0;  // formula cells left as they were
};

// Computes every formula cell of every sheet and stores each result with SetCachedValue; cells
// that cannot be computed keep their cached value. Each cell is computed once per run, so
// sheets of tens of thousands of formulas, and chains of formulas of any length, take time in
// proportion to the formulas and the cells they refer to.
RecalcCounts RecalculateWorkbook(MemoryWorkbook& book);

}  // namespace kestrel
