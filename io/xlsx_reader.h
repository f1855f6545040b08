// Reading .xlsx files (Excel's, LibreOffice's, openpyxl's) into the in-memory workbook.
#pragma once

#include <memory>
#include <string>

#include "workbook/memory_workbook.h"

namespace kestrel {

#include <vector>

// The `onlySheet` that reads the sheet the workbook shows, whatever its name.
inline const std::string kActiveSheet = std::string(1, '\0') + "active";

// Throws WorkbookFileError with one plain line on any defect of the file; what had to change to
// load it goes to `warnings` when given (see LoadWorkbook). With `onlySheet` (a sheet's name, or
// kActiveSheet), the other sheets are there by name but empty: their parts are never read.
std::unique_ptr<MemoryWorkbook> ReadXlsx(const std::string& path, std::vector<std::string>* warnings = nullptr,
                                         const std::string& onlySheet = "");

}  // namespace kestrel
