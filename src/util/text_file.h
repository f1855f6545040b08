// Whole-file UTF-16LE text files with the byte-order mark FF FE (the system's data files).
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "util/atomic_output.h"

namespace kestrel {

// A path from UTF-8 text, on every platform (Chinese names included).
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// The file's text: the first two bytes skipped whatever they are, the rest read as UTF-16LE,
// full-width forms folded to half-width. "" for a missing file, one under three bytes, or any
// read error.
std::string ReadTextFile(std::string_view path);

// Writes the text as UTF-16LE, after FF FE when withMark. The file is replaced atomically (a
// temporary file beside it, then a rename): a failed write leaves the old file whole. 1 on
// success, 0 on any error.
int WriteTextFile(std::string_view path, std::string_view text, bool withMark = true);

// Writes bytes to a file atomically, as above (AtomicTarget: a device or a pipe is refused, a
// link's target replaced, the old file's permissions kept); false on any error, with the reason
// in `reason` when given.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* reason = nullptr);

// A file written piece by piece and put in place atomically by Commit; a writer destroyed
// without a successful Commit leaves the old file (or none) and no temporary behind.
//   AtomicFile file(path); file.Write(head); file.Write(body); if (!file.Commit()) ...
class AtomicFile {
 public:
  explicit AtomicFile(std::filesystem::path path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  // False once any write failed (or the temporary could not be made).
  bool Write(std::string_view bytes);
  bool Commit();
  // Why the file could not be written, once Write or Commit failed.
  const std::string& Error() const { return error_; }

 private:
  AtomicTarget target_;
  std::ofstream out_;
  std::string error_;
  bool done_ = false;
};

}  // namespace kestrel
