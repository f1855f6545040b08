// Fuzz target: whole .xlsx files (the zip container and everything in it).
#include <cstdint>

#include "fuzz_support.h"
#include "io/workbook_file.h"
#include "io/xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  try {
    ReadXlsx(fuzz::InputFile(fuzz::Bytes(data, size), ".xlsx"));
  } catch (const WorkbookFileError&) {
    // a defect of the file, said in one line
  }
  return 0;
}
