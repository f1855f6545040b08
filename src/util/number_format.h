// Display text of a number under a number-format code, as a spreadsheet shows it.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Format codes in the host's neutral language: "General", "@", "0", "0.00", "0.###",
// "#,##0.00", "\"K\"0+000.000", "0.000_ ;[Red]-0.000 ". Sections are split at ";" (positive;
// negative; zero; text); quoted and backslash-escaped literals, "_x" (a blank as wide as x),
// colour tokens, digit placeholders 0 and #, "." and "," grouping. Rounding is half away from
// zero on the 15-digit decimal form.
//   FormatNumber(12235.689, "\"K\"0+000.000") == "K12+235.689"
//   FormatNumber(-1.5, "0.000_ ;[Red]-0.000 ") == "-1.500 "
std::string FormatNumber(double value, std::string_view code);

// The neutral code of a format written in the host's local language: "G/通用格式" -> "General",
// "[红色]" -> "[Red]"; other codes unchanged.
std::string NeutralFormatCode(std::string_view localCode);

// The General display of a number in a cell of standard width: t(v) when it fits in 11
// characters, else rounded to fit, else the exponent form "1.23457E+11".
std::string GeneralDisplay(double value);

}  // namespace kestrel
