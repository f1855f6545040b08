// Fuzz target: the styles part of an otherwise sound .xlsx package.
#include <cstdint>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kestrel::fuzz::ReadPackageWithPart("xl/styles.xml", kestrel::fuzz::Bytes(data, size));
  return 0;
}
