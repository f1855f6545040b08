// Workbook files: load a .xlsx or .csv into the in-memory workbook, save it back atomically.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "addin/host/memory_workbook.h"

namespace kestrel {

// A file that cannot be read or written; what() is one plain line for the user
// ("road.xlsx: not a workbook (no zip archive)").
class WorkbookFileError : public std::runtime_error {
 public:
  explicit WorkbookFileError(const std::string& what) : std::runtime_error(what) {}
};

// By the file's extension (.xlsx, .csv; any case). Throws WorkbookFileError.
std::unique_ptr<MemoryWorkbook> LoadWorkbook(const std::string& path);

// Writes a temporary file beside the target and renames it over the target: an error leaves the
// old file whole and no temporary file behind. Throws WorkbookFileError.
void SaveWorkbook(MemoryWorkbook& book, const std::string& path);

}  // namespace kestrel
