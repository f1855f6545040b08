// Reading .xlsx files (Excel's, LibreOffice's, openpyxl's) into the in-memory workbook.
#pragma once

#include <memory>
#include <string>

#include "addin/host/memory_workbook.h"

namespace kestrel {

#include <vector>

// Throws WorkbookFileError with one plain line on any defect of the file; what had to change to
// load it goes to `warnings` when given (see LoadWorkbook). With `onlySheet`, the other sheets
// are there by name but empty: their parts are never read.
std::unique_ptr<MemoryWorkbook> ReadXlsx(const std::string& path, std::vector<std::string>* warnings = nullptr,
                                         const std::string& onlySheet = "");

}  // namespace kestrel
