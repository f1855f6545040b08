// FunctionValue: what a worksheet function receives and returns, and the host's conversions.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "host/cell_value.h"
#include "host/range_arg.h"

namespace kestrel {

// A value (empty, number, text, boolean, error) or a range. An omitted argument and an empty
// result are the empty value.
//   FunctionValue(12.5), FunctionValue("K12"), FunctionValue(RangeArg(sheet, ref, "road.xlsx"))
class FunctionValue {
 public:
  FunctionValue() = default;
  FunctionValue(CellValue value) : v_(std::move(value)) {}
  FunctionValue(double n) : v_(CellValue(n)) {}
  FunctionValue(int n) : v_(CellValue(n)) {}
  FunctionValue(std::string s) : v_(CellValue(std::move(s))) {}
  FunctionValue(const char* s) : v_(CellValue(s)) {}
  FunctionValue(RangeArg range) : v_(std::move(range)) {}
  static FunctionValue Error(CellError e) { return FunctionValue(CellValue::Error(e)); }

  bool IsRange() const { return std::holds_alternative<RangeArg>(v_); }
  const RangeArg& Range() const { return std::get<RangeArg>(v_); }
  // The value; for a range its one cell's value, as a cell reference reads where a value is
  // wanted. Throws FunctionError for a range of several cells.
  CellValue Scalar() const;

  bool IsEmpty() const { return !IsRange() && std::get<CellValue>(v_).IsEmpty(); }
  bool IsNumber() const { return !IsRange() && std::get<CellValue>(v_).IsNumber(); }
  bool IsText() const { return !IsRange() && std::get<CellValue>(v_).IsText(); }
  bool IsError() const { return !IsRange() && std::get<CellValue>(v_).IsError(); }
  // Precondition: not a range.
  const CellValue& Value() const { return std::get<CellValue>(v_); }

  // A result as a cell shows it in the general form: t(v) for numbers, the text, "" for empty,
  // "True"/"False", the error's text ("#VALUE!"); a range by its address.
  std::string ResultText() const;

 private:
  std::variant<CellValue, RangeArg> v_;
};

// The conversions the host applies when a value reaches a typed parameter; each throws
// FunctionError where the host reports a type mismatch or an overflow (the cell then shows
// #VALUE!). Empty reads as 0 or "", True as -1, a text as a number only when all of it is one
// ("." as decimal point).
double ToNumber(const FunctionValue& value);
// A 32-bit and a 16-bit integer: rounded half to even, as the host rounds.
std::int32_t ToLong(const FunctionValue& value);
std::int16_t ToInteger(const FunctionValue& value);
std::string ToText(const FunctionValue& value);

}  // namespace kestrel
