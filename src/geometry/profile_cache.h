// GetH's core: the design elevation at a station from a profile range or file, with its cache.
#pragma once

#include <string_view>

#include "geometry/function_value.h"
#include "geometry/geometry_state.h"

namespace kestrel {

class Clock;

// Loads cache.Curves from the source: a three-column range (1, or -1 for another column count
// and -2 for fewer than three points, the table then unchanged) or a profile-file name (1, or 0
// with the table one all-zero record; see ProfileFilePath for the name). Any other source gives
// 0. The cache remembers the source of a successful load only.
int LoadProfile(const FunctionValue& source, ProfileCache& cache, std::string_view moduleFolder);

// What GetH gives for a profile that cannot be loaded.
inline constexpr double kProfileUnreadable = -1;

// The design elevation at the station, or kProfileUnreadable when the profile cannot be loaded.
// - A file name is loaded when it differs from the last one given; a range when refresh is 1.
// - Otherwise the evaluation is timed: the table is used as it is when the last timed
//   evaluation was at most 0.5 s ago and the table was loaded from this very source; else the
//   source is loaded first. A burst of recalculations thus reads a file or a range once.
// Throws FunctionError when the table is empty (a file with no record line).
//   ProfileElevation(300, "road", 1, geometry.Profile, clock, shell.ModuleFolder())
double ProfileElevation(double station, const FunctionValue& source, int refresh, ProfileCache& cache,
                        Clock& clock, std::string_view moduleFolder);

}  // namespace kestrel
