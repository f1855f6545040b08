// Cross slope and widening: the .hp file, its parse cache, GetHP/GetJK's core and the save command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/command_context.h"
#include "geometry/geometry_state.h"

namespace kestrel {

inline constexpr std::string_view kSlopeMagic = "KestrelFile2.0-HP";

// One control station of the sheet or the file.
struct SlopeControl {
  double Station = 0;
  double Left = 0;
  double Right = 0;
};

// The file's text: the magic line, then "Station,Left,Right" per control station in the general
// form ("." whatever the locale), every line ending with CR LF.
std::string SlopeFileText(const std::vector<SlopeControl>& controls);

// Builds both tables from a file's text: segment k runs between control lines k+1 and k+2, the
// left side from the second field, the right side from the third (further fields ignored).
// 1 on success; m control lines give m - 1 segments, so one line gives none. 0 for another first
// line (case counts), a line with fewer than three fields or a field that is not a number, or a
// blank line between control lines.
int ParseSlopeText(std::string_view text, SlopeTables& tables);
// The same from the file (a relative name is taken from the current folder); 0 when missing.
int LoadSlopeFile(std::string_view path, SlopeTables& tables);

// What GetHP and GetJK give for a file that cannot be loaded.
inline constexpr double kSlopeFileUnreadable = -999999;

// The value at a station on one side (offset < 0: left; 0 or more: right) with model 1 linear
// or 3 cubic; -999999 when the file cannot be loaded. Throws FunctionError when no segment holds
// the station. The file is parsed once and used again while its path, size and modification
// time stay the same; SideValueUncached reads it on every call, with the same results.
//   SideValue(125, 3.5, "road.hp", 3, geometry.Slopes) -> 2.3125 for lines (100,2,2), (200,-2,4)
double SideValue(double station, double offset, std::string_view fileName, int model, SlopeCache& cache);
double SideValueUncached(double station, double offset, std::string_view fileName, int model, SlopeTables& tables);

// The ribbon's "保存横坡或加宽文件": columns A (station), B (left) and C (right) of the active
// sheet, rows from 1 while A is filled, saved as a .hp file under a name the user gives. A sheet
// whose A1 is empty gives the magic line only. Completed when written, Cancelled when no name was
// given, Stopped when the file could not be written (said in a message) or the host failed
// (silently).
CommandOutcome SaveSlopeFile(CommandContext& context);

}  // namespace kestrel
