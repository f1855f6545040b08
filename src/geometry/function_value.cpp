// FunctionValue: scalars of ranges, result text, and the host's conversions to typed parameters.
#include "geometry/function_value.h"

#include <cmath>
#include <limits>
#include <optional>

#include "geometry/function_error.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

CellValue Checked(const FunctionValue& value) {
  CellValue v = value.Scalar();
  if (v.IsError()) throw FunctionError("an error value where a value is wanted");
  return v;
}

// Half to even, on the binary value (the host's integer conversion does not look at decimals).
double RoundToEven(double v) {
  const double floor = std::floor(v);
  const double fraction = v - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

double IntegerIn(const FunctionValue& value, double low, double high) {
  const double r = RoundToEven(ToNumber(value));
  if (r < low || r > high) throw FunctionError("overflow");
  return r;
}

}  // namespace

CellValue FunctionValue::Scalar() const {
  if (!IsRange()) return Value();
  if (!Range().IsSingleCell()) throw FunctionError("a range of several cells where one value is wanted");
  return Range().FirstValue();
}

std::string FunctionValue::ResultText() const {
  if (IsRange()) return Range().Address();
  return Value().AsText();
}

double ToNumber(const FunctionValue& value) {
  const CellValue v = Checked(value);
  if (v.IsEmpty()) return 0;
  if (v.IsNumber()) return v.Number();
  if (v.IsBoolean()) return v.Bool() ? -1 : 0;
  std::optional<double> n = StrictNumber(v.Text());
  if (!n || !std::isfinite(*n)) throw FunctionError("type mismatch: \"" + std::string(v.Text()) + "\" is not a number");
  return *n;
}

std::int32_t ToLong(const FunctionValue& value) {
  return static_cast<std::int32_t>(IntegerIn(value, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
}

std::int16_t ToInteger(const FunctionValue& value) {
  return static_cast<std::int16_t>(IntegerIn(value, std::numeric_limits<std::int16_t>::min(),
                                             std::numeric_limits<std::int16_t>::max()));
}

std::string ToText(const FunctionValue& value) { return Checked(value).AsText(); }

}  // namespace kestrel
