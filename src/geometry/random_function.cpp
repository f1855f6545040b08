// Rand0 and its generator.
#include "geometry/random_function.h"

#include <cmath>
#include <cstring>
#include <random>

#include "host/clock.h"
#include "util/number_text.h"

namespace kestrel {

double ClockSeededUniform(Clock& clock, std::uint64_t& draws) {
  const double seconds = clock.SecondsSinceMidnight();
  std::uint64_t bits = 0;
  static_assert(sizeof bits == sizeof seconds);
  std::memcpy(&bits, &seconds, sizeof bits);
  std::seed_seq seed{static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(bits >> 32),
                     static_cast<std::uint32_t>(draws), static_cast<std::uint32_t>(draws >> 32)};
  ++draws;
  std::mt19937_64 generator(seed);
  // The top 53 bits as a fraction: uniform on [0, 1) and the same on every platform.
  return static_cast<double>(generator() >> 11) * 0x1.0p-53;
}

double Rand0(double lower, double upper, std::int32_t digit, double r) {
  const std::int64_t d = std::abs(static_cast<std::int64_t>(digit));
  if (d > 9) return 0;  // 10^d no longer fits a 32-bit integer
  const double k = std::pow(10.0, static_cast<double>(d));
  // Stores round x87 extended intermediates (32-bit builds) to float64, so that an overflow is
  // one on every platform.
  volatile double lo = k * lower;
  volatile double hi = k * upper;
  volatile double scaled = (hi - lo + 1) * r + lo;
  if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(scaled)) return 0;
  return RoundHalfEven(std::floor(scaled) / k, static_cast<int>(d));
}

}  // namespace kestrel
