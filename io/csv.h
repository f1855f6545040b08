// CSV files: one sheet, UTF-8, comma separated, quoted as usual.
#pragma once

#include <memory>
#include <string>

#include "addin/host/memory_workbook.h"

namespace kestrel {

// One sheet named after the file (without extension); fields that read as numbers become
// numbers. Throws WorkbookFileError.
std::unique_ptr<MemoryWorkbook> ReadCsv(const std::string& path);
// The active sheet's used range, values in the general form (texts quoted when needed).
void WriteCsv(MemoryWorkbook& book, const std::string& path);

}  // namespace kestrel
