// Whole-file UTF-16LE text files with FF FE, written atomically.
#include "util/text_file.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "util/unicode.h"

namespace kestrel {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  std::u16string wide = Utf8ToUtf16(utf8);
  return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
  return std::filesystem::path(std::string(utf8));
#endif
}

std::string PathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
  std::wstring wide = path.wstring();
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
  return path.string();
#endif
}

namespace {

// The whole file, or nothing on any error (a folder, a missing file, a failed read).
std::optional<std::string> ReadAllBytes(const std::filesystem::path& path) {
  try {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

std::string ReadTextFile(std::string_view path) {
  std::optional<std::string> read = ReadAllBytes(PathFromUtf8(path));
  if (!read || read->size() < 3) return "";
  const std::string& bytes = *read;
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return Utf16ToUtf8(FoldFullWidth(units));
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* reason) {
  AtomicFile file(path);
  const bool written = file.Write(bytes) && file.Commit();
  if (!written && reason) *reason = file.Error();
  return written;
}

AtomicFile::AtomicFile(std::filesystem::path path) : target_(path) {
  error_ = target_.Refusal();
  if (error_.empty()) out_.open(target_.Temp(), std::ios::binary | std::ios::trunc);
  if (error_.empty() && !out_.is_open()) error_ = "cannot make a file beside it";
}

AtomicFile::~AtomicFile() {
  if (out_.is_open()) out_.close();
}

bool AtomicFile::Write(std::string_view bytes) {
  if (!out_.is_open() || done_) return false;
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out_ && error_.empty()) error_ = "write error (is the disk full?)";
  return static_cast<bool>(out_);
}

bool AtomicFile::Commit() {
  if (!out_.is_open() || done_) return false;
  out_.flush();
  const bool written = static_cast<bool>(out_);
  out_.close();
  if (!written) {
    if (error_.empty()) error_ = "write error (is the disk full?)";
    return false;
  }
  error_ = target_.Commit();
  done_ = error_.empty();
  return done_;
}

int WriteTextFile(std::string_view path, std::string_view text, bool withMark) {
  std::u16string units = Utf8ToUtf16(text);
  std::string bytes;
  bytes.reserve(units.size() * 2 + 2);
  if (withMark) bytes += "\xFF\xFE";
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return WriteFileAtomically(PathFromUtf8(path), bytes) ? 1 : 0;
}

}  // namespace kestrel
