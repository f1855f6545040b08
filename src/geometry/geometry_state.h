// The road-geometry state kept between worksheet calls: the profile and slope caches, Rand0's draws.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "geometry/slope_segment.h"
#include "geometry/vertical_curve.h"

namespace kestrel {

// The vertical profile GetH loaded last and what decides when it is loaded again.
struct ProfileCache {
  VerticalProfile Curves;
  bool EndsIncrease = true;  // CurveEndsIncrease(Curves), kept with every load
  // What Curves were loaded from (a file name or a range's book, sheet and address); "" when the
  // last load failed, so that no source ever evaluates on a table it did not load.
  std::string Source;
  std::string FileName;  // the last profile-file name given to GetH, whatever its load gave
  // Clock::NowSeconds of the last timed evaluation; nothing before the first one, which
  // therefore always loads.
  std::optional<double> LastEvaluation;
};

// Both sides' segments of one .hp file, index-aligned (segment k of both has the same stations).
struct SlopeTables {
  SlopeTable LeftSegments;
  SlopeTable RightSegments;
};

// One file as parsed, valid while the file keeps its size and modification time.
struct ParsedSlopeFile {
  std::uintmax_t Size = 0;
  std::filesystem::file_time_type Modified;
  int Loaded = 0;  // LoadSlopeFile's result: the failure of a bad file is remembered too
  SlopeTables Tables;
};

// The .hp files GetHP and GetJK have read, by absolute path.
struct SlopeCache {
  std::map<std::string, ParsedSlopeFile> Files;
};

struct GeometryState {
  // The vertical profile GetH loaded last, with its source and timing.
  ProfileCache Profile;
  // The cross-slope and widening files GetHP and GetJK have parsed.
  SlopeCache Slopes;
  // Rand0's draws so far, mixed into its clock seed.
  std::uint64_t RandomDraws = 0;
};

}  // namespace kestrel
