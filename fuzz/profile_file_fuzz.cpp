// Fuzz target: the vertical-profile file (.ZM, UTF-16LE), loaded and evaluated along its stations.
#include <cstdint>

#include "fuzz_support.h"
#include "geometry/function_error.h"
#include "geometry/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  VerticalProfile profile;
  if (LoadProfileFile(fuzz::InputFile(fuzz::Bytes(data, size), ".ZM"), profile) != 1) return 0;
  if (profile.empty()) return 0;
  const bool increase = CurveEndsIncrease(profile);
  for (const VerticalCurve& curve : profile)
    for (double station : {curve.StartStation, curve.CurveStartStation, curve.PviStation, curve.CurveEndStation,
                           curve.EndStation + 1}) {
      // The bisecting search gives what the scan gives whenever the ends increase.
      if (increase && FindCurveIndex(profile, station, true) != FindCurveIndex(profile, station, false))
        __builtin_trap();
      try {
        ProfileElevationAt(profile, station, increase);
      } catch (const FunctionError&) {
        // an arithmetic error: the worksheet function's own answer
      }
    }
  return 0;
}
