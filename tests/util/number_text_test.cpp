// Number text rules: general form, FormatDecimal, parsing, rounding, station text.
#include "util/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace kestrel {
namespace {

TEST(GeneralText, ShortestFormUpToFifteenDigits) {
  EXPECT_EQ(GeneralText(200), "200");
  EXPECT_EQ(GeneralText(0.7), "0.7");
  EXPECT_EQ(GeneralText(-12.35), "-12.35");
  EXPECT_EQ(GeneralText(0), "0");
  EXPECT_EQ(GeneralText(-0.0), "0");
  EXPECT_EQ(GeneralText(12235.689), "12235.689");
  EXPECT_EQ(GeneralText(10 + 2.0 / 6 * 4), "11.3333333333333");
  EXPECT_EQ(GeneralText(0.1 + 0.2), "0.3");
  EXPECT_EQ(GeneralText(200.4), "200.4");
  EXPECT_EQ(GeneralText(11.9333333333333 + 0.0), "11.9333333333333");
  EXPECT_EQ(GeneralText(123456789012345.0), "123456789012345");
  EXPECT_EQ(GeneralText(0.00001), "0.00001");
}

TEST(GeneralText, ExponentFormForVeryLargeAndSmall) {
  EXPECT_EQ(GeneralText(1e15), "1E+15");
  EXPECT_EQ(GeneralText(-1.5e20), "-1.5E+20");
  EXPECT_EQ(GeneralText(1e-10), "1E-10");
}

TEST(GeneralText, IgnoresTheProcessLocale) {
  // A comma locale must not change the data files' "." (skipped where the locale is absent).
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && std::setlocale(LC_ALL, "German") == nullptr) {
    GTEST_SKIP() << "no comma locale on this machine";
  }
  EXPECT_EQ(GeneralText(-3.5), "-3.5");
  EXPECT_EQ(FormatDecimal(12.3456, 3), "12.346");
  EXPECT_DOUBLE_EQ(LeadingNumber("2.5"), 2.5);
  EXPECT_EQ(StrictNumber("310.5"), 310.5);
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(FormatDecimal, IntegralValuesInGeneralForm) {
  EXPECT_EQ(FormatDecimal(12, 3), "12");
  EXPECT_EQ(FormatDecimal(100, 0), "100");
  EXPECT_EQ(FormatDecimal(-3, 5), "-3");
}

TEST(FormatDecimal, AtMostNDecimalsTrailingZerosDropped) {
  EXPECT_EQ(FormatDecimal(12.3456, 3), "12.346");
  EXPECT_EQ(FormatDecimal(12.5, 3), "12.5");
  EXPECT_EQ(FormatDecimal(-0.25, 3), "-0.25");
  EXPECT_EQ(FormatDecimal(12.9996, 3), "13.");
  EXPECT_EQ(FormatDecimal(12.0004, 3), "12.");
  EXPECT_EQ(FormatDecimal(11.333333333333334, 3), "11.333");
  EXPECT_EQ(FormatDecimal(59.9964, 2), "60.");
  EXPECT_EQ(FormatDecimal(100.5, 8), "100.5");
}

TEST(FormatDecimal, NegativeDigitsActLikePositive) {
  EXPECT_EQ(FormatDecimal(12.3456, -2), FormatDecimal(12.3456, 2));
  EXPECT_EQ(FormatDecimal(12.3456, -2), "12.35");
}

TEST(FormatDecimal, ZeroDigitsRoundHalfAwayFromZero) {
  EXPECT_EQ(FormatDecimal(2.5, 0), "3");
  EXPECT_EQ(FormatDecimal(-2.5, 0), "-3");
  EXPECT_EQ(FormatDecimal(3.49, 0), "3");
}

TEST(FormatDecimal, RoundsOnTheDecimalForm) {
  EXPECT_EQ(FormatDecimal(2.675, 2), "2.68");  // binary 2.67499999… would give 2.67
  EXPECT_EQ(FormatDecimal(1.005, 2), "1.01");
}

TEST(LeadingNumber, LongestLeadingNumber) {
  EXPECT_DOUBLE_EQ(LeadingNumber("12+300"), 12);
  EXPECT_DOUBLE_EQ(LeadingNumber("  -3.5abc"), -3.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber(""), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("12abc"), 12);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e3x"), 1000);
  EXPECT_DOUBLE_EQ(LeadingNumber("5e"), 5);
  EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("+7"), 7);
  EXPECT_DOUBLE_EQ(LeadingNumber("-"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("K12+235"), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1,5"), 1);
}

TEST(StrictNumber, WholeTextMustBeANumber) {
  EXPECT_EQ(StrictNumber("12235.689"), 12235.689);
  EXPECT_EQ(StrictNumber(" -3.5 "), -3.5);
  EXPECT_EQ(StrictNumber("1e3"), 1000);
  EXPECT_EQ(StrictNumber("0050"), 50);
  EXPECT_FALSE(StrictNumber("K12+235.689"));
  EXPECT_FALSE(StrictNumber(""));
  EXPECT_FALSE(StrictNumber("   "));
  EXPECT_FALSE(StrictNumber("12abc"));
  EXPECT_FALSE(StrictNumber("1,5"));
  EXPECT_FALSE(StrictNumber("."));
  EXPECT_FALSE(StrictNumber("nan"));
  EXPECT_FALSE(StrictNumber("inf"));
  EXPECT_TRUE(std::isinf(*StrictNumber("1e999")));
  EXPECT_EQ(StrictNumber("1e-999"), 0.0);
}

TEST(Rounding, HalfToEvenOnTheDecimalForm) {
  EXPECT_DOUBLE_EQ(RoundHalfEven(12.5, 0), 12);
  EXPECT_DOUBLE_EQ(RoundHalfEven(13.5, 0), 14);
  EXPECT_DOUBLE_EQ(RoundHalfEven(-2.5, 0), -2);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2447.5, 0), 2448);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2446.5, 0), 2446);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.665, 2), 2.66);
  EXPECT_DOUBLE_EQ(RoundHalfEven(2.66501, 2), 2.67);
  EXPECT_DOUBLE_EQ(RoundHalfEven(0.4, 0), 0);
  EXPECT_DOUBLE_EQ(RoundHalfEven(9.5, 0), 10);
}

TEST(Rounding, HalfAwayFromZero) {
  EXPECT_DOUBLE_EQ(RoundHalfAway(2.5, 0), 3);
  EXPECT_DOUBLE_EQ(RoundHalfAway(-2.5, 0), -3);
  EXPECT_DOUBLE_EQ(RoundHalfAway(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(RoundHalfAway(999.9996, 3), 1000);
  EXPECT_DOUBLE_EQ(RoundHalfAway(1234.5, -1), 1230);
  EXPECT_DOUBLE_EQ(RoundHalfAway(1235, -1), 1240);
  EXPECT_DOUBLE_EQ(RoundHalfAway(0.0004, 3), 0);
}

TEST(StationText, KilometresPlusMetres) {
  EXPECT_EQ(StationText(12235.689), "K12+235.689");
  EXPECT_EQ(StationText(12999.9996), "K13+000.000");
  EXPECT_EQ(StationText(235.689), "K0+235.689");
  EXPECT_EQ(StationText(5.1), "K0+005.100");
  EXPECT_EQ(StationText(100), "K0+100.000");
  EXPECT_EQ(StationText(123456789), "K123456+789.000");
  EXPECT_EQ(StationText(-50), "-K0+050.000");
}

}  // namespace
}  // namespace kestrel
