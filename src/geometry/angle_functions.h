// Angle and survey functions: DMS, DEG, FWJ (azimuth), JL (distance), HHR (transition radii).
#pragma once

#include <string>

#include "geometry/function_value.h"

namespace kestrel {

// Decimal degrees in sexagesimal form: model 1 "12°30′15.5″", model 2 "12度30分15.5秒", model 3
// the packed number ddd.mmssss (12.30155); the empty value for any other model. Seconds are
// rounded to two decimals; seconds within 0.01 of 60 carry into the minutes, 60 minutes into
// the degrees: DMS(29.999999) -> "30°0′0″".
FunctionValue DMS(double x, int model);

// A packed ddd.mmssss angle in decimal degrees: DEG(12.30155) -> 12.5043055...
double DEG(double x);

// The azimuth from point 1 to point 2 (X north, Y east) in degrees clockwise from north: as a
// fraction of a day (azimuth / 24) for model 0, so that a cell formatted as time shows degrees,
// minutes and seconds; else DMS(azimuth, model). π is taken as 3.14159265358, as the function
// always has. FWJ(0, 0, 10, 10, 1) -> "45°0′0″".
FunctionValue FWJ(double x1, double y1, double x2, double y2, int model);

// The distance between two points. Throws ArithmeticError on overflow.
double JL(double x1, double y1, double x2, double y2);

// Transition-curve radii from length L, parameter a and radius R:
// "完R=a²/L|非完大R=1/(1/R - L/a²)|非完小R=1/(1/R + L/a²)", or "计算出错" when any of them cannot be
// computed (L, a or R zero, 1/R = L/a²). HHR(60, 300, 1000) -> "完R=1500|非完大R=3000|非完小R=600".
std::string HHR(double l, double a, double r);

}  // namespace kestrel
