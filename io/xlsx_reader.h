// Reading .xlsx files (Excel's, LibreOffice's, openpyxl's) into the in-memory workbook.
#pragma once

#include <memory>
#include <string>

#include "addin/host/memory_workbook.h"

namespace kestrel {

// Throws WorkbookFileError with one plain line on any defect of the file.
std::unique_ptr<MemoryWorkbook> ReadXlsx(const std::string& path);

}  // namespace kestrel
