// Part bodies deflated as they are written, and the shared-string table of the writer.
#include "io/xlsx_writer_parts.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "util/atomic_output.h"
#include "io/xlsx_strings.h"

namespace kestrel {

namespace {

// A raw deflate stream, as a zip entry holds it, made by ISA-L's igzip at level 1: about four times
// the speed of zlib's level 1, and a slightly smaller stream.
class DeflateStream {
 public:
  enum class Flush { None, Sync, End };
  DeflateStream() : levelBuffer_(ISAL_DEF_LVL1_DEFAULT) {
    isal_deflate_init(&stream_);
    stream_.level = kPartCompressionLevel;
    stream_.level_buf = levelBuffer_.data();
    stream_.level_buf_size = static_cast<std::uint32_t>(levelBuffer_.size());
  }
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;

  // Deflates `in` onto the stream, flushed as `flush` says (a sync flush ends byte-aligned with an
  // empty stored block, so that another stream may follow): room(at least) gives the next place
  // to write to and its size, taken(n) says how much of it was used.
  template <class Room, class Taken>
  void Deflate(std::string_view in, Flush flush, Room room, Taken taken) {
    stream_.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(in.data()));
    stream_.avail_in = static_cast<std::uint32_t>(in.size());
    stream_.flush = flush == Flush::None ? NO_FLUSH : SYNC_FLUSH;
    stream_.end_of_stream = flush == Flush::End ? 1 : 0;
    do {
      const auto [into, size] = room(std::max<size_t>(in.size() / 4, 1 << 14));
      stream_.next_out = reinterpret_cast<std::uint8_t*>(into);
      stream_.avail_out = static_cast<std::uint32_t>(size);
      if (isal_deflate(&stream_) != COMP_OK) throw std::runtime_error("cannot deflate");
      taken(size - stream_.avail_out);
    } while (stream_.avail_in != 0 || stream_.avail_out == 0 ||
             (flush == Flush::End && stream_.internal_state.state != ZSTATE_END));
  }

 private:
  isal_zstream stream_;
  std::vector<std::uint8_t> levelBuffer_;
};

// Deflates `in` onto the end of `out`.
void DeflateInto(DeflateStream& stream, std::string_view in, DeflateStream::Flush flush, std::string& out) {
  size_t at = 0;
  stream.Deflate(
      in, flush,
      [&](size_t block) {
        at = out.size();
        out.resize(at + block);
        return std::make_pair(out.data() + at, block);
      },
      [&](size_t used) { out.resize(at + used); });
}

// Deflates `in` onto the end of the stream held in `out`: the stream is held in pieces of
// kStreamPiece bytes or less, so that it grows without being copied and holds no more than one
// piece it does not use.
void DeflateInto(DeflateStream& stream, std::string_view in, DeflateStream::Flush flush, std::vector<std::string>& out) {
  constexpr size_t kStreamPiece = size_t{1} << 18;
  size_t at = 0;
  stream.Deflate(
      in, flush,
      [&](size_t) {
        if (out.empty() || out.back().size() == kStreamPiece) {
          out.emplace_back();
          out.back().reserve(kStreamPiece);
        }
        std::string& piece = out.back();
        at = piece.size();
        piece.resize(kStreamPiece);
        return std::make_pair(piece.data() + at, kStreamPiece - at);
      },
      [&](size_t used) { out.back().resize(at + used); });
}

// A whole text as its own deflated stream.
std::string Deflated(std::string_view text, DeflateStream::Flush flush) {
  DeflateStream stream;
  std::string out;
  DeflateInto(stream, text, flush, out);
  return out;
}

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
  return crc32_gzip_refl(crc, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// The shared-string table's hash of a text: the low half of the standard one.
std::uint32_t TextHash(std::string_view text) { return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text)); }

// A thread that leaves SIGINT and SIGTERM to the thread that saves, whose handler removes the
// file being written.
template <typename Work>
std::thread QuietThread(Work work) {
  const HeldStops held;
  try {
    return std::thread(std::move(work));
  } catch (const std::system_error&) {
    return std::thread();  // no thread: the caller does the work itself
  }
}

}  // namespace

// The buffers handed over, and the stream they are deflated into, by the body's thread (or by
// the writer's own thread when there is none).
struct PartBody::Deflater {
  ~Deflater() {
    if (thread.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
      }
      changed.notify_all();
      thread.join();
    }
    if (spill) std::fclose(spill);
  }

  // One buffer into the stream; the last one ends it with a sync flush. The pieces filled go to
  // the temporary file.
  void Deflate(std::string_view in, bool last) {
    crc = Crc32(crc, in);
    DeflateInto(stream, in, last ? DeflateStream::Flush::Sync : DeflateStream::Flush::None, out);
    if (!spill || out.empty()) return;
    const size_t moved = last ? out.size() : out.size() - 1;  // the last piece may still grow
    for (size_t i = 0; i < moved; ++i) {
      if (std::fwrite(out[i].data(), 1, out[i].size(), spill) != out[i].size())
        throw std::runtime_error("cannot keep a deflated part in a temporary file");
      spilled += out[i].size();
    }
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(moved));
    if (last && std::fflush(spill) != 0) throw std::runtime_error("cannot keep a deflated part in a temporary file");
  }

  // The thread's loop: buffers in the order they were handed, until the last one.
  void Run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!done) {
      changed.wait(lock, [&] { return stop || !waiting.empty(); });
      if (stop) break;
      std::string in = std::move(waiting.front());
      waiting.pop_front();
      const bool last = finished && waiting.empty();
      lock.unlock();
      std::string failed;
      try {
        Deflate(in, last);
      } catch (const std::bad_alloc&) {
        failed = "out of memory deflating";
      } catch (const std::runtime_error& e) {
        failed = e.what();
      }
      in.clear();
      lock.lock();
      spare.push_back(std::move(in));
      if (!failed.empty()) failure = failed;
      done = last || !failed.empty();
      if (done) std::vector<std::string>().swap(spare);  // the buffers are not needed again
      changed.notify_all();
    }
  }

  DeflateStream stream;
  std::vector<std::string> out;  // the stream after what went to the file
  std::FILE* spill = std::tmpfile();
  std::uint64_t spilled = 0;     // bytes of the stream in the file
  std::uint64_t readAt = ~std::uint64_t{0};  // where the file is read next; at first, unknown
  std::uint32_t crc = 0;

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> waiting;
  std::vector<std::string> spare;  // deflated buffers, to be filled again
  bool finished = false;           // the last buffer is handed over
  bool done = false;               // the stream is ended, or failed
  bool stop = false;
  std::string failure;
  std::thread thread;
};

PartBody::PartBody() { buffer_.reserve(kBufferBytes + 4096); }

PartBody::~PartBody() = default;

void PartBody::AppendEscaped(std::string_view text) {
  AppendXmlText(buffer_, text);
  if (buffer_.size() >= kBufferBytes) Hand();
}

// The full buffer goes to the thread, which is started with the first one; a body of one buffer,
// or one without a thread, is deflated on this one.
void PartBody::Hand() {
  if (!deflater_) {
    deflater_ = std::make_unique<Deflater>();
    if (!finished_) deflater_->thread = QuietThread([deflater = deflater_.get()] { deflater->Run(); });
  }
  handed_ += buffer_.size();
  Deflater& d = *deflater_;
  if (!d.thread.joinable()) {
    d.Deflate(buffer_, finished_);
    buffer_.clear();
    return;
  }
  std::string next;
  {
    std::unique_lock<std::mutex> lock(d.mutex);
    d.changed.wait(lock, [&] { return d.done || d.waiting.size() < kMostWaiting; });
    if (d.done) throw std::runtime_error(d.failure);
    d.waiting.push_back(std::move(buffer_));
    d.finished = finished_;
    if (!d.spare.empty()) {
      next = std::move(d.spare.back());
      d.spare.pop_back();
    }
  }
  d.changed.notify_all();
  buffer_ = std::move(next);
  buffer_.clear();
  if (finished_)
    buffer_.shrink_to_fit();
  else
    buffer_.reserve(kBufferBytes + 4096);
}

void PartBody::Finish() {
  if (finished_) return;
  finished_ = true;
  Hand();
}

void PartBody::Wait() {
  if (!finished_) throw std::logic_error("a part body is read before it is finished");
  Deflater& d = *deflater_;
  if (d.thread.joinable()) {
    std::unique_lock<std::mutex> lock(d.mutex);
    d.changed.wait(lock, [&] { return d.done; });
    lock.unlock();
    d.thread.join();
  }
  if (!d.failure.empty()) throw std::runtime_error(d.failure);
}

std::uint64_t PartBody::DeflatedSize() {
  Wait();
  std::uint64_t size = deflater_->spilled;
  for (const std::string& piece : deflater_->out) size += piece.size();
  return size;
}

size_t PartBody::ReadDeflated(std::uint64_t offset, char* into, size_t length) {
  Wait();
  Deflater& d = *deflater_;
  size_t done = 0;
  if (offset < d.spilled) {
    if (offset != d.readAt && std::fseek(d.spill, static_cast<long>(offset), SEEK_SET) != 0)
      throw std::runtime_error("cannot read a deflated part back from its temporary file");
    const size_t want = static_cast<size_t>(std::min<std::uint64_t>(length, d.spilled - offset));
    if (std::fread(into, 1, want, d.spill) != want)
      throw std::runtime_error("cannot read a deflated part back from its temporary file");
    d.readAt = offset + want;
    done = want;
  }
  std::uint64_t at = d.spilled;
  for (const std::string& piece : d.out) {
    if (done == length) break;
    const std::uint64_t from = offset + done;
    if (from < at + piece.size()) {
      const size_t skip = static_cast<size_t>(from - at);
      const size_t got = std::min(length - done, piece.size() - skip);
      std::memcpy(into + done, piece.data() + skip, got);
      done += got;
    }
    at += piece.size();
  }
  return done;
}

std::uint32_t PartBody::Crc() {
  Wait();
  return static_cast<std::uint32_t>(deflater_->crc);
}

DeflatedText DeflateAround(std::string_view head, PartBody& body, std::string_view tail) {
  DeflatedText text;
  body.DeflatedSize();  // waits for the thread
  text.body = &body;
  text.head = Deflated(head, DeflateStream::Flush::Sync);
  text.tail = Deflated(tail, DeflateStream::Flush::End);
  text.size = head.size() + body.Size() + tail.size();
  uLong crc = crc32_combine(Crc32(0, head), body.Crc(), static_cast<z_off_t>(body.Size()));
  text.crc = static_cast<std::uint32_t>(crc32_combine(crc, Crc32(0, tail), static_cast<z_off_t>(tail.size())));
  return text;
}

void AppendXmlText(std::string& out, std::string_view text) {
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '&' && c != '<' && c != '>') continue;
    out.append(text.substr(from, i - from));
    out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
    from = i + 1;
  }
  out.append(text.substr(from));
}

std::string XmlAttributeText(std::string_view text) {
  std::string out;
  AppendXmlText(out, text);
  for (size_t at = out.find('"'); at != std::string::npos; at = out.find('"', at)) out.replace(at, 1, "&quot;");
  return out;
}

bool NeedsPreservedSpace(std::string_view text) {
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return !text.empty() && (space(text.front()) || space(text.back()));
}

int SharedStringTable::IndexOf(std::uint32_t place) const {
  return static_cast<int>(place + (std::upper_bound(richBefore_.begin(), richBefore_.end(), place) - richBefore_.begin()));
}

void SharedStringTable::Prefetch(std::string_view text) const {
  if (!slots_.empty()) __builtin_prefetch(&slots_[TextHash(text) & (slots_.size() - 1)]);
}

int SharedStringTable::Plain(std::string_view text) {
  ++count_;
  const std::uint32_t hash = TextHash(text);
  const std::uint32_t tag = hash >> kPlaceBits << kPlaceBits;
  if (4 * (texts_.size() + 1) > 3 * slots_.size()) {
    std::vector<std::uint32_t> grown(std::max<std::size_t>(1024, 2 * slots_.size()), 0);
    for (std::uint32_t i = 0; i < texts_.size(); ++i) {
      const std::uint32_t known = texts_[i].hash;
      std::size_t at = known & (grown.size() - 1);
      while (grown[at] != 0) at = (at + 1) & (grown.size() - 1);
      grown[at] = (known >> kPlaceBits << kPlaceBits) | (i + 1);
    }
    slots_.swap(grown);
  }
  std::size_t at = hash & (slots_.size() - 1);
  for (; slots_[at] != 0; at = (at + 1) & (slots_.size() - 1)) {
    if ((slots_[at] & ~kMostPlaces) != tag) continue;
    const std::uint32_t place = (slots_[at] & kMostPlaces) - 1;
    const PlainText& known = texts_[place];
    if (known.hash == hash && std::string_view(known.data, known.size) == text) return IndexOf(place);
  }
  if (texts_.size() < kMostPlaces) {
    slots_[at] = tag | static_cast<std::uint32_t>(texts_.size() + 1);
    texts_.push_back({text.data(), static_cast<std::uint32_t>(text.size()), hash});
  }
  // Most texts have no control character and no "_" that could read as an escape: they are
  // written as they are.
  const bool asItIs = std::none_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '_';
  });
  std::string escaped;
  if (!asItIs) {
    // A carriage return as well, which XML would read back as a line feed.
    escaped = EncodeEscapes(text);
    for (size_t cr = escaped.find('\r'); cr != std::string::npos; cr = escaped.find('\r', cr))
      escaped.replace(cr, 1, "_x000D_");
  }
  const std::string_view entry = asItIs ? text : std::string_view(escaped);
  entries_.Append(NeedsPreservedSpace(entry) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
  entries_.AppendEscaped(entry);
  entries_.Append("</t></si>");
  return unique_++;
}

int SharedStringTable::Rich(const std::string& runs) {
  ++count_;
  auto [it, added] = rich_.try_emplace(runs, unique_);
  if (!added) return it->second;
  richBefore_.push_back(static_cast<std::uint32_t>(texts_.size()));
  entries_.Append("<si>");
  entries_.Append(runs);
  entries_.Append("</si>");
  return unique_++;
}

std::string SharedStringTable::Head() const {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
         std::to_string(count_) + "\" uniqueCount=\"" + std::to_string(unique_) + "\">";
}

}  // namespace kestrel
