// Parts the writer streams as it makes them, deflated on threads of their own: a sheet's rows and the shared strings.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel {

// Parts written by Kestrel are compressed for speed: the fastest level takes a quarter of the
// time of the best one (libzip's default) for a file about a third larger.
constexpr int kPartCompressionLevel = 1;

// The bytes of one part between its head and its tail, deflated as they come: each full buffer
// goes to a thread of the part's own, which deflates the buffers in order into one raw deflate
// stream, while the writer goes on. The stream ends with a sync flush and no final block, so that
// a separately deflated head and tail can be put around it (DeflatedText). A sheet of millions of
// cells is held only deflated, about a fifth of its text. Throws std::runtime_error when it
// cannot be deflated. The deflated stream is kept in an unnamed temporary file as it grows (in
// memory when no such file can be made), so that a workbook's parts do not all take room in
// memory until the archive is written.
//   PartBody rows;
//   rows.Append("<row r=\"1\">...</row>");
//   rows.Finish();
//   rows.DeflatedSize();   // waits for the thread
class PartBody {
 public:
  PartBody();
  ~PartBody();
  PartBody(const PartBody&) = delete;
  PartBody& operator=(const PartBody&) = delete;

  void Append(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferBytes) Hand();
  }
  void Append(char c) { buffer_ += c; }
  // Text with the three characters XML text cannot hold as they are (&, <, >) escaped.
  void AppendEscaped(std::string_view text);
  // The bytes appended so far.
  std::uint64_t Size() const { return handed_ + buffer_.size(); }

  // Nothing more is appended: the rest is handed over.
  void Finish();
  // After Finish, once the thread is done: the size of the deflated stream (0 for an empty
  // body), its bytes from `offset` on (up to `length` of them, how many were copied), and the
  // CRC-32 of the bytes appended. Throws std::runtime_error when the stream cannot be read back.
  std::uint64_t DeflatedSize();
  size_t ReadDeflated(std::uint64_t offset, char* into, size_t length);
  std::uint32_t Crc();

 private:
  static constexpr size_t kBufferBytes = 1 << 20;
  static constexpr size_t kMostWaiting = 4;  // buffers handed over and not deflated yet
  struct Deflater;

  void Hand();
  void Wait();

  std::string buffer_;
  std::uint64_t handed_ = 0;
  bool finished_ = false;
  std::unique_ptr<Deflater> deflater_;
};

// A part's text as one raw deflate stream, as a zip entry holds it: the head and the tail deflated
// here around the body's stream.
struct DeflatedText {
  std::string head;          // ends with a sync flush
  PartBody* body = nullptr;  // the body's stream (PartBody::ReadDeflated)
  std::string tail;          // ends the stream
  std::uint64_t size = 0;           // of the text
  std::uint32_t crc = 0;            // of the text
};

// Waits for the body's thread. Throws std::runtime_error when something cannot be deflated.
DeflatedText DeflateAround(std::string_view head, PartBody& body, std::string_view tail);

// The workbook's shared strings in order of first use, each entry written out once; cells refer
// to them by index. Texts are the model's (escapes are applied here); a rich text is keyed by
// the runs of its entry.
class SharedStringTable {
 public:
  // The index of a plain text; `text` must stay alive while the table is used.
  int Plain(std::string_view text);
  // Starts reading the place Plain(text) looks at first, so that a writer that knows its next
  // texts ahead does not wait on memory for each of them in turn (the table of a large sheet is
  // far larger than the processor's caches).
  void Prefetch(std::string_view text) const;
  // The index of a rich text given as its entry's runs ("<r>...</r><r>...</r>").
  int Rich(const std::string& runs);

  bool Empty() const { return unique_ == 0; }
  // The part's start, up to the first entry: the counts are known once every sheet is written.
  std::string Head() const;
  static constexpr std::string_view kTail = "</sst>";
  PartBody& Entries() { return entries_; }

 private:
  // Plain texts by hash, open addressing: a slot holds the text's place in texts_ plus one, 0
  // when free, with the top bits of the text's hash above it, so that a probe reads the text
  // only when those agree. A sheet's texts are mostly distinct, so the table is kept small and
  // free of allocations per text; its size is a power of two, at most three quarters full. The
  // texts are kept in blocks that never move, so that the table grows without copying them or
  // holding twice their room. Past kMostPlaces texts the rest are written without looking for
  // an earlier entry.
  static constexpr int kPlaceBits = 26;
  static constexpr std::uint32_t kMostPlaces = (std::uint32_t{1} << kPlaceBits) - 1;
  struct PlainText {
    const char* data;
    std::uint32_t size;  // a cell's text is far shorter than 4 GB
    std::uint32_t hash;  // the low half of the text's hash
  };
  // The entry of texts_[place]: the rich entries made before it come between.
  int IndexOf(std::uint32_t place) const;
  std::vector<std::uint32_t> slots_;
  std::deque<PlainText> texts_;
  std::vector<std::uint32_t> richBefore_;  // for each rich entry, how many plain texts came first
  std::unordered_map<std::string, int> rich_;
  PartBody entries_;
  std::uint64_t count_ = 0;
  int unique_ = 0;
};

// Whether the text begins or ends with white space, which an XML <t> keeps only when told.
bool NeedsPreservedSpace(std::string_view text);

// Text with &, < and > escaped, as XML text holds them.
void AppendXmlText(std::string& out, std::string_view text);
// The same with " escaped too, as an attribute's value in double quotes holds it.
std::string XmlAttributeText(std::string_view text);

}  // namespace kestrel
