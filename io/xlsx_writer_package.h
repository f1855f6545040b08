// The package of a saved .xlsx: its parts, held until they are written into the zip archive together.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/xlsx_put_back.h"
#include "io/xlsx_writer_parts.h"

namespace kestrel {

// The worksheet part split around the content of its <sheetData>, with `dimension` as its used
// range: the head before the rows and the tail after them. Throws std::runtime_error when the
// part has no sheet data.
//   <dimension ref="A1"/>...<sheetData/><pageMargins/>  ->  <dimension ref="B2:H9"/>...<sheetData>, </sheetData><pageMargins/>
std::pair<std::string, std::string> SheetPartAround(std::string_view sheetXml, const std::string& dimension);

// The parts of the file being written, in the order they were first put; a streamed part's body
// is deflated already, and the zip archive takes it as it is.
//   WrittenPackage package;
//   package.Put("xl/workbook.xml", xml);
//   package.PutStreamed("xl/worksheets/sheet1.xml", head, rows, tail);
//   package.Write("road.xlsx");
class WrittenPackage : public PackageParts {
 public:
  WrittenPackage();
  ~WrittenPackage() override;
  WrittenPackage(const WrittenPackage&) = delete;
  WrittenPackage& operator=(const WrittenPackage&) = delete;

  bool Has(const std::string& part) override;
  std::string Read(const std::string& part) override;
  void Put(const std::string& part, std::string data) override;
  // The body must stay alive until Write.
  void PutStreamed(const std::string& part, std::string head, PartBody& body, std::string tail);

  // The zip archive at `path`, every part deflated. SIGINT and SIGTERM wait while the archive is
  // written: the handler of the save in progress removes the file being written, but cannot know
  // the temporary file the archive is first written to. Throws std::runtime_error with the
  // reason; nothing is left at `path` then.
  void Write(const std::string& path);

 private:
  class StreamedPart;

  std::vector<std::string> order_;
  std::map<std::string, std::string> parts_;
  std::map<std::string, std::unique_ptr<StreamedPart>> streamed_;
};

}  // namespace kestrel
