// Writing files through a temporary file and a rename, with what SIGINT and SIGTERM must undo kept where a handler can reach it.
#include "util/atomic_output.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string_view>
#include <system_error>

#ifndef _WIN32
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "util/text_file.h"

namespace kestrel {

namespace {

// What a signal handler must undo lives in fixed slots: it may only read them and call unlink
// and rename. A slot holds a temporary file being written; once committed under an open
// journal, also the target it replaced and the link to the old file ("" for a new file).
constexpr int kSlots = 32;
constexpr size_t kPathBytes = 4096;
enum SlotState : int { kFree = 0, kWriting = 1, kReplaced = 2 };
struct Slot {
  char temp[kPathBytes];
  char target[kPathBytes];
  char backup[kPathBytes];
  volatile std::sig_atomic_t state;
};
Slot g_slots[kSlots];
volatile std::sig_atomic_t g_journalOpen = 0;

bool CopyPath(char (&into)[kPathBytes], const std::filesystem::path& path) {
  const std::string text = PathToUtf8(path);
  if (text.size() >= kPathBytes) return false;
  std::memcpy(into, text.c_str(), text.size() + 1);
  return true;
}

void PutBackSlot(Slot& slot) {
  if (slot.state == kReplaced) {
    if (slot.backup[0] != '\0') {
#ifdef _WIN32
      std::remove(slot.target);
#endif
      std::rename(slot.backup, slot.target);
      std::remove(slot.backup);  // still there when it was the same file as the target
    } else {
      std::remove(slot.target);
    }
  }
  if (slot.state != kFree) std::remove(slot.temp);
  slot.state = kFree;
}

#ifndef _WIN32
extern "C" void UndoAndStop(int signal) {
  for (int i = kSlots - 1; i >= 0; --i)
    if (g_slots[i].state == kWriting || (g_slots[i].state == kReplaced && g_journalOpen)) PutBackSlot(g_slots[i]);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}
#endif

// The handlers stay from the first file written on; with nothing to undo they only stop the process.
void InstallHandlers() {
#ifndef _WIN32
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  std::signal(SIGINT, UndoAndStop);
  std::signal(SIGTERM, UndoAndStop);
#endif
}

std::string SystemReason(int code) { return std::generic_category().message(code); }

std::filesystem::path Beside(const std::filesystem::path& target, const std::string& kind) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::filesystem::path name = target;
  // The extension stays last: writers may look at it.
  name.replace_filename(PathFromUtf8("." + PathToUtf8(target.filename()) + ".kestrel-" + kind +
                                     std::to_string(stamp) + "-" + std::to_string(counter++) +
                                     PathToUtf8(target.extension())));
  return name;
}

}  // namespace

std::filesystem::path OutputTarget(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) return path;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved;
}

std::string OutputRefusal(const std::filesystem::path& path) {
  const std::filesystem::path target = OutputTarget(path);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(target, error);
  if (std::filesystem::is_directory(status)) return "is a folder, not a file";
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return "is not a regular file (a device, a pipe or a socket); nothing was written";
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder, error)) return "the folder " + PathToUtf8(folder) + " does not exist";
#ifndef _WIN32
  // A file kept read-only stays as it is, for root as well.
  struct stat old {};
  if (stat(target.c_str(), &old) == 0) {
    if (access(target.c_str(), W_OK) != 0) return SystemReason(errno);
    if ((old.st_mode & 0222) == 0) return "is read-only (" + SystemReason(EACCES) + ")";
  }
#endif
  return "";
}

std::optional<FileStamp> StampOf(const std::filesystem::path& path) {
  std::error_code error;
  FileStamp stamp;
  stamp.size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  const auto modified = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  stamp.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
#ifndef _WIN32
  struct stat status {};
  if (stat(path.c_str(), &status) == 0) stamp.inode = static_cast<std::uint64_t>(status.st_ino);
#endif
  return stamp;
}

AtomicTarget::AtomicTarget(const std::filesystem::path& path) : target_(OutputTarget(path)) {
  refusal_ = OutputRefusal(target_);
  if (!refusal_.empty()) return;
  const std::filesystem::path temp = Beside(target_, "");
  for (int i = 0; i < kSlots && slot_ < 0; ++i)
    if (g_slots[i].state == kFree) slot_ = i;
  if (slot_ < 0 || !CopyPath(g_slots[slot_].temp, temp)) {
    slot_ = -1;
    refusal_ = "too many files or too long a name at once";
    return;
  }
  InstallHandlers();
  g_slots[slot_].state = kWriting;
  temp_ = temp;
}

AtomicTarget::~AtomicTarget() {
  if (slot_ < 0 || committed_) return;
  std::error_code ignored;
  std::filesystem::remove(temp_, ignored);
  g_slots[slot_].state = kFree;
}

namespace {

// For tests, which must act while a file is written but not yet in place: with
// KESTREL_HOLD_COMMIT=NAME:FIFO, the commit of a target named NAME creates FIFO.held and waits
// until a test has opened FIFO for writing and closed it (a signal meanwhile ends the run as
// anywhere else).
void HoldForTests(const std::filesystem::path& target) {
  const char* hold = std::getenv("KESTREL_HOLD_COMMIT");
  if (hold == nullptr) return;
  const std::string_view text(hold);
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || PathToUtf8(target.filename()) != text.substr(0, colon)) return;
  const std::filesystem::path fifo = PathFromUtf8(text.substr(colon + 1));
  std::ofstream(std::filesystem::path(fifo).concat(".held")).close();
  std::ifstream wait(fifo);
  wait.ignore(std::numeric_limits<std::streamsize>::max());
}

}  // namespace

std::string AtomicTarget::Commit() {
  if (slot_ < 0 || committed_) return refusal_.empty() ? "already written" : refusal_;
  HoldForTests(target_);
  Slot& slot = g_slots[slot_];
  std::error_code error;
  if (unchanged_ && StampOf(target_) != unchanged_)
    return "it changed on disk after it was read (another run saved it meanwhile); nothing was written, run the "
           "command again";
  const bool replacing = std::filesystem::exists(target_, error);
#ifndef _WIN32
  struct stat old {};
  if (replacing && stat(target_.c_str(), &old) == 0) {
    if (chown(temp_.c_str(), old.st_uid, old.st_gid) != 0) {
      // Only the owner's group may be kept when the owner cannot be; else the file is the writer's.
      [[maybe_unused]] int ignored = chown(temp_.c_str(), static_cast<uid_t>(-1), old.st_gid);
    }
    if (chmod(temp_.c_str(), old.st_mode & 07777) != 0) return SystemReason(errno);
  }
#endif
  const bool journalled = g_journalOpen != 0;
  if (journalled) {
    slot.backup[0] = '\0';
    if (!CopyPath(slot.target, target_)) return "too long a name";
    if (replacing) {
      // The old file stays reachable under a second name until the journal lets it go.
      const std::filesystem::path backup = Beside(target_, "old-");
      if (!CopyPath(slot.backup, backup)) return "too long a name";
      std::filesystem::create_hard_link(target_, backup, error);
      if (error) std::filesystem::copy_file(target_, backup, error);
      if (error) {
        slot.backup[0] = '\0';
        return error.message();
      }
    }
    slot.state = kReplaced;
  }
  std::filesystem::rename(temp_, target_, error);
  if (error) {
    if (journalled) {
      if (slot.backup[0] != '\0') std::remove(slot.backup);
      slot.state = kWriting;
    }
    return error.message();
  }
  committed_ = true;
  if (!journalled) slot.state = kFree;
  return "";
}

OutputJournal::OutputJournal() {
  InstallHandlers();
  g_journalOpen = 1;
}

OutputJournal::~OutputJournal() {
  for (int i = kSlots - 1; i >= 0; --i)
    if (g_slots[i].state == kReplaced) PutBackSlot(g_slots[i]);
  g_journalOpen = 0;
}

void OutputJournal::Keep() {
  for (Slot& slot : g_slots) {
    if (slot.state != kReplaced) continue;
    if (slot.backup[0] != '\0') std::remove(slot.backup);
    slot.state = kFree;
  }
}

#ifndef _WIN32
HeldStops::HeldStops() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, &before_);
}

HeldStops::~HeldStops() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
#else
HeldStops::HeldStops() = default;
HeldStops::~HeldStops() = default;
#endif

}  // namespace kestrel
