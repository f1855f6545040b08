// Text functions: GetPoint, Pl, and the cell utilities Text2, ViewF and RangeAddress.
#pragma once

#include <string>
#include <string_view>

#include "host/range_arg.h"

namespace kestrel {

class Application;

// A coordinate picked out of a text such as a CAD point listing "X=100.5 Y=200.25 Z=3". The
// selector, in any case: "x", "y", "z" (read after "x=", "y=", "z="), "x,y" or "y,x" (both,
// joined by ","), or any other marker text; markers are found without regard to case and the
// number after them is given with at most 8 decimals. "" for an empty text or a marker that is
// not there; with "x,y" and "y,x" a missing marker is not noticed and its number is read from
// the text's second character on.
//   GetPoint("X=100.5 Y=200.25 Z=3", "x,y") -> "100.5,200.25"
std::string GetPoint(std::string_view source, std::string_view selector);

// "X,Y".
std::string Pl(std::string_view x, std::string_view y);

// The text the range's cells show (FunctionError when the cells of a larger range differ), or a
// cell's formula ("=A5-A4", or the constant as typed; FunctionError for several cells).
std::string Text2(const RangeArg& range);
std::string ViewF(const RangeArg& range);

// The calling cell's address without "$": "C7". Throws FunctionError outside a calculation.
std::string RangeAddress(Application* host);

}  // namespace kestrel
