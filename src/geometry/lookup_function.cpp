// VlookZhD: a tolerant lookup by station and offset.
#include "geometry/lookup_function.h"

#include <cmath>
#include <stdexcept>

#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr double kNotFound = -999999;
constexpr double kOffsetOff = 999999;  // a DDig of this switches the offset comparison off

double LookUp(double station, const FunctionValue& d, const FunctionValue& table, std::int32_t column, double& zhDig,
              double& dDig) {
  if (!table.IsRange()) throw std::invalid_argument("the table is not a range");
  const Grid values = table.Range().Values();
  zhDig = std::abs(RoundHalfEven(zhDig, 5));
  dDig = std::abs(RoundHalfEven(dDig, 5));
  // One cell's value is a single value, not a table.
  if (table.Range().IsSingleCell()) throw std::invalid_argument("a single cell is not a table");

  const CellValue dValue = d.Scalar();
  bool compareOffset = !(dValue.IsEmpty() || AsciiLower(dValue.AsText()) == "no" || dValue.AsText().empty());
  if (dDig == kOffsetOff) compareOffset = false;
  const double offset = compareOffset ? LeadingNumber(dValue.AsText()) : 0;

  if (column > values.Columns()) return kNotFound;
  if (column < 1) throw std::out_of_range("column before the table");
  if (compareOffset && values.Columns() < 2) throw std::out_of_range("no offset column");
  auto number = [&](int r, int c) { return LeadingNumber(values.At(r, c).AsText()); };
  for (int r = 0; r < values.Rows(); ++r) {
    if (std::abs(station - number(r, 0)) > zhDig) continue;
    if (compareOffset && std::abs(offset - number(r, 1)) > dDig) continue;
    return number(r, column - 1);
  }
  return kNotFound;
}

}  // namespace

double VlookZhD(double station, const FunctionValue& d, const FunctionValue& table, std::int32_t column,
                double& zhDig, double& dDig) {
  try {
    return LookUp(station, d, table, column, zhDig, dDig);
  } catch (const std::exception&) {
    return kNotFound;
  }
}

}  // namespace kestrel
