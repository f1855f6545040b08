// The messages of workbook-file errors, one per kind.
#include "io/workbook_file_error.h"

#include <iterator>
#include <string_view>

namespace kestrel {

namespace {

struct FaultMessage {
  WorkbookFileFault kind;
  std::string_view text;  // after "path: "; {} stands for the detail
};

constexpr FaultMessage kMessages[] = {
    {WorkbookFileFault::NoSuchFile, "no such file"},
    {WorkbookFileFault::IsFolder, "is a folder, not a file"},
    {WorkbookFileFault::NotRegularFile, "is not a regular file (a device, a pipe or a socket)"},
    {WorkbookFileFault::UnknownType, "unknown file type (use .xlsx, .xlsm or .csv)"},
    {WorkbookFileFault::TooLargeToLoad, "too large to load into memory"},
    {WorkbookFileFault::Unreadable, "cannot be read"},
    {WorkbookFileFault::ReadFailed, "cannot be read ({})"},
    {WorkbookFileFault::Defect, "{}"},
    {WorkbookFileFault::NoFolder, "cannot be saved, the folder {} does not exist"},
    {WorkbookFileFault::SaveFailed, "cannot be saved ({})"},
    {WorkbookFileFault::WorkbookNotWritten, "cannot write ({})"},
    {WorkbookFileFault::TextNotWritten, "cannot be written ({})"},
};

std::string Message(WorkbookFileFault kind, const std::string& path, const std::string& detail) {
  std::string_view text = "{}";
  for (const FaultMessage& m : kMessages)
    if (m.kind == kind) text = m.text;
  std::string message = path + ": ";
  const size_t at = text.find("{}");
  if (at == std::string_view::npos) return message.append(text);
  return message.append(text.substr(0, at)).append(detail).append(text.substr(at + 2));
}

}  // namespace

WorkbookFileError::WorkbookFileError(WorkbookFileFault kind, const std::string& path, const std::string& detail)
    : std::runtime_error(Message(kind, path, detail)), kind_(kind), path_(path), detail_(detail) {}

}  // namespace kestrel
