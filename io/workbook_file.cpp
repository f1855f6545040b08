// Loading and saving workbook files by extension; saving goes through a temporary file and a rename.
#include "io/workbook_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>


#include "io/csv.h"
#include "io/xlsx_kept.h"
#include "io/xlsx_reader.h"
#include "io/xlsx_writer.h"
#include "util/atomic_output.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

enum class FileType { Xlsx, Csv };

FileType TypeOf(const std::string& path) {
  const std::string extension = AsciiLower(PathToUtf8(PathFromUtf8(path).extension()));
  if (extension == ".xlsx" || extension == ".xlsm") return FileType::Xlsx;
  if (extension == ".csv") return FileType::Csv;
  throw WorkbookFileError(WorkbookFileFault::UnknownType, path);
}

// Replaces every occurrence of `from` in a message (the temporary file's name) by `to`.
std::string Renamed(std::string message, const std::string& from, const std::string& to) {
  for (size_t at = message.find(from); at != std::string::npos; at = message.find(from, at + to.size()))
    message.replace(at, from.size(), to);
  return message;
}

}  // namespace

std::unique_ptr<MemoryWorkbook> LoadWorkbook(const std::string& path, std::vector<std::string>* warnings,
                                             const std::string& onlySheet) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) throw WorkbookFileError(WorkbookFileFault::NoSuchFile, path);
  if (std::filesystem::is_directory(file, error)) throw WorkbookFileError(WorkbookFileFault::IsFolder, path);
  // A pipe would keep the reader waiting for a writer; a device is no workbook.
  if (!std::filesystem::is_regular_file(file, error))
    throw WorkbookFileError(WorkbookFileFault::NotRegularFile, path);
  const FileType type = TypeOf(path);
  // Whatever goes wrong inside a reader ends as one plain message about the file.
  try {
    return type == FileType::Xlsx ? ReadXlsx(path, warnings, onlySheet) : ReadCsv(path);
  } catch (const WorkbookFileError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw WorkbookFileError(WorkbookFileFault::TooLargeToLoad, path);
  } catch (const std::exception& e) {
    throw WorkbookFileError(WorkbookFileFault::ReadFailed, path, e.what());
  }
}

void SaveWorkbook(MemoryWorkbook& book, const std::string& path, const std::optional<FileStamp>& unchangedSince) {
  const FileType type = TypeOf(path);
  std::error_code error;
  const std::filesystem::path target = OutputTarget(PathFromUtf8(path));
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder, error))
    throw WorkbookFileError(WorkbookFileFault::NoFolder, path, PathToUtf8(folder));
  if (std::filesystem::is_directory(target, error)) throw WorkbookFileError(WorkbookFileFault::IsFolder, path);
  // The same rules as every file the tool writes: a special file or a read-only one is refused.
  AtomicTarget out(target);
  if (!out.Refusal().empty()) throw WorkbookFileError(WorkbookFileFault::SaveFailed, path, out.Refusal());
  if (unchangedSince) out.RequireUnchanged(*unchangedSince);
  const std::string tempName = PathToUtf8(out.Temp());
  try {
    if (type == FileType::Xlsx)
      WriteXlsx(book, tempName, IsMacroWorkbookFile(path));
    else
      WriteCsv(book, tempName);
  } catch (const WorkbookFileError& e) {
    throw WorkbookFileError(e.Kind(), path, Renamed(e.Detail(), tempName, path));
  } catch (const std::exception& e) {
    throw WorkbookFileError(WorkbookFileFault::SaveFailed, path, Renamed(e.what(), tempName, path));
  }
  if (const std::string reason = out.Commit(); !reason.empty())
    throw WorkbookFileError(WorkbookFileFault::SaveFailed, path, reason);
}

}  // namespace kestrel
