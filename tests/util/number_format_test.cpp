// Display text under number formats, as a spreadsheet shows it.
#include "util/number_format.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(NumberFormat, StationFormats) {
  EXPECT_EQ(FormatNumber(12235.689, "\"K\"0+000.000"), "K12+235.689");
  EXPECT_EQ(FormatNumber(12235.689, "\"K\"0+000"), "K12+236");
  EXPECT_EQ(FormatNumber(999.6, "\"K\"0+000"), "K1+000");
  EXPECT_EQ(FormatNumber(12235.689, "\\K0+000.000"), "K12+235.689");
}

TEST(NumberFormat, VolumeFormatLocalAndNeutral) {
  const char* local = "0.000_ ;[红色]-0.000 ";
  const char* neutral = "0.000_ ;[Red]-0.000 ";
  EXPECT_EQ(NeutralFormatCode(local), neutral);
  EXPECT_EQ(FormatNumber(1.5, local), "1.500 ");
  EXPECT_EQ(FormatNumber(-1.5, neutral), "-1.500 ");
  EXPECT_EQ(FormatNumber(0, neutral), "0.000 ");
  EXPECT_EQ(FormatNumber(1234.56789, neutral), "1234.568 ");
}

TEST(NumberFormat, EverydayCodes) {
  EXPECT_EQ(FormatNumber(2.5, "0"), "3");
  EXPECT_EQ(FormatNumber(-2.5, "0"), "-3");
  EXPECT_EQ(FormatNumber(0.3, "0"), "0");
  EXPECT_EQ(FormatNumber(3.14159, "0.00"), "3.14");
  EXPECT_EQ(FormatNumber(3, "0.00"), "3.00");
  EXPECT_EQ(FormatNumber(3, "0.###"), "3.");
  EXPECT_EQ(FormatNumber(3.1, "0.###"), "3.1");
  EXPECT_EQ(FormatNumber(1234567.891, "#,##0.00"), "1,234,567.89");
  EXPECT_EQ(FormatNumber(12.5, "#,##0.00"), "12.50");
  EXPECT_EQ(FormatNumber(-1234.5, "#,##0.00"), "-1,234.50");
  EXPECT_EQ(FormatNumber(0.25, "0%"), "25%");
  EXPECT_EQ(FormatNumber(0.5, "#.##"), ".5");
}

TEST(NumberFormat, SectionsForNegativeAndZero) {
  EXPECT_EQ(FormatNumber(-5, "0;(0)"), "(5)");
  EXPECT_EQ(FormatNumber(0, "0;(0);\"zero\""), "zero");
  EXPECT_EQ(FormatNumber(5, "0;(0);\"zero\""), "5");
}

TEST(NumberFormat, GeneralAndText) {
  EXPECT_EQ(NeutralFormatCode("G/通用格式"), "General");
  EXPECT_EQ(FormatNumber(12235.689, "G/通用格式"), "12235.689");
  EXPECT_EQ(FormatNumber(12235.689, "General"), "12235.689");
  EXPECT_EQ(FormatNumber(12235.689, "@"), "12235.689");
}

TEST(GeneralDisplay, FitsACellOfStandardWidth) {
  EXPECT_EQ(GeneralDisplay(11.333333333333334), "11.33333333");
  EXPECT_EQ(GeneralDisplay(-11.333333333333334), "-11.3333333");
  EXPECT_EQ(GeneralDisplay(12345678901.0), "12345678901");
  EXPECT_EQ(GeneralDisplay(123456789012.0), "1.23457E+11");
  EXPECT_EQ(GeneralDisplay(0.1), "0.1");
  EXPECT_EQ(GeneralDisplay(2.0 / 3), "0.666666667");
}

}  // namespace
}  // namespace kestrel
