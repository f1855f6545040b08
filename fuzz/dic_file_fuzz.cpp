// Fuzz target: the station-location dictionary file (.Dic, UTF-16LE) read into a session.
#include <cstdint>

#include "addin/session.h"
#include "fuzz_support.h"
#include "sections/dictionary_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  Session session;
  session.Sections.StationDictionary = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  const int read = ReadDicFile(fuzz::InputFile(fuzz::Bytes(data, size), ".Dic"), session.Sections);
  // A failed read keeps the first record only; a good one leaves at least the records it had.
  if (read == 0 && session.Sections.StationDictionary.size() != 1) __builtin_trap();
  if (read == 1 && session.Sections.StationDictionary.empty()) __builtin_trap();
  return 0;
}
