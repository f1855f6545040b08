// Text functions: coordinates out of text, joining, and what a range shows and holds.
#include "geometry/text_functions.h"

#include "host/application.h"
#include "geometry/function_error.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr int kPointDecimals = 8;

// The number right after the marker; a missing marker reads from the second character on,
// which is what the "x,y" forms have always done.
double NumberAfter(std::string_view source, std::string_view lowerSource, std::string_view marker) {
  const size_t at = lowerSource.find(marker);
  if (at == std::string_view::npos) return Finite(LeadingNumber(CodePointSubstr(source, 1)));
  return Finite(LeadingNumber(source.substr(at + marker.size())));
}

std::string PickCoordinate(std::string_view source, std::string_view selector) {
  if (source.empty()) return "";
  std::string marker = AsciiLower(selector);
  if (marker == "x" || marker == "y" || marker == "z") marker += "=";
  // ASCII lower case keeps every byte where it was, so positions found in the lower-case copy
  // hold in the source.
  const std::string lower = AsciiLower(source);
  if (marker == "x,y" || marker == "y,x") {
    const std::string x = FormatDecimal(NumberAfter(source, lower, "x="), kPointDecimals);
    const std::string y = FormatDecimal(NumberAfter(source, lower, "y="), kPointDecimals);
    return marker == "x,y" ? x + "," + y : y + "," + x;
  }
  const size_t at = lower.find(marker);
  if (at == std::string::npos) return "";
  return FormatDecimal(Finite(LeadingNumber(source.substr(at + marker.size()))), kPointDecimals);
}

}  // namespace

std::string GetPoint(std::string_view source, std::string_view selector) {
  try {
    return PickCoordinate(source, selector);
  } catch (const FunctionError&) {
    return "#ERROR!";  // a number too large for a float64
  }
}

std::string Pl(std::string_view x, std::string_view y) { return std::string(x) + "," + std::string(y); }

std::string Text2(const RangeArg& range) {
  std::optional<std::string> text = range.Text();
  if (!text) throw FunctionError("the cells of " + range.Address() + " show different texts");
  return *text;
}

std::string ViewF(const RangeArg& range) {
  std::optional<std::string> formula = range.Formula();
  if (!formula) throw FunctionError(range.Address() + " is more than one cell");
  return *formula;
}

std::string RangeAddress(Application* host) {
  std::optional<CallerCell> caller = host ? host->Caller() : std::nullopt;
  if (!caller) throw FunctionError("not called from a cell");
  return CellA1(caller->cell, false);
}

}  // namespace kestrel
