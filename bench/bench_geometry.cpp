// Benchmarks of the road-geometry functions: GetH from a profile file, GetHP/GetJK with and without the parse cache.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/shell.h"
#include "host/system_clock.h"
#include "addin/session.h"
#include "bench_support.h"
#include "benchmarks.h"
#include "geometry/function_catalogue.h"
#include "geometry/profile_file.h"
#include "geometry/profile_table.h"
#include "geometry/slope_file.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A road of `points` grade-change points 200 m apart, grades between -3 % and 3 %, curves of
// 3000 m that never overlap (tangents under 100 m).
std::vector<ProfilePoint> Road(int points) {
  std::mt19937 random(7);
  std::vector<ProfilePoint> road;
  double elevation = 300;
  for (int i = 0; i < points; ++i) {
    road.push_back({10000.0 + 200 * i, elevation, 3000});
    elevation += 200 * ((static_cast<int>(random() % 61) - 30) / 1000.0);
  }
  return road;
}

void BenchGetH(const std::filesystem::path& folder) {
  constexpr int kPoints = 500;
  constexpr int kStations = 100000;
  const std::vector<ProfilePoint> road = Road(kPoints);
  const std::string file = PathToUtf8(folder / "bench.ZM");
  WriteTextFile(file, ProfileFileText(ProfileRecords(road)));
  const double first = road.front().Station - 100;
  const double span = road.back().Station + 100 - first;

  Session session;
  SystemClock clock;
  QuietShell shell;
  FunctionContext context{session.Geometry, clock, shell, nullptr};
  const WorksheetFunction& getH = *FindWorksheetFunction("GetH");
  double sum = 0;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kStations; ++i) {
    FunctionArguments arguments{first + span * i / kStations, file};
    sum += CallWorksheetFunction(getH, arguments, context).Value().Number();
  }
  const double seconds = SecondsSince(start);
  std::printf("  GetH from a .ZM file of %d points, %d stations: %.3f s, %.0f evaluations/s (checksum %.3f)\n",
              kPoints, kStations, seconds, kStations / seconds, sum);

  // The record search alone on the cached table: bisection against the scan.
  const VerticalProfile& profile = session.Geometry.Profile.Curves;
  for (bool bisect : {true, false}) {
    double total = 0;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kStations; ++i) total += ProfileElevationAt(profile, first + span * i / kStations, bisect);
    const double t = SecondsSince(start);
    std::printf("    table of %zu records, %s: %.4f s, %.0f evaluations/s%s\n", profile.size(),
                bisect ? "binary search" : "linear scan  ", t, kStations / t,
                total == sum ? "" : "  [results differ]");
  }
}

void BenchSideValues(const std::filesystem::path& folder) {
  constexpr int kControls = 60;
  constexpr int kCalls = 10000;
  std::vector<SlopeControl> controls;
  for (int i = 0; i < kControls; ++i) controls.push_back({10000.0 + 50 * i, -2.0 + (i % 5), 2.0 - (i % 3)});
  const std::string file = PathToUtf8(folder / "bench.hp");
  WriteTextFile(file, SlopeFileText(controls));
  const double span = 50.0 * (kControls - 1);

  double cachedSum = 0;
  double uncachedSum = 0;
  SlopeCache cache;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) cachedSum += SideValue(10000 + span * i / kCalls, i % 2 ? 3.5 : -3.5, file, 3, cache);
  const double cached = SecondsSince(start);
  SlopeTables tables;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) {
    uncachedSum += SideValueUncached(10000 + span * i / kCalls, i % 2 ? 3.5 : -3.5, file, 3, tables);
  }
  const double uncached = SecondsSince(start);
  std::printf("  GetHP/GetJK on a .hp file of %d control lines, %d calls:\n", kControls, kCalls);
  std::printf("    read on every call: %.3f s, %.0f calls/s\n", uncached, kCalls / uncached);
  std::printf("    parse cache:        %.3f s, %.0f calls/s (%.0fx)%s\n", cached, kCalls / cached, uncached / cached,
              cachedSum == uncachedSum ? "" : "  [results differ]");
}

}  // namespace

void BenchGeometry() {
  std::printf("Road geometry functions\n");
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrel-bench-geometry";
  std::filesystem::create_directories(folder);
  BenchGetH(folder);
  BenchSideValues(folder);
  std::filesystem::remove_all(folder);
}

}  // namespace kestrel
