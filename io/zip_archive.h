// Read-only access to the parts of a zip archive (the package of a .xlsx file), with size limits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

struct zip;
struct zip_file;

namespace kestrel {

// Every failure throws WorkbookFileError with one line that begins with the file's name.
//   ZipArchive zip("road.xlsx");
//   if (zip.Has("xl/workbook.xml")) std::string xml = zip.Read("xl/workbook.xml");
class ZipArchive {
 public:
  // A part larger than this once uncompressed is refused (a zip bomb, or no workbook we can hold).
  static constexpr std::uint64_t kMaxPartBytes = 512ull << 20;
  // All parts read from one archive together.
  static constexpr std::uint64_t kMaxTotalBytes = 2048ull << 20;

  explicit ZipArchive(const std::string& path);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Part names without a leading "/", compared without regard to case as the package format asks.
  bool Has(std::string_view name) const;
  // The part's bytes; a missing part is a defect of the file.
  std::string Read(std::string_view name);

  // A part read a piece at a time, within the same limits as Read. One thread at a time reads
  // the archive.
  //   ZipArchive::Stream rows = zip.Open("xl/worksheets/sheet1.xml");
  //   std::string text;
  //   while (rows.AppendTo(text) != 0) ...
  class Stream {
   public:
    struct Inflater;
    Stream(Stream&& other) noexcept;
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    Stream& operator=(Stream&&) = delete;
    // Appends the part's next bytes (64 KB at most) to `out`: how many, 0 once the part is read.
    size_t AppendTo(std::string& out);

   private:
    friend class ZipArchive;
    Stream(ZipArchive& zip, std::string part, zip_file* file, std::uint64_t statedSize,
           std::unique_ptr<Inflater> inflater);
    // The next bytes of the part into `into`: how many, 0 once it is read.
    size_t Next(char* into, size_t room);
    // The next bytes libzip gives (inflated, or raw for the inflater): how many, 0 at the end.
    size_t Read(void* into, size_t room);
    ZipArchive& zip_;
    std::string part_;
    zip_file* file_;
    // A deflated part is read raw and inflated here (ISA-L's igzip, over twice zlib's speed), its
    // CRC and size checked at the end; other parts come inflated from libzip.
    std::unique_ptr<Inflater> inflater_;
    std::uint64_t statedSize_;  // 0 when the archive does not say
    std::uint64_t read_ = 0;
  };
  Stream Open(std::string_view name);

  const std::string& Path() const { return path_; }

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  zip* archive_ = nullptr;
  std::uint64_t totalRead_ = 0;
};

}  // namespace kestrel
