// Angle and survey functions: DMS carries and forms, DEG, FWJ quadrants, JL, HHR.
#include "geometry/angle_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/function_error.h"

namespace kestrel {
namespace {

std::string Text(const FunctionValue& v) {
  EXPECT_TRUE(v.IsText());
  return v.IsText() ? std::string(v.Value().Text()) : "";
}
double Number(const FunctionValue& v) {
  EXPECT_TRUE(v.IsNumber());
  return v.IsNumber() ? v.Value().Number() : NAN;
}

TEST(DMS, TheThreeForms) {
  EXPECT_EQ(Text(DMS(12.5043055556, 1)), "12°30′15.5″");
  EXPECT_EQ(Text(DMS(12.5043055556, 2)), "12度30分15.5秒");
  EXPECT_EQ(Number(DMS(12.5043055556, 3)), 12.30155);
  EXPECT_EQ(Text(DMS(-12.5043055556, 1)), "-12°30′15.5″");
  EXPECT_EQ(Number(DMS(-12.5043055556, 3)), -12.30155);
  EXPECT_TRUE(DMS(12.5, 0).IsEmpty());
  EXPECT_TRUE(DMS(12.5, 4).IsEmpty());
  EXPECT_EQ(Text(DMS(0, 1)), "0°0′0″");
  // Under one degree the sign stays in front of the angle.
  EXPECT_EQ(Text(DMS(-0.5, 1)), "-0°30′0″");
  EXPECT_EQ(Text(DMS(-0.5, 2)), "-0度30分0秒");
  EXPECT_EQ(Number(DMS(-0.5, 3)), -0.3);
  EXPECT_EQ(Text(DMS(90, 1)), "90°0′0″");
}

TEST(DMS, SecondsCarryIntoMinutesAndMinutesIntoDegrees) {
  EXPECT_EQ(Text(DMS(29.999999, 1)), "30°0′0″");      // seconds 59.9964
  EXPECT_EQ(Text(DMS(29.99999, 1)), "29°59′59.96″");  // seconds 59.964
  EXPECT_EQ(Number(DMS(29.999999, 3)), 30);
  EXPECT_EQ(Text(DMS(10.5 - 0.001 / 3600, 1)), "10°30′0″");  // seconds 59.999 of minute 29 carry
  EXPECT_EQ(Text(DMS(10.25 + 1.234 / 3600, 1)), "10°15′1.23″");
  EXPECT_EQ(Text(DMS(10.25 + 1.236 / 3600, 1)), "10°15′1.24″");
}

TEST(DMS, PackedFormRoundTripsThroughDEG) {
  for (double x : {0.0, 0.5, 1.0 / 3, 12.5043055556, 123.456789, 359.9999, -45.123}) {
    const double packed = Number(DMS(x, 3));
    EXPECT_NEAR(DEG(packed), x, 0.005 / 3600 + 1e-12) << x;  // seconds to two decimals
  }
}

TEST(DEG, PackedToDecimal) {
  EXPECT_NEAR(DEG(12.30155), 12.504305555555555, 1e-12);
  EXPECT_NEAR(DEG(12.301550), 12 + 30 / 60.0 + 15.5 / 3600, 1e-12);
  EXPECT_NEAR(DEG(-12.30155), -12.504305555555555, 1e-12);
  EXPECT_NEAR(DEG(-0.3), -0.5, 1e-12);  // the sign of a value under one degree survives
  EXPECT_EQ(DEG(45), 45);
  EXPECT_EQ(DEG(0), 0);
  EXPECT_NEAR(DEG(0.0001), 1.0 / 3600, 1e-12);
}

TEST(FWJ, QuadrantsAndAxes) {
  // Point 2 relative to point 1 (X north, Y east) and its azimuth.
  const struct {
    double x2, y2, azimuth;
  } cases[] = {{10, 10, 45}, {-10, 10, 135}, {-10, -10, 225}, {10, -10, 315}, {10, 0, 0},
               {0, 10, 90},  {-5, 0, 180},   {0, -5, 270},    {0, 0, 90},     {3, 4, 53.13010235415598}};
  for (const auto& c : cases) {
    // π is 3.14159265358 here: the azimuth differs from the exact one by about 3e-12 of itself.
    EXPECT_NEAR(Number(FWJ(0, 0, c.x2, c.y2, 0)) * 24, c.azimuth, 1e-9) << c.x2 << "," << c.y2;
  }
  EXPECT_EQ(Number(FWJ(0, 0, -5, 0, 0)), 180.0 / 24);  // on the north-south axis: exactly
  EXPECT_EQ(Number(FWJ(0, 0, 0, -5, 0)), 270.0 / 24);
}

TEST(FWJ, OtherModelsGiveDMS) {
  EXPECT_EQ(Text(FWJ(0, 0, 10, 10, 1)), "45°0′0″");
  EXPECT_EQ(Text(FWJ(0, 0, 10, 10, 2)), "45度0分0秒");
  EXPECT_EQ(Number(FWJ(0, 0, 10, 10, 3)), 45);
  EXPECT_EQ(Text(FWJ(1000, 2000, 1000 - 100, 2000 + 100 * std::tan(std::numbers::pi / 6), 1)), "150°0′0″");
  EXPECT_TRUE(FWJ(0, 0, 1, 1, 7).IsEmpty());
}

TEST(FWJ, TheFixedPiShowsInTheLastDigits) {
  const double exact = 45.0 / 24;
  const double value = Number(FWJ(0, 0, 10, 10, 0));
  EXPECT_NE(value, exact);
  EXPECT_NEAR(value, (90 - std::atan(1.0) * 180 / 3.14159265358) / 24, 1e-15);
}

TEST(JL, Distance) {
  EXPECT_EQ(JL(0, 0, 3, 4), 5);
  EXPECT_EQ(JL(3, 4, 0, 0), 5);
  EXPECT_EQ(JL(1, 1, 1, 1), 0);
  EXPECT_THROW(JL(0, 0, 1e200, 1e200), ArithmeticError);
}

TEST(HHR, RadiiAndTheErrorText) {
  EXPECT_EQ(HHR(60, 300, 1000), "完R=1500|非完大R=3000|非完小R=600");
  EXPECT_EQ(HHR(60, 300, 0), "计算出错");
  EXPECT_EQ(HHR(0, 300, 1000), "计算出错");
  EXPECT_EQ(HHR(60, 0, 1000), "计算出错");
  EXPECT_EQ(HHR(100, 100, 100), "计算出错");  // 1/R = L/a²
  EXPECT_EQ(HHR(50, 200, 1000), "完R=800|非完大R=-4000|非完小R=444.444444444444");
}

}  // namespace
}  // namespace kestrel
