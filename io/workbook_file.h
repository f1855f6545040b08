// Workbook files: load a .xlsx or .csv into the in-memory workbook, save it back atomically.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "workbook/memory_workbook.h"
#include "io/workbook_file_error.h"
#include "util/atomic_output.h"

namespace kestrel {

// By the file's extension (.xlsx, .csv; any case). Throws WorkbookFileError. What the reader
// had to change to load the file (a note cut to the length a cell holds) is added to
// `warnings`, one line each, when given.
// With `onlySheet` (a sheet's name, or kActiveSheet for the one the workbook shows), a .xlsx
// file's other sheets are not read (they are there, empty), for a command that reads one sheet
// and saves nothing.
std::unique_ptr<MemoryWorkbook> LoadWorkbook(const std::string& path, std::vector<std::string>* warnings = nullptr,
                                             const std::string& onlySheet = "");

// Writes a temporary file beside the target and renames it over the target: an error, SIGINT or
// SIGTERM leaves the old file whole and no temporary file behind. A symbolic link's target is
// replaced (the link stays); the new file keeps the old one's permissions and, where allowed, its
// owner; a read-only file, a device or a pipe is refused (AtomicTarget). Throws WorkbookFileError.
// With `unchangedSince`, the file is replaced only while it is still as that stamp saw it.
// The book is written as it is: formula results are the cached ones (the commands recalculate
// the book before they save it).
void SaveWorkbook(MemoryWorkbook& book, const std::string& path, const std::optional<FileStamp>& unchangedSince = {});

}  // namespace kestrel
