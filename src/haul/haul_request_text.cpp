// Reading typed stations, ranges, class shares and factors into a distribution's request.
#include "haul/haul_request_text.h"

#include <optional>
#include <sstream>

#include "util/number_text.h"

namespace kestrel {
namespace {

double NumberField(const std::string& entry, const std::string& field, const std::string& whole) {
  const std::optional<double> n = StrictNumber(field);
  if (!n) throw HaulError(entry + ": not a number in " + whole);
  return *n;
}

}  // namespace

std::vector<std::string> FieldsOf(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::stringstream in(text);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

double StationOfText(const std::string& entry, const std::string& field, const std::string& whole) {
  const std::optional<double> station = TypedStation(field);
  if (!station) throw HaulError(entry + ": a station such as K1+200 or 1200, not " + whole);
  return *station;
}

StationRange RangeOfText(const std::string& entry, const std::string& text) {
  const std::vector<std::string> f = FieldsOf(text, ',');
  if (f.size() != 2) throw HaulError(entry + ": FROM,TO (two stations), not " + text);
  return {StationOfText(entry, f[0], text), StationOfText(entry, f[1], text)};
}

ClassRange ClassRangeOfText(const std::string& entry, const std::string& text) {
  const std::vector<std::string> f = FieldsOf(text, ',');
  if (f.size() != 2 + kSoilClasses) throw HaulError(entry + ": FROM,TO and six per cents (I to VI), not " + text);
  ClassRange range{StationOfText(entry, f[0], text), StationOfText(entry, f[1], text), {}};
  for (int c = 0; c < kSoilClasses; ++c) range.Percent[c] = NumberField(entry, f[2 + c], text);
  return range;
}

void FactorsOfText(const std::string& entry, const std::string& text, ConversionFactors& factors) {
  const std::vector<std::string> f = FieldsOf(text, ',');
  if (f.size() != kSoilClasses) throw HaulError(entry + ": six factors (I to VI), not " + text);
  for (int c = 0; c < kSoilClasses; ++c) factors[c] = NumberField(entry, f[c], text);
}

}  // namespace kestrel
