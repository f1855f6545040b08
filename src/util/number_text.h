// Number text: the general form t(v), FormatDecimal, leading-number and strict parsing, rounding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// t(v): the shortest decimal form with at most 15 significant digits, "." as decimal point,
// "-" for negatives, no grouping: 200, 0.7, -12.35, 11.3333333333333. Magnitudes of 1e15 and
// above or below 1e-5 use the exponent form "1.5E+20", "1E-10".
std::string GeneralText(double v);

// FormatDecimal(value, digits): an integral value as t(value); otherwise with at most |digits|
// decimals, rounded half away from zero, trailing zeros dropped, the point kept when no decimal
// remains: (12.3456, 3) -> "12.346", (12.0004, 3) -> "12.", (-0.25, 3) -> "-0.25", (2.5, 0) -> "3".
std::string FormatDecimal(double value, int digits);

// The longest leading part of the text that forms a number (blanks before it skipped; "."
// decimal point; an exponent only when digits follow); 0 when the text does not begin with one.
// "12+300" -> 12, "  -3.5abc" -> -3.5, "abc" -> 0, "1e3x" -> 1000.
double LeadingNumber(std::string_view text);

// The strict conversion: the whole text (blanks around it allowed) must be one number with "."
// as decimal point; nothing otherwise. "12235.689" -> 12235.689, "K12" -> nothing, "" -> nothing.
std::optional<double> StrictNumber(std::string_view text);

// Rounding on the decimal form: the value is first taken to 15 significant digits, then the
// digits are rounded, so that RoundHalfAway(2.675, 2) == 2.68.
double RoundHalfEven(double value, int decimals);
double RoundHalfAway(double value, int decimals);

// Station text of the number format "K"0+000.000: 12235.689 -> "K12+235.689",
// 12999.9996 -> "K13+000.000", 5.1 -> "K0+005.100".
std::string StationText(double station);
// A station typed as a number (12235.5) or as its text (K12+235.5, k12+235.500); nothing otherwise.
std::optional<double> TypedStation(std::string_view text);

}  // namespace kestrel
