// Number text: the general form, FormatDecimal, leading-number and strict parsing, rounding.
#include "util/number_text.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cmath>

#include "util/decimal_digits.h"
#include "util/number_format.h"

namespace kestrel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Length of the number that starts at text[i] (sign, digits, point, exponent), 0 when none.
size_t NumberLength(std::string_view text, size_t i) {
  size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i - start;
}

// Parses exactly text (a validated number) without regard to the process locale.
double ParseValidated(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  std::string s(text);
  if (!s.empty() && (s[0] == '.' || (s[0] == '-' && s.size() > 1 && s[1] == '.'))) {
    s.insert(s[0] == '-' ? 1 : 0, "0");  // from_chars wants a digit before the point
  }
  double v = 0;
  auto result = std::from_chars(s.data(), s.data() + s.size(), v);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large gives infinity, too small zero, as the host's conversion would.
    size_t e = s.find_first_of("eE");
    bool tiny = e != std::string::npos && s[e + 1] == '-';
    v = tiny ? 0.0 : HUGE_VAL;
    if (s[0] == '-') v = -v;
  }
  return v;
}

std::string ExponentForm(const DecimalDigits& d) {
  std::string s = d.negative ? "-" : "";
  s += d.digits.substr(0, 1);
  if (d.digits.size() > 1) s += "." + d.digits.substr(1);
  int exponent = d.pointPos - 1;
  s += exponent < 0 ? "E-" : "E+";
  std::string e = std::to_string(std::abs(exponent));
  if (e.size() < 2) e = "0" + e;
  return s + e;
}

}  // namespace

std::string GeneralText(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  DecimalDigits d = DecimalDigits::FromDouble(v);
  if (d.IsZero()) return "0";
  int exponent = d.pointPos - 1;
  if (exponent >= 15 || exponent < -5) return ExponentForm(d);
  // Built in place: at most a sign, "0.", 5 zeros and 15 digits.
  char text[32];
  char* out = text;
  if (d.negative) *out++ = '-';
  const size_t point = static_cast<size_t>(std::max(d.pointPos, 0));
  if (d.pointPos <= 0) {
    *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, -d.pointPos, '0');
    out = std::copy(d.digits.begin(), d.digits.end(), out);
  } else if (point >= d.digits.size()) {
    out = std::copy(d.digits.begin(), d.digits.end(), out);
    out = std::fill_n(out, point - d.digits.size(), '0');
  } else {
    out = std::copy(d.digits.begin(), d.digits.begin() + point, out);
    *out++ = '.';
    out = std::copy(d.digits.begin() + point, d.digits.end(), out);
  }
  return std::string(text, out);
}

std::string FormatDecimal(double value, int digits) {
  // Beyond 340 decimals nothing more shows: the 15 significant digits of the smallest double end
  // by the 339th.
  constexpr long long kMaxDecimals = 340;
  const int n = static_cast<int>(std::min(std::llabs(digits), kMaxDecimals));
  if (std::trunc(value) == value) return GeneralText(value);
  if (n == 0) return FormatNumber(value, "0");
  return FormatNumber(value, "0." + std::string(static_cast<size_t>(n), '#'));
}

double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  size_t length = NumberLength(text, i);
  return length == 0 ? 0.0 : ParseValidated(text.substr(i, length));
}

std::optional<double> StrictNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  size_t end = text.size();
  while (end > i && IsBlank(text[end - 1])) --end;
  size_t length = NumberLength(text, i);
  if (length == 0 || i + length != end) return std::nullopt;
  return ParseValidated(text.substr(i, length));
}

double RoundHalfEven(double value, int decimals) {
  DecimalDigits d = DecimalDigits::FromDouble(value);
  d.RoundHalfEven(decimals);
  return d.ToDouble();
}

double RoundHalfAway(double value, int decimals) {
  DecimalDigits d = DecimalDigits::FromDouble(value);
  d.RoundHalfAway(decimals);
  return d.ToDouble();
}

std::string StationText(double station) { return FormatNumber(station, "\"K\"0+000.000"); }

std::optional<double> TypedStation(std::string_view text) {
  if (!text.empty() && (text[0] == 'K' || text[0] == 'k')) {
    const size_t plus = text.find('+');
    if (plus == std::string_view::npos) return std::nullopt;
    const std::optional<double> km = StrictNumber(text.substr(1, plus - 1));
    const std::optional<double> m = StrictNumber(text.substr(plus + 1));
    if (!km || !m || *km < 0 || *km != std::floor(*km) || *m < 0 || *m >= 1000) return std::nullopt;
    return *km * 1000 + *m;
  }
  return StrictNumber(text);
}

}  // namespace kestrel
