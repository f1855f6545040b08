// VlookZhD: a tolerant lookup by station and offset.
#include "geometry/lookup_function.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <stdexcept>

#include "host/used_rows.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr double kNotFound = -999999;
constexpr double kOffsetOff = 999999;  // a DDig of this switches the offset comparison off

// Above this many rows a table is read only as far down as its first two columns hold anything:
// a whole-column range has a million rows, of which a few hundred are used.
constexpr int kReadWholeRows = 4096;

// The table's values as far down as the scan can tell rows apart. Below the last row whose
// station or offset is filled every row reads as station 0 and offset 0, so the first of them
// stands for all: `rest` is its row, nothing when the table ends before it.
struct TableRows {
  Grid values;
  std::optional<int> rest;
};

TableRows ReadTable(const RangeArg& table, int column) {
  const RangeRef& ref = table.Ref();
  const int columns = std::min(table.Columns(), std::max(column, 2));
  int lastRow = ref.last.row;
  if (table.Rows() > kReadWholeRows) {
    lastRow = ref.first.row - 1;
    for (int k = 0; k < std::min(columns, 2); ++k)
      lastRow = std::max(lastRow, LastFilledRow(table.Sheet(), ref.first.column + k, ref.first.row, ref.last.row));
  }
  TableRows read;
  read.values = lastRow < ref.first.row ? Grid(0, columns)
                                        : table.Sheet().Values(RangeRef::Block(ref.first.row, ref.first.column,
                                                                               lastRow, ref.first.column + columns - 1));
  if (lastRow < ref.last.row) read.rest = lastRow + 1;
  return read;
}

double LookUp(double station, const FunctionValue& d, const FunctionValue& table, std::int32_t column, double& zhDig,
              double& dDig) {
  if (!table.IsRange()) throw std::invalid_argument("the table is not a range");
  const TableRows read = ReadTable(table.Range(), column);
  const Grid& values = read.values;
  zhDig = std::abs(RoundHalfEven(zhDig, 5));
  dDig = std::abs(RoundHalfEven(dDig, 5));
  // One cell's value is a single value, not a table.
  if (table.Range().IsSingleCell()) throw std::invalid_argument("a single cell is not a table");

  const CellValue dValue = d.Scalar();
  bool compareOffset = !(dValue.IsEmpty() || AsciiLower(dValue.AsText()) == "no" || dValue.AsText().empty());
  if (dDig == kOffsetOff) compareOffset = false;
  const double offset = compareOffset ? LeadingNumber(dValue.AsText()) : 0;

  if (column > table.Range().Columns()) return kNotFound;
  if (column < 1) throw std::out_of_range("column before the table");
  if (compareOffset && table.Range().Columns() < 2) throw std::out_of_range("no offset column");
  auto matches = [&](double rowStation, double rowOffset) {
    return !(std::abs(station - rowStation) > zhDig) && !(compareOffset && std::abs(offset - rowOffset) > dDig);
  };
  auto number = [&](int r, int c) { return LeadingNumber(values.At(r, c).AsText()); };
  for (int r = 0; r < values.Rows(); ++r) {
    if (matches(number(r, 0), values.Columns() > 1 ? number(r, 1) : 0)) return number(r, column - 1);
  }
  if (read.rest && matches(0, 0)) {
    const RangeRef& ref = table.Range().Ref();
    return LeadingNumber(table.Range().Sheet().Value({*read.rest, ref.first.column + column - 1}).AsText());
  }
  return kNotFound;
}

}  // namespace

double VlookZhD(double station, const FunctionValue& d, const FunctionValue& table, std::int32_t column,
                double& zhDig, double& dDig) {
  try {
    return LookUp(station, d, table, column, zhDig, dDig);
  } catch (const std::bad_alloc&) {
    throw;  // running out of memory is no "not found": the host shows its error value
  } catch (const std::exception&) {
    return kNotFound;
  }
}

}  // namespace kestrel
