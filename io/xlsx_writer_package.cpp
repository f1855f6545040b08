// Writing the parts of a saved .xlsx into a new zip archive with libzip, streamed parts as deflated.
#include "io/xlsx_writer_package.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "util/atomic_output.h"

namespace kestrel {

// A part deflated by Kestrel, which libzip copies into the archive as it is (the method, sizes and
// checksum come with it).
class WrittenPackage::StreamedPart {
 public:
  StreamedPart(std::string part, std::string head, PartBody& body, std::string tail)
      : part_(std::move(part)), head_(std::move(head)), body_(body), tail_(std::move(tail)) {
    zip_error_init(&error_);
  }
  ~StreamedPart() { zip_error_fini(&error_); }
  StreamedPart(const StreamedPart&) = delete;
  StreamedPart& operator=(const StreamedPart&) = delete;

  const std::string& Part() const { return part_; }

  // Once the body's thread is done: its stream with the head and tail around it.
  void Deflate() {
    try {
      text_ = DeflateAround(head_, body_, tail_);
    } catch (const std::bad_alloc&) {
      throw std::runtime_error("out of memory deflating " + part_);
    } catch (const std::runtime_error& e) {
      throw std::runtime_error(part_ + ": " + e.what());
    }
    bodySize_ = text_.body->DeflatedSize();
    compressedSize_ = text_.head.size() + bodySize_ + text_.tail.size();
  }

  static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<StreamedPart*>(state)->Serve(data, length, command);
  }

 private:
  zip_int64_t Serve(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_OPEN:
        at_ = 0;
        return 0;
      case ZIP_SOURCE_READ: {
        // The head, the body's stream, then the tail.
        char* into = static_cast<char*>(data);
        size_t done = 0;
        try {
          while (done < length && at_ < compressedSize_) {
            const std::uint64_t bodyEnd = text_.head.size() + bodySize_;
            size_t got = 0;
            if (at_ < text_.head.size()) {
              got = static_cast<size_t>(std::min<std::uint64_t>(length - done, text_.head.size() - at_));
              std::memcpy(into + done, text_.head.data() + at_, got);
            } else if (at_ < bodyEnd) {
              got = text_.body->ReadDeflated(at_ - text_.head.size(), into + done,
                                             static_cast<size_t>(std::min<std::uint64_t>(length - done, bodyEnd - at_)));
            } else {
              got = static_cast<size_t>(std::min<std::uint64_t>(length - done, compressedSize_ - at_));
              std::memcpy(into + done, text_.tail.data() + (at_ - bodyEnd), got);
            }
            if (got == 0) break;
            done += got;
            at_ += got;
          }
        } catch (const std::runtime_error&) {
          zip_error_set(&error_, ZIP_ER_READ, EIO);
          return -1;
        }
        return static_cast<zip_int64_t>(done);
      }
      case ZIP_SOURCE_CLOSE:
      case ZIP_SOURCE_FREE:
        return 0;
      case ZIP_SOURCE_STAT: {
        zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (!stat) return -1;
        zip_stat_init(stat);
        stat->size = text_.size;
        stat->comp_size = compressedSize_;
        stat->crc = text_.crc;
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
        return 0;
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
      default:
        zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  std::string part_;
  std::string head_;
  PartBody& body_;
  std::string tail_;
  DeflatedText text_;
  std::uint64_t bodySize_ = 0;
  std::uint64_t compressedSize_ = 0;
  std::uint64_t at_ = 0;  // read so far
  zip_error_t error_;
};

namespace {

struct ZipDiscarder {
  void operator()(zip_t* zip) const { zip_discard(zip); }
};

}  // namespace

WrittenPackage::WrittenPackage() = default;
WrittenPackage::~WrittenPackage() = default;

bool WrittenPackage::Has(const std::string& part) { return parts_.count(part) > 0 || streamed_.count(part) > 0; }

std::string WrittenPackage::Read(const std::string& part) {
  auto it = parts_.find(part);
  if (it == parts_.end()) throw std::runtime_error("the saved file has no " + part);
  return it->second;
}

void WrittenPackage::Put(const std::string& part, std::string data) {
  if (!Has(part)) order_.push_back(part);
  parts_[part] = std::move(data);
}

void WrittenPackage::PutStreamed(const std::string& part, std::string head, PartBody& body, std::string tail) {
  if (!Has(part)) order_.push_back(part);
  streamed_[part] = std::make_unique<StreamedPart>(part, std::move(head), body, std::move(tail));
}

void WrittenPackage::Write(const std::string& path) {
  int code = 0;
  std::unique_ptr<zip_t, ZipDiscarder> zip(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!zip) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw std::runtime_error(reason);
  }
  for (const std::string& part : order_) {
    zip_source_t* source = nullptr;
    if (auto s = streamed_.find(part); s != streamed_.end()) {
      s->second->Deflate();
      source = zip_source_function(zip.get(), StreamedPart::Callback, s->second.get());
    } else {
      const std::string& data = parts_[part];
      source = zip_source_buffer(zip.get(), data.data(), data.size(), 0);
    }
    if (!source) throw std::runtime_error("out of memory adding " + part);
    const zip_int64_t index = zip_file_add(zip.get(), part.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      throw std::runtime_error("cannot add " + part + ": " + zip_strerror(zip.get()));
    }
    if (!streamed_.count(part))
      zip_set_file_compression(zip.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, kPartCompressionLevel);
  }
  int closed = 0;
  std::string reason;
  {
    const HeldStops held;
    closed = zip_close(zip.get());
    if (closed == 0)
      zip.release();
    else
      reason = zip_strerror(zip.get());
  }
  if (closed != 0) {
    std::remove(path.c_str());
    throw std::runtime_error(reason);
  }
}

std::pair<std::string, std::string> SheetPartAround(std::string_view xml, const std::string& dimension) {
  const size_t start = xml.find("<sheetData");
  const size_t open = start == std::string_view::npos ? start : xml.find('>', start);
  if (open == std::string_view::npos) throw std::runtime_error("the saved sheet has no sheet data");
  size_t tail = open + 1;
  if (xml[open - 1] != '/') {
    const size_t close = xml.find("</sheetData>", open);
    if (close == std::string_view::npos) throw std::runtime_error("the saved sheet data has no end");
    tail = close + std::string_view("</sheetData>").size();
  }
  std::string head(xml.substr(0, start));
  const std::string key = "<dimension ref=\"";
  if (const size_t at = head.find(key); at != std::string::npos) {
    const size_t end = head.find('"', at + key.size());
    if (end != std::string::npos) head.replace(at + key.size(), end - at - key.size(), dimension);
  }
  head += "<sheetData>";
  return {head, "</sheetData>" + std::string(xml.substr(tail))};
}

}  // namespace kestrel
