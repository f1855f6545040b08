// DecimalDigits: decimal-form rounding shared by number text and number formats.
#include "util/decimal_digits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kestrel {

DecimalDigits DecimalDigits::FromDouble(double value) {
  DecimalDigits d;
  if (value == 0 || !std::isfinite(value)) return d;
  d.negative = value < 0;
  // Locale-independent: d.dddddddddddddde±XX whatever the process locale says. The 15 digits fit
  // the string's own buffer: no allocation.
  char buf[40];
  char* end = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14).ptr;
  char* e = std::find(buf, end, 'e');
  char* last = e;
  while (last > buf + 2 && last[-1] == '0') --last;
  if (last == buf + 2) {
    d.digits.assign(buf, 1);
  } else {
    d.digits.assign(1, buf[0]);
    d.digits.append(buf + 2, last);
  }
  int exponent = 0;
  std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
  d.pointPos = exponent + 1;
  return d;
}

void DecimalDigits::RoundAt(int keep, bool up) {
  if (keep < 0) {
    digits.clear();
    return;
  }
  digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0; --i) {
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
    }
    if (i < 0) {
      digits.insert(digits.begin(), '1');
      ++pointPos;
    }
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

void DecimalDigits::RoundHalfAway(int decimals) {
  int keep = pointPos + decimals;
  if (keep >= static_cast<int>(digits.size())) return;
  if (keep < 0) {
    digits.clear();
    return;
  }
  RoundAt(keep, digits[keep] >= '5');
}

void DecimalDigits::RoundHalfEven(int decimals) {
  int keep = pointPos + decimals;
  if (keep >= static_cast<int>(digits.size())) return;
  if (keep < 0) {
    digits.clear();
    return;
  }
  char next = digits[keep];
  bool restNonZero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
  bool previousOdd = keep > 0 && ((digits[keep - 1] - '0') % 2 == 1);
  bool up = next > '5' || (next == '5' && (restNonZero || previousOdd));
  RoundAt(keep, up);
}

std::string DecimalDigits::IntegerDigits() const {
  if (pointPos <= 0 || digits.empty()) return "";
  std::string s = digits.substr(0, std::min<size_t>(digits.size(), pointPos));
  s.append(static_cast<size_t>(pointPos) - s.size(), '0');
  return s;
}

std::string DecimalDigits::FractionDigits(int count) const {
  std::string s;
  for (int k = 0; k < count; ++k) {
    int index = pointPos + k;  // digit index of the (k+1)th decimal
    s += (index >= 0 && index < static_cast<int>(digits.size())) ? digits[index] : '0';
  }
  return s;
}

double DecimalDigits::ToDouble() const {
  if (digits.empty()) return 0.0;
  std::string s = "0." + digits + "e" + std::to_string(pointPos);
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return negative ? -v : v;
}

}  // namespace kestrel
