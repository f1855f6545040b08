// The one error of workbook files: a file that cannot be read or written, said in one line.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrel {

// A file that cannot be read or written; what() is one plain line for the user
// ("road.xlsx: not a workbook (no zip archive)").
class WorkbookFileError : public std::runtime_error {
 public:
  explicit WorkbookFileError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace kestrel
