// Fuzz target: the notes of an otherwise sound .xlsx package. The input is the comments part;
// after its first NUL byte, if any, comes the VML drawing.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel::fuzz;
  const std::string_view input = Bytes(data, size);
  const size_t split = input.find('\0');
  if (split == std::string_view::npos) {
    ReadPackageWithPart("xl/comments1.xml", input);
    return 0;
  }
  // Both parts fuzzed together: the VML is read only for cells the comments name.
  ReadPackageWithParts({{"xl/comments1.xml", input.substr(0, split)},
                        {"xl/drawings/vmlDrawing1.vml", input.substr(split + 1)}});
  return 0;
}
