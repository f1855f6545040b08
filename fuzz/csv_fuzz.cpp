// Fuzz target: CSV workbooks read into the in-memory workbook.
#include <cstdint>

#include "fuzz_support.h"
#include "io/csv.h"
#include "io/workbook_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  try {
    ReadCsv(fuzz::InputFile(fuzz::Bytes(data, size), ".csv"));
  } catch (const WorkbookFileError&) {
    // a defect of the file, said in one line
  }
  return 0;
}
