// Fuzz target: formula text, evaluated over a small workbook and shifted by structure changes.
#include <cstdint>
#include <string>
#include <string_view>

#include "workbook/formula_eval.h"
#include "workbook/formula_refs.h"
#include "workbook/memory_workbook.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  if (size < 3) return 0;
  // The first three bytes pick a change of structure; the rest is the formula.
  RefShift shift;
  shift.axis = data[0] & 1 ? RefAxis::Columns : RefAxis::Rows;
  shift.insert = (data[0] & 2) != 0;
  shift.at = 1 + data[1] % 12;
  shift.count = 1 + data[2] % 4;
  std::string formula(fuzz::Bytes(data + 3, size - 3));
  if (formula.empty() || formula[0] != '=') formula.insert(0, "=");

  MemoryWorkbook book;
  MemoryWorksheet& sheet = book.Sheet(0);
  sheet.LoadCell({1, 1}, CellValue(12230.0));
  sheet.LoadCell({2, 1}, CellValue(12240.5));
  sheet.LoadCell({1, 2}, CellValue("3"));
  sheet.LoadCell({2, 2}, CellValue("K12"));
  sheet.LoadCell({3, 1}, CellValue(0.0), "=A2-A1");
  MemoryWorksheet& other = book.AppendSheet("Data Sheet");
  other.LoadCell({1, 1}, CellValue::Boolean(true));
  other.LoadCell({2, 1}, CellValue(0.0), "=Sheet1!D4*2");
  EvaluateFormula(book, 0, formula);
  ShiftReferences(formula, shift, "Sheet1", true);
  ShiftReferences(formula, shift, "Data Sheet", false);
  OffsetReferences(formula, shift.insert ? shift.count : -shift.count, shift.at - 6);
  // In a cell, with others referring to it (and it, maybe, to them), through a recalculation and
  // a real change of structure.
  sheet.LoadCell({4, 4}, CellValue(0.0), formula);
  RecalculateWorkbook(book);
  if (shift.axis == RefAxis::Rows)
    shift.insert ? sheet.InsertRows(shift.at, shift.count) : sheet.DeleteRows(shift.at, shift.count);
  else
    shift.insert ? sheet.InsertColumns(shift.at, shift.count) : sheet.DeleteColumns(shift.at, shift.count);
  RecalculateWorkbook(book);
  return 0;
}
