// Zip parts through libzip, refusing archives that are not zips, damaged ones and oversized parts.
#include "io/zip_archive.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "io/workbook_file_error.h"

namespace kestrel {

namespace {

// The first bytes of the file, to tell a damaged zip from something that never was one.
std::string Head(const std::string& path, size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

}  // namespace

ZipArchive::ZipArchive(const std::string& path) : path_(path) {
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::path(path), error)) Fail("no such file");
  if (std::filesystem::is_directory(std::filesystem::path(path), error)) Fail("is a folder, not a workbook");
  std::string head = Head(path, 4);
  if (head.empty()) Fail("empty file, not a workbook");
  int code = 0;
  archive_ = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (archive_) return;
  const bool looksLikeZip = head.size() >= 2 && head[0] == 'P' && head[1] == 'K';
  switch (code) {
    case ZIP_ER_NOZIP:
      Fail(looksLikeZip ? "the zip archive is truncated or damaged" : "not a workbook (no zip archive)");
    case ZIP_ER_INCONS:
      Fail("the zip archive is damaged (inconsistent)");
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_NOENT:
      Fail("cannot be read (" + ZipErrorText(code) + ")");
    default:
      Fail("not a readable zip archive (" + ZipErrorText(code) + ")");
  }
}

ZipArchive::~ZipArchive() {
  if (archive_) zip_discard(archive_);
}

void ZipArchive::Fail(const std::string& what) const { throw WorkbookFileError(WorkbookFileFault::Defect, path_, what); }

bool ZipArchive::Has(std::string_view name) const {
  return zip_name_locate(archive_, std::string(name).c_str(), ZIP_FL_NOCASE) >= 0;
}

ZipArchive::Stream ZipArchive::Open(std::string_view name) {
  const std::string part(name);
  zip_int64_t index = zip_name_locate(archive_, part.c_str(), ZIP_FL_NOCASE);
  if (index < 0) Fail(part + " is missing");
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
    Fail(part + " is damaged in the zip archive");
  // The stated size is checked first so that a bomb is refused before anything is inflated; the
  // reading is bounded as well, in case the stated size lies.
  if ((stat.valid & ZIP_STAT_SIZE) && stat.size > kMaxPartBytes)
    Fail(part + " is larger than " + std::to_string(kMaxPartBytes >> 20) + " MB uncompressed");
  const bool deflated = (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_DEFLATE &&
                        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method == ZIP_EM_NONE &&
                        (stat.valid & ZIP_STAT_SIZE) && (stat.valid & ZIP_STAT_CRC);
  zip_file_t* file =
      zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), deflated ? ZIP_FL_COMPRESSED : zip_flags_t{0});
  if (!file) {
    zip_error_t* error = zip_get_error(archive_);
    const int code = zip_error_code_zip(error);
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_ENCRNOTSUPP || code == ZIP_ER_WRONGPASSWD)
      Fail(part + " is encrypted");
    Fail(part + " cannot be read from the zip archive (" + zip_error_strerror(error) + ")");
  }
  std::unique_ptr<Stream::Inflater> inflater;
  if (deflated) inflater = std::make_unique<Stream::Inflater>(stat.size, stat.crc);
  return Stream(*this, part, file, (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0, std::move(inflater));
}

// The raw deflate stream of a part, read from the archive a piece at a time and inflated.
struct ZipArchive::Stream::Inflater {
  Inflater(std::uint64_t size, std::uint32_t crc) : statedSize(size), statedCrc(crc), input(1 << 16) {
    isal_inflate_init(&state);
    state.crc_flag = ISAL_DEFLATE;
  }

  inflate_state state;
  std::uint64_t statedSize;
  std::uint32_t statedCrc;
  std::uint32_t crc = 0;
  std::vector<std::uint8_t> input;
  bool inputEnded = false;
  bool ended = false;
};

ZipArchive::Stream::Stream(ZipArchive& zip, std::string part, zip_file* file, std::uint64_t statedSize,
                           std::unique_ptr<Inflater> inflater)
    : zip_(zip), part_(std::move(part)), file_(file), inflater_(std::move(inflater)), statedSize_(statedSize) {}

size_t ZipArchive::Stream::Read(void* into, size_t room) {
  const zip_int64_t got = zip_fread(file_, into, room);
  if (got < 0)
    zip_.Fail(part_ + " is damaged in the zip archive (" + zip_error_strerror(zip_file_get_error(file_)) + ")");
  return static_cast<size_t>(got);
}

size_t ZipArchive::Stream::Next(char* into, size_t room) {
  if (!inflater_) return Read(into, room);
  Inflater& in = *inflater_;
  if (in.ended) return 0;
  inflate_state& state = in.state;
  state.next_out = reinterpret_cast<std::uint8_t*>(into);
  state.avail_out = static_cast<std::uint32_t>(room);
  while (state.avail_out != 0 && state.block_state != ISAL_BLOCK_FINISH) {
    if (state.avail_in == 0 && !in.inputEnded) {
      const size_t got = Read(in.input.data(), in.input.size());
      in.inputEnded = got == 0;
      state.next_in = in.input.data();
      state.avail_in = static_cast<std::uint32_t>(got);
    }
    const std::uint32_t roomBefore = state.avail_out, inputBefore = state.avail_in;
    if (isal_inflate(&state) < 0) zip_.Fail(part_ + " is damaged in the zip archive (its compressed data is damaged)");
    const bool moved = state.avail_out != roomBefore || state.avail_in != inputBefore;
    if (!moved && state.block_state != ISAL_BLOCK_FINISH) {
      if (in.inputEnded) zip_.Fail(part_ + " is damaged in the zip archive (its compressed data ends early)");
      // Input there, room for output, and nothing taken or given: never loop on it.
      if (state.avail_in != 0) zip_.Fail(part_ + " is damaged in the zip archive (its compressed data is damaged)");
    }
  }
  const size_t got = room - state.avail_out;
  in.crc = crc32_gzip_refl(in.crc, reinterpret_cast<const unsigned char*>(into), got);
  if (state.block_state == ISAL_BLOCK_FINISH && got < room) {
    in.ended = true;
    if (state.total_out != in.statedSize)
      zip_.Fail(part_ + " is damaged in the zip archive (its size is not the one the archive states)");
    if (in.crc != in.statedCrc) zip_.Fail(part_ + " is damaged in the zip archive (CRC error)");
  }
  return got;
}

ZipArchive::Stream::Stream(Stream&& other) noexcept
    : zip_(other.zip_),
      part_(std::move(other.part_)),
      file_(std::exchange(other.file_, nullptr)),
      inflater_(std::move(other.inflater_)),
      statedSize_(other.statedSize_),
      read_(other.read_) {}

ZipArchive::Stream::~Stream() {
  if (file_) zip_fclose(file_);
}

size_t ZipArchive::Stream::AppendTo(std::string& out) {
  constexpr size_t kPiece = 65536;
  const size_t at = out.size();
  out.resize(at + kPiece);
  size_t got = 0;
  try {
    got = Next(out.data() + at, kPiece);
  } catch (...) {
    out.resize(at);
    throw;
  }
  out.resize(at + got);
  read_ += got;
  if (read_ > kMaxPartBytes) zip_.Fail(part_ + " is larger than " + std::to_string(kMaxPartBytes >> 20) + " MB uncompressed");
  zip_.totalRead_ += got;
  if (zip_.totalRead_ > kMaxTotalBytes)
    zip_.Fail("the workbook is larger than " + std::to_string(kMaxTotalBytes >> 20) + " MB uncompressed");
  return got;
}

std::string ZipArchive::Read(std::string_view name) {
  Stream stream = Open(name);
  std::string bytes;
  // Room for the last piece as well, which is appended at its full length before it is cut.
  if (stream.statedSize_ != 0) bytes.reserve(static_cast<size_t>(stream.statedSize_) + 65536);
  while (stream.AppendTo(bytes) != 0) {
  }
  return bytes;
}

}  // namespace kestrel
