// WriteXlsx: the model's workbook as a .xlsx file, every part written by Kestrel into one zip archive.
#include "io/xlsx_writer.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <vector>

#include "io/workbook_file_error.h"
#include "io/xlsx_kept.h"
#include "io/xlsx_put_back.h"
#include "io/xlsx_writer_notes.h"
#include "io/xlsx_writer_package.h"
#include "io/xlsx_writer_parts.h"
#include "io/xlsx_writer_sheet.h"
#include "io/xlsx_writer_styles.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kDocumentRelationship = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kSpreadsheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

// The file cannot show a hidden sheet as the active one: the active sheet of the model, else
// the first visible sheet; when every sheet is hidden the active one is shown after all.
int ShownActiveSheet(MemoryWorkbook& book) {
  if (!book.Sheet(book.ActiveIndex()).Hidden()) return book.ActiveIndex();
  for (int i = 0; i < book.SheetCount(); ++i)
    if (!book.Sheet(i).Hidden()) return i;
  return book.ActiveIndex();
}

// Why the file cannot hold a sheet of this name; "" when it can.
std::string SheetNameFault(const std::string& name, const std::vector<std::string>& before) {
  if (name.empty()) return "a sheet needs a name";
  if (CodePointCount(name) > 31) return "longer than 31 characters";
  if (name.find_first_of("[]:*?/\\") != std::string::npos) return "holds one of the characters [ ] : * ? / \\";
  if (name.front() == '\'' || name.back() == '\'') return "begins or ends with an apostrophe";
  for (const std::string& other : before)
    if (AsciiLower(other) == AsciiLower(name)) return "another sheet has the same name";
  return "";
}

std::string Relationship(const std::string& id, const std::string& type, const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kDocumentRelationship + type + "\" Target=\"" + target + "\"/>";
}

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"/" + part + "\" ContentType=\"" + type + "\"/>";
}

std::string NowW3c() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buffer;
}

// What the workbook part and the package's lists need of each sheet written.
struct SheetEntry {
  std::string name;
  bool hidden = false;
  bool notes = false;
  std::string printTitleRows;
};

class BookWriter {
 public:
  BookWriter(MemoryWorkbook& book, bool macroEnabled) : book_(book), macroEnabled_(macroEnabled) {}

  void Write(const std::string& path) {
    package_.Put("[Content_Types].xml", "");  // the first entries of the archive, filled in last
    package_.Put("_rels/.rels", "");
    XlsxWorkbook* read = dynamic_cast<XlsxWorkbook*>(&book_);
    if (read) putBack_.emplace(*read, package_, macroEnabled_);
    const int active = ShownActiveSheet(book_);
    for (int i = 0; i < book_.SheetCount(); ++i) WriteSheetParts(i, i == active);
    package_.Put("xl/styles.xml", styles_.Part());
    if (!strings_.Empty()) {
      strings_.Entries().Finish();
      package_.PutStreamed("xl/sharedStrings.xml", strings_.Head(), strings_.Entries(),
                           std::string(SharedStringTable::kTail));
    }
    package_.Put("xl/workbook.xml", WorkbookPart(active));
    package_.Put("xl/_rels/workbook.xml.rels", WorkbookRelationships());
    package_.Put("docProps/app.xml", std::string(kXmlHead) +
                                         "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                         "extended-properties\"><Application>Kestrel</Application></Properties>");
    const std::string now = NowW3c();
    package_.Put("docProps/core.xml",
                 std::string(kXmlHead) +
                     "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/"
                     "core-properties\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
                     "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dcterms:created "
                     "xsi:type=\"dcterms:W3CDTF\">" + now + "</dcterms:created><dcterms:modified "
                     "xsi:type=\"dcterms:W3CDTF\">" + now + "</dcterms:modified></cp:coreProperties>");
    package_.Put("_rels/.rels", std::string(kXmlHead) + "<Relationships xmlns=\"" + kRelationships + "\">" +
                                    Relationship("rId1", "officeDocument", "xl/workbook.xml") +
                                    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
                                    "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>" +
                                    Relationship("rId3", "extended-properties", "docProps/app.xml") +
                                    "</Relationships>");
    package_.Put("[Content_Types].xml", ContentTypes());
    if (putBack_) putBack_->Finish();
    package_.Write(path);
  }

 private:
  void WriteSheetParts(int index, bool shown) {
    MemoryWorksheet& sheet = book_.Sheet(index);
    SheetEntry entry{sheet.SheetName(), sheet.Hidden() && !shown};
    std::vector<std::string> before;
    for (const SheetEntry& e : sheets_) before.push_back(e.name);
    if (std::string fault = SheetNameFault(entry.name, before); !fault.empty())
      throw std::runtime_error("sheet name \"" + entry.name + "\": " + fault);
    const std::string number = std::to_string(index + 1);
    const std::string part = "xl/worksheets/sheet" + number + ".xml";
    try {
      rows_.push_back(WriteSheet(sheet, shown, styles_, strings_, "rId1"));
    } catch (const std::runtime_error& e) {
      throw std::runtime_error("sheet \"" + entry.name + "\", " + e.what());
    }
    WrittenSheet& written = rows_.back();
    entry.notes = !written.notes.empty();
    entry.printTitleRows = written.printTitleRows;
    if (entry.notes) {
      package_.Put("xl/comments" + number + ".xml", NotesPart(written.notes));
      package_.Put("xl/drawings/vmlDrawing" + number + ".vml", NoteBoxesPart(written.notes, index + 1));
      package_.Put("xl/worksheets/_rels/sheet" + number + ".xml.rels",
                   std::string(kXmlHead) + "<Relationships xmlns=\"" + kRelationships + "\">" +
                       Relationship("rId1", "vmlDrawing", "../drawings/vmlDrawing" + number + ".vml") +
                       Relationship("rId2", "comments", "../comments" + number + ".xml") + "</Relationships>");
    }
    std::string xml = std::move(written.xml);
    if (putBack_) xml = putBack_->Sheet(index, sheet, xml);
    auto [head, tail] = SheetPartAround(xml, written.dimension);
    package_.PutStreamed(part, std::move(head), *written.rows, std::move(tail));
    sheets_.push_back(std::move(entry));
  }

  std::string WorkbookPart(int active) const {
    std::string xml = std::string(kXmlHead) +
                      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                      "<workbookPr/><bookViews><workbookView activeTab=\"" + std::to_string(active) +
                      "\"/></bookViews><sheets>";
    for (size_t i = 0; i < sheets_.size(); ++i) {
      xml += "<sheet name=\"" + XmlAttributeText(sheets_[i].name) + "\" sheetId=\"" + std::to_string(i + 1) + "\"";
      if (sheets_[i].hidden) xml += " state=\"hidden\"";
      xml += " r:id=\"rId" + std::to_string(i + 1) + "\"/>";
    }
    xml += "</sheets>";
    std::string names;
    for (size_t i = 0; i < sheets_.size(); ++i) {
      if (sheets_[i].printTitleRows.empty()) continue;
      std::string quoted;
      for (char c : sheets_[i].name) quoted += c == '\'' ? std::string("''") : std::string(1, c);
      names += "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"" + std::to_string(i) + "\">" +
               XmlAttributeText("'" + quoted + "'!" + sheets_[i].printTitleRows) + "</definedName>";
    }
    if (!names.empty()) xml += "<definedNames>" + names + "</definedNames>";
    return xml + "<calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>";
  }

  std::string WorkbookRelationships() const {
    std::string xml = std::string(kXmlHead) + "<Relationships xmlns=\"" + kRelationships + "\">";
    const size_t count = sheets_.size();
    for (size_t i = 0; i < count; ++i)
      xml += Relationship("rId" + std::to_string(i + 1), "worksheet", "worksheets/sheet" + std::to_string(i + 1) + ".xml");
    xml += Relationship("rId" + std::to_string(count + 1), "styles", "styles.xml");
    if (!strings_.Empty()) xml += Relationship("rId" + std::to_string(count + 2), "sharedStrings", "sharedStrings.xml");
    return xml + "</Relationships>";
  }

  std::string ContentTypes() const {
    const std::string ml = kSpreadsheetType;
    std::string xml = std::string(kXmlHead) +
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    bool notes = false;
    for (const SheetEntry& e : sheets_) notes = notes || e.notes;
    if (notes) xml += "<Default Extension=\"vml\" ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>";
    xml += Override("xl/workbook.xml", std::string(macroEnabled_ ? kMacroWorkbookContentType : kWorkbookContentType));
    for (size_t i = 0; i < sheets_.size(); ++i) {
      const std::string number = std::to_string(i + 1);
      xml += Override("xl/worksheets/sheet" + number + ".xml", ml + "worksheet+xml");
      if (sheets_[i].notes) xml += Override("xl/comments" + number + ".xml", ml + "comments+xml");
    }
    xml += Override("xl/styles.xml", ml + "styles+xml");
    if (!strings_.Empty()) xml += Override("xl/sharedStrings.xml", ml + "sharedStrings+xml");
    xml += Override("docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml");
    xml += Override("docProps/app.xml", "application/vnd.openxmlformats-officedocument.extended-properties+xml");
    return xml + "</Types>";
  }

  MemoryWorkbook& book_;
  bool macroEnabled_;
  WrittenPackage package_;
  std::optional<PutBack> putBack_;
  WriterStyles styles_;
  SharedStringTable strings_;
  std::vector<WrittenSheet> rows_;  // each sheet's rows stay until the archive is written
  std::vector<SheetEntry> sheets_;
};

}  // namespace

void WriteXlsx(MemoryWorkbook& book, const std::string& path, bool macroEnabled) {
  try {
    BookWriter(book, macroEnabled).Write(path);
  } catch (const std::bad_alloc&) {
    throw WorkbookFileError(WorkbookFileFault::WorkbookNotWritten, path, "out of memory");
  } catch (const std::runtime_error& e) {
    throw WorkbookFileError(WorkbookFileFault::WorkbookNotWritten, path, e.what());
  }
}

}  // namespace kestrel
