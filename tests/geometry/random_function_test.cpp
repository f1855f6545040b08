// Rand0: the values its formula can give, their spread, the decimals, and its generator.
#include "geometry/random_function.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <map>
#include <set>

#include "support/manual_clock.h"

namespace kestrel {
namespace {

TEST(Rand0, EveryMultipleFromLowerToUpper) {
  EXPECT_EQ(Rand0(1, 6, 0, 0.0), 1);
  EXPECT_EQ(Rand0(1, 6, 0, std::nextafter(1.0, 0.0)), 6);
  std::set<double> seen;
  for (int i = 0; i < 600; ++i) seen.insert(Rand0(1, 6, 0, i / 600.0));
  EXPECT_EQ(seen, (std::set<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Rand0(0, 1, 2, 0.5), 0.5);
  EXPECT_EQ(Rand0(0, 1, 2, std::nextafter(1.0, 0.0)), 1);
  EXPECT_EQ(Rand0(0, 1, -2, 0.999), 1);  // |Digit|
  EXPECT_EQ(Rand0(-3, -1, 0, 0.0), -3);
}

TEST(Rand0, DecimalsAreExact) {
  for (int i = 0; i < 1000; ++i) {
    const double v = Rand0(10, 20, 3, i / 1000.0);
    EXPECT_GE(v, 10);
    EXPECT_LE(v, 20);
    // The shortest text that reads back as v has at most three decimals.
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    const std::string shortest(text, end);
    const size_t point = shortest.find('.');
    EXPECT_TRUE(point == std::string::npos || shortest.size() - point - 1 <= 3) << shortest;
  }
}

TEST(Rand0, TooManyDecimalsGiveZero) {
  EXPECT_NE(Rand0(1, 2, 9, 0.5), 0);
  EXPECT_EQ(Rand0(1, 2, 10, 0.5), 0);
  EXPECT_EQ(Rand0(1, 2, -2147483647 - 1, 0.5), 0);
  EXPECT_EQ(Rand0(0, 1e308, 5, 0.5), 0);  // overflow
}

TEST(ClockSeededUniform, DiffersBetweenCallsInOneTickAndSpreadsEvenly) {
  ManualClock clock;
  std::uint64_t draws = 0;
  std::map<int, int> buckets;
  std::set<double> values;
  for (int i = 0; i < 10000; ++i) {
    const double r = ClockSeededUniform(clock, draws);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 1);
    values.insert(r);
    ++buckets[static_cast<int>(r * 10)];
  }
  EXPECT_EQ(draws, 10000u);
  EXPECT_EQ(values.size(), 10000u);
  for (const auto& [bucket, count] : buckets) EXPECT_NEAR(count, 1000, 150) << bucket;
}

TEST(ClockSeededUniform, TheClockAndTheDrawsMakeTheSeed) {
  ManualClock clock;
  std::uint64_t a = 5, b = 5;
  EXPECT_EQ(ClockSeededUniform(clock, a), ClockSeededUniform(clock, b));
  const double now = ClockSeededUniform(clock, a);
  clock.Advance(0.01);
  EXPECT_NE(ClockSeededUniform(clock, b), now);
}

}  // namespace
}  // namespace kestrel
