// Fuzz target: number text, both parsers and the forms a parsed number is written back in.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "util/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  if (size == 0) return 0;
  // The first byte picks the decimals, the rest is the text.
  const int digits = static_cast<int>(data[0] % 81) - 40;
  const std::string_view text = fuzz::Bytes(data + 1, size - 1);
  const double leading = LeadingNumber(text);
  const std::optional<double> strict = StrictNumber(text);
  for (double v : {leading, strict.value_or(0.0)}) {
    if (!std::isfinite(v)) continue;
    // The general form reads back as the same number to its 15 significant digits.
    const std::optional<double> back = StrictNumber(GeneralText(v));
    if (!back || std::fabs(*back - v) > std::fabs(v) * 1e-14) __builtin_trap();
    FormatDecimal(v, digits);
    RoundHalfEven(v, digits);
    RoundHalfAway(v, digits);
    if (std::fabs(v) < 1e12) StationText(v);
  }
  return 0;
}
