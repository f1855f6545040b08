// Rand0: a random number between two bounds with a number of decimals, from a clock-seeded generator.
#pragma once

#include <cstdint>

namespace kestrel {

class Clock;

// A uniform value in [0, 1). The generator is seeded anew on each call from the clock's seconds
// since midnight and the count of draws so far (which the call advances), so that calls within
// one tick of the clock still differ.
double ClockSeededUniform(Clock& clock, std::uint64_t& draws);

// floor((hi - lo + 1) r + lo) / k rounded half to even to d decimals, with d = |digit|,
// k = 10^d, lo = k lower and hi = k upper: every multiple of 1/k from lower to upper, each about
// as likely. 0 when k exceeds a 32-bit integer (d > 9) or the value overflows.
//   Rand0(1, 6, 0, r) is 1, 2, ... or 6;  Rand0(0, 1, 2, r) is 0, 0.01, ... or 1
double Rand0(double lower, double upper, std::int32_t digit, double r);

}  // namespace kestrel
