// FunctionError: a worksheet function's failure, which the host shows as its error value.
#pragma once

#include <cmath>
#include <stdexcept>
#include <string>

namespace kestrel {

// Thrown where a function has no sentinel of its own for the failure (a station outside every
// segment, an empty profile, a value of the wrong type); the function barrier turns it into
// the host's #VALUE!.
class FunctionError : public std::runtime_error {
 public:
  explicit FunctionError(const std::string& what) : std::runtime_error(what) {}
};

// Division by zero and results beyond the range of a float64 are errors, as in the macro
// language the formulas were first written in; IEEE infinities and NaNs never leak into a result.
class ArithmeticError : public FunctionError {
 public:
  ArithmeticError() : FunctionError("arithmetic error") {}
};

inline double Finite(double v) {
  // The store rounds an x87 extended intermediate (32-bit builds) to float64 first, so that an
  // overflow shows the same on every platform.
  volatile double stored = v;
  if (!std::isfinite(stored)) throw ArithmeticError();
  return stored;
}

inline double Divide(double numerator, double denominator) {
  if (denominator == 0) throw ArithmeticError();
  return Finite(numerator / denominator);
}

}  // namespace kestrel
