// The one error of workbook files: what went wrong with which file, said in one line.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrel {

// What went wrong; each kind has one message (workbook_file_error.cpp), where `detail` is the
// reason, the folder or the defect found in the file.
enum class WorkbookFileFault {
  NoSuchFile,      // "road.xlsx: no such file"
  IsFolder,        // "road.xlsx: is a folder, not a file"
  NotRegularFile,  // a device, a pipe or a socket
  UnknownType,     // neither .xlsx, .xlsm nor .csv
  TooLargeToLoad,  // out of memory while reading
  Unreadable,      // "road.csv: cannot be read"
  ReadFailed,      // "road.xlsx: cannot be read (detail)"
  Defect,          // "road.xlsx: detail", a defect of the file's content
  NoFolder,        // "road.xlsx: cannot be saved, the folder detail does not exist"
  SaveFailed,      // "road.xlsx: cannot be saved (detail)"
  WorkbookNotWritten,  // "road.xlsx: cannot write (detail)"
  TextNotWritten,      // "road.csv: cannot be written (detail)"
};

// A file that cannot be read or written; what() is one plain line for the user
// ("road.xlsx: not a workbook (no zip archive)").
//   throw WorkbookFileError(WorkbookFileFault::Defect, "road.xlsx", "not a workbook (no zip archive)");
class WorkbookFileError : public std::runtime_error {
 public:
  WorkbookFileError(WorkbookFileFault kind, const std::string& path, const std::string& detail = {});

  WorkbookFileFault Kind() const { return kind_; }
  const std::string& Path() const { return path_; }
  const std::string& Detail() const { return detail_; }

 private:
  WorkbookFileFault kind_;
  std::string path_;
  std::string detail_;
};

}  // namespace kestrel
