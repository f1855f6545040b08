// Fuzz target: the cross-slope and widening file (.hp, UTF-16LE), loaded and evaluated on both sides.
#include <cstdint>

#include "fuzz_support.h"
#include "geometry/function_error.h"
#include "geometry/slope_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  SlopeTables tables;
  const std::string path = fuzz::InputFile(fuzz::Bytes(data, size), ".hp");
  if (LoadSlopeFile(path, tables) != 1) return 0;
  if (tables.LeftSegments.size() != tables.RightSegments.size()) __builtin_trap();
  for (size_t k = 0; k < tables.LeftSegments.size() && k < 16; ++k) {
    const double station = tables.LeftSegments[k].FromStation;
    for (double offset : {-1.0, 1.0})
      for (int model : {1, 3}) {
        try {
          SideValueUncached(station, offset, path, model, tables);
        } catch (const FunctionError&) {
          // no segment holds the station: the worksheet function's own answer
        }
      }
  }
  return 0;
}
