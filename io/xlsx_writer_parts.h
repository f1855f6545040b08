// Parts the writer makes itself, streamed to temporary files: a sheet's rows and the shared strings.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel {

// The bytes of one part, buffered and kept in an anonymous temporary file (gone when closed, or
// when the process ends), so that a sheet of millions of cells never sits in memory as text.
// Throws std::runtime_error when the file cannot be made or written.
//   PartFile rows;
//   rows.Append("<row r=\"1\">...</row>");
//   rows.Finish();   // then Read() from the start
class PartFile {
 public:
  PartFile();
  ~PartFile();
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  void Append(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferBytes) Flush();
  }
  void Append(char c) { buffer_ += c; }
  // Text with the three characters XML text cannot hold as they are (&, <, >) escaped.
  void AppendEscaped(std::string_view text);
  std::uint64_t Size() const { return written_ + buffer_.size(); }

  // Everything appended is in the file, which is read from its start again.
  void Finish();
  // Up to `count` bytes from where the last read ended; 0 at the end.
  size_t Read(char* into, size_t count);
  void Rewind();

 private:
  static constexpr size_t kBufferBytes = 1 << 20;
  void Flush();

  std::FILE* file_ = nullptr;
  std::string buffer_;
  std::uint64_t written_ = 0;
};

// The workbook's shared strings in order of first use, each entry written out once; cells refer
// to them by index. Texts are the model's (escapes are applied here); a rich text is keyed by
// the runs of its entry.
class SharedStringTable {
 public:
  // The index of a plain text; `text` must stay alive while the table is used.
  int Plain(std::string_view text);
  // The index of a rich text given as its entry's runs ("<r>...</r><r>...</r>").
  int Rich(const std::string& runs);

  bool Empty() const { return unique_ == 0; }
  // The part's start, up to the first entry: the counts are known once every sheet is written.
  std::string Head() const;
  static constexpr std::string_view kTail = "</sst>";
  PartFile& Entries() { return entries_; }

 private:
  // Plain texts by hash, open addressing: a slot holds an index into texts_ plus one, 0 when free.
  // A sheet's texts are mostly distinct, so the table is kept small and free of allocations per
  // text; its size is a power of two, at most half full.
  std::vector<std::uint32_t> slots_;
  std::vector<std::string_view> texts_;
  std::vector<std::size_t> hashes_;
  std::vector<int> indexes_;  // each text's entry
  std::unordered_map<std::string, int> rich_;
  PartFile entries_;
  std::uint64_t count_ = 0;
  int unique_ = 0;
};

// Whether the text begins or ends with white space, which an XML <t> keeps only when told.
bool NeedsPreservedSpace(std::string_view text);

// Text with &, < and > escaped, as XML text holds them.
void AppendXmlText(std::string& out, std::string_view text);

}  // namespace kestrel
