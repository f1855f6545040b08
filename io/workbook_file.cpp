// Loading and saving workbook files by extension; saving goes through a temporary file and a rename.
#include "io/workbook_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// The temporary file of the save in progress, removed when SIGINT or SIGTERM ends the process
// before the rename: the handler may only read a fixed buffer and call unlink.
char g_savingTemp[4096];
volatile std::sig_atomic_t g_saving = 0;

extern "C" void RemoveTempAndStop(int signal) {
  if (g_saving) {
#ifdef _WIN32
    std::remove(g_savingTemp);
#else
    unlink(g_savingTemp);
#endif
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Installs the handlers for the length of one save and restores the ones before.
class TempFileGuard {
 public:
  explicit TempFileGuard(const std::string& temp) {
    const size_t n = std::min(temp.size(), sizeof g_savingTemp - 1);
    std::memcpy(g_savingTemp, temp.data(), n);
    g_savingTemp[n] = '\0';
    g_saving = 1;
    oldInt_ = std::signal(SIGINT, RemoveTempAndStop);
    oldTerm_ = std::signal(SIGTERM, RemoveTempAndStop);
  }
  ~TempFileGuard() {
    std::signal(SIGINT, oldInt_);
    std::signal(SIGTERM, oldTerm_);
    g_saving = 0;
  }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;

 private:
  void (*oldInt_)(int);
  void (*oldTerm_)(int);
};

// Where the save really goes: a symbolic link's target (the link stays a link).
std::filesystem::path ResolvedTarget(const std::filesystem::path& target) {
  std::error_code error;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) return target;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
  return error ? target : resolved;
}

}  // namespace

std::string RepairUtf8(std::string text) {
  // Checked first: the conversion below costs a copy, and almost every file is sound.
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  bool valid = true;
  for (size_t i = 0; i < n && valid;) {
    // Eight ASCII bytes at a time: nearly all of a workbook's markup.
    std::uint64_t word = 0;
    while (i + 8 <= n && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080ull) == 0)) i += 8;
    if (i >= n) break;
    const unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    const size_t extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
    if (extra == 0 || i + extra >= n) {
      valid = false;
      break;
    }
    char32_t cp = b & (0x7F >> (extra + 1));
    for (size_t k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) valid = false;
    i += extra + 1;
  }
  if (valid) return text;
  return Utf16ToUtf8(Utf8ToUtf16(text));
}

std::unique_ptr<MemoryWorkbook> LoadWorkbook(const std::string& path, std::vector<std::string>* warnings) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) throw WorkbookFileError(path + ": no such file");
  if (std::filesystem::is_directory(file, error)) throw WorkbookFileError(path + ": is a folder, not a file");
  const FileType type = TypeOf(path);
  // Whatever goes wrong inside a reader ends as one plain message about the file.
  try {
    return type == FileType::Xlsx ? ReadXlsx(path, warnings) : ReadCsv(path);
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
  const std::filesystem::path target = ResolvedTarget(PathFromUtf8(path));
  std::error_code error;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder, error))
    throw WorkbookFileError(path + ": cannot be saved, the folder " + PathToUtf8(folder) + " does not exist");
  if (std::filesystem::is_directory(target, error)) throw WorkbookFileError(path + ": is a folder, not a file");
#ifndef _WIN32
  // A file kept read-only stays as it is, for root as well; the new file takes the old one's
  // permissions and, where allowed, its owner.
  struct stat old {};
  const bool replacing = stat(target.c_str(), &old) == 0;
  if (replacing) {
    int reason = 0;
    if (access(target.c_str(), W_OK) != 0)
      reason = errno;
    else if ((old.st_mode & 0222) == 0)
      reason = EACCES;
    if (reason != 0) throw WorkbookFileError(path + ": cannot be saved (" + std::strerror(reason) + ")");
  }
#endif

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
  TempFileGuard guard(tempName);
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
#ifndef _WIN32
  if (replacing) {
    if (chown(temp.c_str(), old.st_uid, old.st_gid) != 0) {
      // Only the owner's group may be kept when the owner cannot be; else the file is the saver's.
      [[maybe_unused]] int ignored = chown(temp.c_str(), static_cast<uid_t>(-1), old.st_gid);
    }
    if (chmod(temp.c_str(), old.st_mode & 07777) != 0) {
      discard();
      throw WorkbookFileError(path + ": cannot be saved (" + std::strerror(errno) + ")");
    }
  }
#endif
  std::filesystem::rename(temp, target, error);
  if (error) {
    discard();
    throw WorkbookFileError(path + ": cannot be saved (" + error.message() + ")");
  }
}

}  // namespace kestrel
