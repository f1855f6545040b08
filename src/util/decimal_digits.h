// DecimalDigits: a number as its 15 significant decimal digits, for rounding on the decimal form.
#pragma once

#include <string>

namespace kestrel {

// value = (negative ? -1 : 1) × 0.d1d2d3… × 10^pointPos; digits has no trailing zeros and is
// empty for zero. Taking the digits first makes 2.675 round to 2.68 as a person expects.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int pointPos = 0;

  static DecimalDigits FromDouble(double value);  // 15 significant digits
  bool IsZero() const { return digits.empty(); }
  // Rounds to `decimals` places after the point (negative: to tens, hundreds…).
  void RoundHalfAway(int decimals);
  void RoundHalfEven(int decimals);
  // The digits before the point ("" when there are none) and the first `count` after it.
  std::string IntegerDigits() const;
  std::string FractionDigits(int count) const;
  double ToDouble() const;

 private:
  void RoundAt(int keep, bool up);
};

}  // namespace kestrel
