// Comparisons of cell values and the criteria of SUMIF and SUMIFS, as the host makes them.
#pragma once

#include <optional>
#include <string>

#include "host/cell_value.h"
#include "workbook/formula_program.h"

namespace kestrel::formula {

// a op b as the host compares: numbers by value, texts without regard to case, booleans; an
// empty cell is 0, "" or FALSE as the other side is; of different kinds, every number is less
// than every text, every text less than every boolean. An error on either side is the result.
// Nothing where the host's answer depends on its language: the order of texts beyond ASCII, and
// whether two such texts that differ are equal but for case.
//   CompareValues(CellValue(2.0), CellValue("a"), Comparison::Less) == CellValue::Boolean(true)
std::optional<CellValue> CompareValues(const CellValue& a, const CellValue& b, Comparison op);

// A criterion of SUMIF and SUMIFS: a value, or a text of an optional operator and a value
// (">12000", "<>本页合计", "=", "5").
struct Criterion {
  Comparison op = Comparison::Equal;
  CellValue value;  // a number, a text, a boolean, or empty ("=" alone, "<>" alone)
};

// The criterion a value stands for; nothing for one this calculator does not decide (a text with
// the host's wildcards * ? ~, an error).
std::optional<Criterion> CriterionOf(const CellValue& given);

// Whether a cell's value meets the criterion: a number criterion is met by numbers only (and by
// everything else under "<>"), a text one by texts only (likewise), "" by empty cells. Nothing
// where CompareValues gives nothing.
std::optional<bool> Meets(const Criterion& criterion, const CellValue& cell);

}  // namespace kestrel::formula
