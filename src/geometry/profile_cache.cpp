// GetH's core: loading a profile from a range or a file and the reload and timed modes.
#include "geometry/profile_cache.h"

#include <optional>
#include <string>
#include <string_view>

#include "host/clock.h"
#include "geometry/profile_file.h"
#include "geometry/profile_table.h"

namespace kestrel {
namespace {

// The timed mode reuses the table for this long after the last timed evaluation.
constexpr double kReuseSeconds = 0.5;

// What identifies a source in the cache; nothing for a source that cannot be loaded at all.
// The prefixes keep a file named like a range's key apart from the range.
constexpr std::string_view kRangePrefix = "range\x1F", kFilePrefix = "file\x1F";

std::optional<std::string> SourceKey(const FunctionValue& source) {
  if (source.IsRange()) return std::string(kRangePrefix) + source.Range().Key();
  if (source.IsText()) return std::string(kFilePrefix) + std::string(source.Value().Text());
  return std::nullopt;
}

// SourceKey(source) == key, without building the key: a burst of evaluations allocates nothing.
bool HasSourceKey(const FunctionValue& source, std::string_view key) {
  if (source.IsRange()) {
    return key.substr(0, kRangePrefix.size()) == kRangePrefix && source.Range().HasKey(key.substr(kRangePrefix.size()));
  }
  if (source.IsText()) {
    return key.substr(0, kFilePrefix.size()) == kFilePrefix && key.substr(kFilePrefix.size()) == source.Value().Text();
  }
  return false;
}

}  // namespace

int LoadProfile(const FunctionValue& source, ProfileCache& cache, std::string_view moduleFolder) {
  int result = 0;
  if (source.IsRange()) {
    result = LoadProfileFromRange(source.Range(), cache.Curves);
  } else if (source.IsText()) {
    result = LoadProfileFile(ProfileFilePath(source.Value().Text(), moduleFolder), cache.Curves);
  }
  cache.EndsIncrease = CurveEndsIncrease(cache.Curves);
  cache.Source = result == 1 ? SourceKey(source).value_or("") : "";
  return result;
}

double ProfileElevation(double station, const FunctionValue& source, int refresh, ProfileCache& cache,
                        Clock& clock, std::string_view moduleFolder) {
  bool reload = refresh == 1;
  if (source.IsText()) {
    reload = source.Value().Text() != cache.FileName;
    cache.FileName = source.Value().Text();
  }
  if (reload) {
    if (LoadProfile(source, cache, moduleFolder) != 1) return kProfileUnreadable;
    return ProfileElevationAt(cache.Curves, station, cache.EndsIncrease);
  }
  const double now = clock.NowSeconds();
  const bool fresh = cache.LastEvaluation && now - *cache.LastEvaluation <= kReuseSeconds && !cache.Source.empty() &&
                     HasSourceKey(source, cache.Source);
  if (!fresh && LoadProfile(source, cache, moduleFolder) != 1) {
    cache.LastEvaluation = now;
    return kProfileUnreadable;
  }
  const double h = ProfileElevationAt(cache.Curves, station, cache.EndsIncrease);
  cache.LastEvaluation = now;
  return h;
}

}  // namespace kestrel
