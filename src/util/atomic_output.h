// The one way every file is written, and the operating system's part in it: a temporary file beside the target, renamed over it; a command's outputs put back together; stops held while a save cannot be interrupted.
#pragma once

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kestrel {

// Where a write to `path` goes: a symbolic link's final target (the link stays a link), else the path.
std::filesystem::path OutputTarget(const std::filesystem::path& path);

// Why the file at `path` (as OutputTarget resolves it) may not be written, in a few words ("is
// not a regular file (a device, a pipe or a socket)", "is read-only", "is a folder", "the folder
// x does not exist"); "" when it may. A device or a pipe is never replaced by a regular file.
std::string OutputRefusal(const std::filesystem::path& path);

// What tells one state of a file from the next: another writer's save (a new file renamed over
// it, or the file rewritten) changes it.
struct FileStamp {
  std::uintmax_t size = 0;
  std::int64_t modified = 0;  // the last write time, in the file system's units
  std::uint64_t inode = 0;    // 0 where the system has none
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// Nothing for a file that does not exist (or cannot be examined).
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

// One file being written: a temporary file beside its target, put in place by Commit with the
// old file's permissions and, where allowed, its owner. Until then an error, SIGINT or SIGTERM
// leaves the old file whole and no temporary file behind.
//   AtomicTarget out(path);
//   if (!out.Refusal().empty()) ... ; write out.Temp() ... ; if (std::string why = out.Commit(); !why.empty()) ...
class AtomicTarget {
 public:
  explicit AtomicTarget(const std::filesystem::path& path);
  // Removes the temporary file unless committed.
  ~AtomicTarget();
  AtomicTarget(const AtomicTarget&) = delete;
  AtomicTarget& operator=(const AtomicTarget&) = delete;

  // Non-empty when nothing may be written (OutputRefusal); Temp() is then empty.
  const std::string& Refusal() const { return refusal_; }
  const std::filesystem::path& Temp() const { return temp_; }
  const std::filesystem::path& Target() const { return target_; }
  // Commit refuses to replace the target unless it is still as `stamp` saw it (read by this
  // process, and not saved by another one since).
  void RequireUnchanged(const FileStamp& stamp) { unchanged_ = stamp; }
  // Puts the written temporary file in place; "" or the reason it could not. While an
  // OutputJournal is open, the file replaced is kept aside until the journal ends.
  std::string Commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::string refusal_;
  std::optional<FileStamp> unchanged_;
  int slot_ = -1;
  bool committed_ = false;
};

// The outputs of one command, all or none: every file committed while the journal is open is
// put back as it was (a new file removed) when the journal ends without Keep, and when SIGINT or
// SIGTERM ends the process before Keep. One journal at a time.
//   OutputJournal journal;  ... write the drawing files, then the workbook ...;  journal.Keep();
class OutputJournal {
 public:
  OutputJournal();
  ~OutputJournal();
  OutputJournal(const OutputJournal&) = delete;
  OutputJournal& operator=(const OutputJournal&) = delete;
  // The files written stay; what they replaced is let go.
  void Keep();
};

// While it lives, SIGINT and SIGTERM wait on this thread and on the threads it starts, so that a
// stop arriving while a file is half written is handled on the saving thread once nothing is
// (the deflating threads of a workbook save hold them). Nothing on a platform without such signals.
class HeldStops {
 public:
  HeldStops();
  ~HeldStops();
  HeldStops(const HeldStops&) = delete;
  HeldStops& operator=(const HeldStops&) = delete;

 private:
#ifndef _WIN32
  sigset_t before_;
#endif
};

}  // namespace kestrel
