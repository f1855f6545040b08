// Loading and saving workbook files by extension; saving goes through a temporary file and a rename.
#include "io/workbook_file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>

#include "io/csv.h"
#include "io/xlsx_reader.h"
#include "io/xlsx_writer.h"
#include "util/text_file.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

enum class FileType { Xlsx, Csv };

FileType TypeOf(const std::string& path) {
  const std::string extension = AsciiLower(PathToUtf8(PathFromUtf8(path).extension()));
  if (extension == ".xlsx") return FileType::Xlsx;
  if (extension == ".csv") return FileType::Csv;
  throw WorkbookFileError(path + ": unknown file type (use .xlsx or .csv)");
}

// Replaces every occurrence of `from` in a message (the temporary file's name) by `to`.
std::string Renamed(std::string message, const std::string& from, const std::string& to) {
  for (size_t at = message.find(from); at != std::string::npos; at = message.find(from, at + to.size()))
    message.replace(at, from.size(), to);
  return message;
}

}  // namespace

std::unique_ptr<MemoryWorkbook> LoadWorkbook(const std::string& path) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) throw WorkbookFileError(path + ": no such file");
  if (std::filesystem::is_directory(file, error)) throw WorkbookFileError(path + ": is a folder, not a file");
  const FileType type = TypeOf(path);
  // Whatever goes wrong inside a reader ends as one plain message about the file.
  try {
    return type == FileType::Xlsx ? ReadXlsx(path) : ReadCsv(path);
  } catch (const WorkbookFileError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw WorkbookFileError(path + ": too large to load into memory");
  } catch (const std::exception& e) {
    throw WorkbookFileError(path + ": cannot be read (" + std::string(e.what()) + ")");
  }
}

void SaveWorkbook(MemoryWorkbook& book, const std::string& path) {
  const FileType type = TypeOf(path);
  const std::filesystem::path target = PathFromUtf8(path);
  std::error_code error;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder, error))
    throw WorkbookFileError(path + ": cannot be saved, the folder " + PathToUtf8(folder) + " does not exist");
  if (std::filesystem::is_directory(target, error)) throw WorkbookFileError(path + ": is a folder, not a file");

  // Beside the target, so that the rename stays on one file system and is atomic. The
  // extension stays last: writers may look at it.
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::filesystem::path temp = target;
  temp.replace_filename(PathFromUtf8("." + PathToUtf8(target.filename()) + ".kestrel-" + std::to_string(stamp) + "-" +
                                     std::to_string(counter++) + PathToUtf8(target.extension())));
  const std::string tempName = PathToUtf8(temp);
  auto discard = [&] {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
  };
  try {
    if (type == FileType::Xlsx)
      WriteXlsx(book, tempName);
    else
      WriteCsv(book, tempName);
  } catch (const WorkbookFileError& e) {
    discard();
    throw WorkbookFileError(Renamed(e.what(), tempName, path));
  } catch (const std::exception& e) {
    discard();
    throw WorkbookFileError(path + ": cannot be saved (" + Renamed(e.what(), tempName, path) + ")");
  }
  std::filesystem::rename(temp, target, error);
  if (error) {
    discard();
    throw WorkbookFileError(path + ": cannot be saved (" + error.message() + ")");
  }
}

}  // namespace kestrel
