// The worksheet-function catalogue: each function's interface, help and call, and the call barrier.
#include "geometry/function_catalogue.h"

#include <stdexcept>

#include "host/host_error.h"
#include "host/shell.h"
#include "geometry/angle_functions.h"
#include "geometry/function_error.h"
#include "geometry/geometry_state.h"
#include "geometry/lookup_function.h"
#include "geometry/profile_cache.h"
#include "geometry/random_function.h"
#include "geometry/slope_file.h"
#include "geometry/text_functions.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

using Args = FunctionArguments;
using A = ArgumentType;

const RangeArg& RangeOf(const FunctionValue& value) {
  if (!value.IsRange()) throw FunctionError("a range is wanted");
  return value.Range();
}

FunctionValue CallGetH(Args& a, FunctionContext& c) {
  // Only a file name is looked for in a folder: a range's call does without it.
  const std::string folder = a[1].IsText() ? c.shell.FunctionFileFolder() : std::string();
  return ProfileElevation(ToNumber(a[0]), a[1], ToLong(a[2]), c.geometry.Profile, c.clock, folder);
}

FunctionValue CallSideValue(Args& a, FunctionContext& c) {
  return SideValue(ToNumber(a[0]), ToNumber(a[1]), ToText(a[2]), ToLong(a[3]), c.geometry.Slopes);
}

FunctionValue CallVlookZhD(Args& a, FunctionContext&) {
  double zhDig = ToNumber(a[4]);
  double dDig = ToNumber(a[5]);
  const double found = VlookZhD(ToNumber(a[0]), a[1], a[2], ToLong(a[3]), zhDig, dDig);
  a[4] = zhDig;
  a[5] = dDig;
  return found;
}

FunctionValue CallRand0(Args& a, FunctionContext& c) {
  const double lower = ToNumber(a[0]);
  const double upper = ToNumber(a[1]);
  const std::int32_t digit = ToLong(a[2]);
  return Rand0(lower, upper, digit, ClockSeededUniform(c.clock, c.geometry.RandomDraws));
}

const std::vector<WorksheetFunction> kFunctions = {
    {"GetH",
     {{"jsdzh", A::Double, false, {}, "the station, in metres"},
      {"Adress", A::Variant, true, {}, "the profile: a three-column range (station, elevation, radius) or a .ZM file name"},
      {"Refresh", A::Long, false, 1, "1: read the range on every call; 0: at most once per half second"}},
     ResultType::Double,
     "Design elevation at a station from a vertical profile with parabolic curves; -1 when the profile cannot be "
     "loaded. A file name without \".ZM\" gets it; a name without a folder is taken from the add-in's folder.",
     CallGetH},
    {"Text2",
     {{"R", A::Range, false, {}, "a cell"}},
     ResultType::String,
     "The text the cell shows.",
     [](Args& a, FunctionContext&) -> FunctionValue { return Text2(RangeOf(a[0])); }},
    {"GetJK",
     {{"zh", A::Double, false, {}, "the station, in metres"},
      {"D", A::Double, false, {}, "the offset: negative for the left side"},
      {"FileName", A::String, false, {}, "the widening file (.hp)"},
      {"model", A::Long, true, 1, "1 linear, 3 cubic transition"}},
     ResultType::Double,
     "Widening at a station and side from a .hp file; -999999 when the file cannot be read.",
     CallSideValue},
    {"GetHP",
     {{"zh", A::Double, false, {}, "the station, in metres"},
      {"D", A::Double, false, {}, "the offset: negative for the left side"},
      {"FileName", A::String, false, {}, "the cross-slope file (.hp)"},
      {"model", A::Long, true, 1, "1 linear, 3 cubic transition"}},
     ResultType::Double,
     "Cross slope at a station and side from a .hp file; -999999 when the file cannot be read.",
     CallSideValue},
    {"VlookZhD",
     {{"zh", A::Double, false, {}, "the station to find in the table's first column"},
      {"D", A::Variant, false, {}, "the offset to find in its second column; \"no\" or empty: any offset"},
      {"scrRange", A::Variant, true, {}, "the table"},
      {"Column", A::Long, false, {}, "the column whose number is returned"},
      {"zhDig", A::Double, true, 0, "station tolerance"},
      {"DDig", A::Double, true, 0, "offset tolerance; 999999: any offset"}},
     ResultType::Double,
     "The number in a column of the first row matching a station (and an offset) within tolerances; -999999 "
     "when none does.",
     CallVlookZhD},
    {"HHR",
     {{"L", A::Double, false, {}, "transition length"},
      {"a", A::Double, false, {}, "transition parameter"},
      {"R", A::Double, false, 0, "radius"}},
     ResultType::String,
     "Radii of complete and incomplete transition curves: 完R=a²/L|非完大R=...|非完小R=...; 计算出错 when they "
     "cannot be computed.",
     [](Args& a, FunctionContext&) -> FunctionValue { return HHR(ToNumber(a[0]), ToNumber(a[1]), ToNumber(a[2])); }},
    {"GetPoint",
     {{"SrcText", A::String, false, {}, "a text such as \"X=100.5 Y=200.25 Z=3\""},
      {"cs", A::String, false, {}, "x, y, z, x,y, y,x or any marker"},
      {"Round", A::Integer, false, 3, "accepted, without effect"}},
     ResultType::String,
     "A coordinate picked out of a text, with at most 8 decimals; \"\" when the marker is not there.",
     [](Args& a, FunctionContext&) -> FunctionValue {
       const std::string source = ToText(a[0]);
       const std::string selector = ToText(a[1]);
       ToInteger(a[2]);
       return GetPoint(source, selector);
     }},
    {"Pl",
     {{"X", A::String, false, {}, "first text"}, {"Y", A::String, false, {}, "second text"}},
     ResultType::String,
     "X and Y joined by a comma, as a CAD point.",
     [](Args& a, FunctionContext&) -> FunctionValue { return Pl(ToText(a[0]), ToText(a[1])); }},
    {"Rand0",
     {{"lowerbound", A::Double, false, {}, "smallest value"},
      {"upperbound", A::Double, false, {}, "largest value"},
      {"Digit", A::Long, false, 0, "decimals"}},
     ResultType::Double,
     "A random number between the bounds with the given decimals; 0 for more than 9 decimals.",
     CallRand0},
    {"RangeAddress",
     {},
     ResultType::String,
     "The calling cell's address without \"$\": C7.",
     [](Args&, FunctionContext& c) -> FunctionValue { return RangeAddress(c.host); }},
    {"DMS",
     {{"X", A::Double, false, {}, "decimal degrees"},
      {"model", A::Long, true, 1, "1: 12°30′15.5″; 2: 12度30分15.5秒; 3: 12.30155"}},
     ResultType::Variant,
     "Decimal degrees in degrees, minutes and seconds.",
     [](Args& a, FunctionContext&) -> FunctionValue { return DMS(ToNumber(a[0]), ToLong(a[1])); }},
    {"DEG",
     {{"X", A::Double, false, {}, "packed degrees ddd.mmssss"}},
     ResultType::Double,
     "Packed degrees, minutes and seconds (12.301550) in decimal degrees.",
     [](Args& a, FunctionContext&) -> FunctionValue { return DEG(ToNumber(a[0])); }},
    {"FWJ",
     {{"X1", A::Double, false, {}, "northing of point 1"},
      {"Y1", A::Double, false, {}, "easting of point 1"},
      {"X2", A::Double, false, {}, "northing of point 2"},
      {"Y2", A::Double, false, {}, "easting of point 2"},
      {"model", A::Long, true, 0, "0: a fraction of a day (format the cell as time); else as DMS"}},
     ResultType::Variant,
     "Azimuth from point 1 to point 2, clockwise from north.",
     [](Args& a, FunctionContext&) -> FunctionValue {
       return FWJ(ToNumber(a[0]), ToNumber(a[1]), ToNumber(a[2]), ToNumber(a[3]), ToLong(a[4]));
     }},
    {"JL",
     {{"X1", A::Double, false, {}, "northing of point 1"},
      {"Y1", A::Double, false, {}, "easting of point 1"},
      {"X2", A::Double, false, {}, "northing of point 2"},
      {"Y2", A::Double, false, {}, "easting of point 2"}},
     ResultType::Double,
     "Distance between two points.",
     [](Args& a, FunctionContext&) -> FunctionValue {
       return JL(ToNumber(a[0]), ToNumber(a[1]), ToNumber(a[2]), ToNumber(a[3]));
     }},
    {"ViewF",
     {{"rng", A::Range, true, {}, "a cell"}},
     ResultType::String,
     "The cell's formula as text, so that a cell can show another's formula.",
     [](Args& a, FunctionContext&) -> FunctionValue { return ViewF(RangeOf(a[0])); }},
};

std::string DefaultText(const FunctionArgument& argument) { return GeneralText(*argument.defaultValue); }

}  // namespace

FunctionArguments::FunctionArguments(std::initializer_list<FunctionValue> values) {
  for (const FunctionValue& v : values) push_back(v);
}

void FunctionArguments::push_back(FunctionValue value) {
  if (size_ == values_.size()) throw std::length_error("more worksheet-function arguments than any function takes");
  values_[size_++] = std::move(value);
}

int WorksheetFunction::RequiredCount() const {
  int count = 0;
  for (const FunctionArgument& a : arguments) count += a.Optional() ? 0 : 1;
  return count;
}

std::string WorksheetFunction::Signature() const {
  std::string text = std::string(name) + "(";
  for (size_t i = 0; i < arguments.size(); ++i) {
    const FunctionArgument& a = arguments[i];
    if (i) text += ", ";
    text += a.Optional() ? "[" + std::string(a.name) + "=" + DefaultText(a) + "]" : std::string(a.name);
  }
  return text + ")";
}

const std::vector<WorksheetFunction>& WorksheetFunctions() { return kFunctions; }

const WorksheetFunction* FindWorksheetFunction(std::string_view name) {
  const std::string wanted = AsciiLower(name);
  for (const WorksheetFunction& f : kFunctions) {
    if (AsciiLower(f.name) == wanted) return &f;
  }
  return nullptr;
}

FunctionValue CallWorksheetFunction(const WorksheetFunction& function, FunctionArguments& arguments,
                                    FunctionContext& context) {
  const size_t given = arguments.size();
  if (given < static_cast<size_t>(function.RequiredCount()) || given > function.arguments.size()) {
    return FunctionValue::Error(CellError::Value);
  }
  for (size_t i = given; i < function.arguments.size(); ++i) arguments.push_back(*function.arguments[i].defaultValue);
  try {
    return function.invoke(arguments, context);
  } catch (const std::exception&) {
    // FunctionError, HostError and anything else: the cell shows the host's error value.
    return FunctionValue::Error(CellError::Value);
  }
}

}  // namespace kestrel
