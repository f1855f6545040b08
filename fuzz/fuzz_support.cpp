// The scratch input file and the small workbook package the fuzz targets read.
#include "fuzz_support.h"

#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "io/workbook_file.h"
#include "io/xlsx_reader.h"

namespace kestrel::fuzz {

namespace {

std::map<std::string, std::string>& ScratchFiles() {
  static auto* files = new std::map<std::string, std::string>();
  return *files;
}

void RemoveScratchFiles() {
  for (const auto& [extension, path] : ScratchFiles()) std::remove(path.c_str());
}

std::string ScratchPath(std::string_view extension) {
  auto& files = ScratchFiles();
  auto found = files.find(std::string(extension));
  if (found != files.end()) return found->second;
  if (files.empty()) std::atexit(RemoveScratchFiles);
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("kestrel-fuzz-" + std::to_string(getpid()) + std::string(extension)))
                               .string();
  files.emplace(std::string(extension), path);
  return path;
}

const char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Default Extension="vml" ContentType="application/vnd.openxmlformats-officedocument.vmlDrawing"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override PartName="/xl/comments1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml"/></Types>)";

const char kRootRels[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";

const char kWorkbook[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><bookViews><workbookView activeTab="1"/></bookViews><sheets><sheet name="数据" sheetId="1" r:id="rId1"/><sheet name="Hidden" sheetId="2" state="hidden" r:id="rId4"/></sheets><definedNames><definedName name="_xlnm.Print_Titles" localSheetId="0">'数据'!$1:$2</definedName></definedNames></workbook>)";

const char kWorkbookRels[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>)";

const char kSheet[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1:E6"/><sheetViews><sheetView workbookViewId="0"/></sheetViews><cols><col min="1" max="2" width="12.7109375" customWidth="1"/><col min="5" max="5" width="9.140625" style="1"/></cols><sheetData><row r="1" ht="20.25" customHeight="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s" s="2"><v>1</v></c><c r="C1" t="inlineStr"><is><t>inline _x000D_ text</t></is></c></row><row r="2"><c r="A2"><v>12220.5</v></c><c r="B2" s="1"><v>-3.25E-2</v></c><c r="C2" t="b"><v>1</v></c><c r="D2" t="e"><v>#DIV/0!</v></c></row><row r="3"><c r="A3"><f>A2+10</f><v>12230.5</v></c><c r="B3"><f t="shared" ref="B3:B5" si="0">B2*2</f><v>-0.065</v></c><c r="C3" t="str"><f>"K"&amp;A3</f><v>K12230.5</v></c></row><row r="4"><c r="B4"><f t="shared" si="0"/><v>-0.13</v></c></row><row r="5" s="1" customFormat="1"><c r="B5"><f t="shared" si="0"/><v>-0.26</v></c><c r="E5" t="s"><v>2</v></c></row><row r="6"><c r="A6"><f>SUM(A2:A3)</f><v>24451</v></c></row></sheetData><mergeCells count="1"><mergeCell ref="D5:E6"/></mergeCells><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/><pageSetup orientation="landscape"/><legacyDrawing r:id="rId2"/></worksheet>)";

const char kSheetRels[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments" Target="../comments1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/vmlDrawing" Target="../drawings/vmlDrawing1.vml"/></Relationships>)";

const char kStrings[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3"><si><t>桩号</t></si><si><r><t>m</t></r><r><rPr><vertAlign val="superscript"/></rPr><t>2</t></r><rPh sb="0" eb="1"><t>x</t></rPh></si><si><t xml:space="preserve"> K12+220 </t></si></sst>)";

const char kStyles[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><numFmts count="1"><numFmt numFmtId="164" formatCode="&quot;K&quot;0+000.000"/></numFmts><fonts count="2"><font><sz val="11"/><color theme="1"/><name val="Calibri"/></font><font><b/><i/><u/><sz val="14"/><color rgb="FFFF0000"/><name val="宋体"/></font></fonts><fills count="1"><fill><patternFill patternType="none"/></fill></fills><borders count="2"><border><left/><right/><top/><bottom/></border><border><left style="thin"><color indexed="64"/></left><right style="medium"/><top style="dashed"/><bottom style="double"/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="164" fontId="1" fillId="0" borderId="1" xfId="0" applyNumberFormat="1"><alignment horizontal="center" vertical="top" wrapText="1"/></xf><xf numFmtId="2" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs><colors><indexedColors><rgbColor rgb="FF000000"/></indexedColors></colors></styleSheet>)";

const char kComments[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<comments xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><authors><author>Kestrel</author></authors><commentList><comment ref="B2" authorId="0"><text><r><rPr><b/></rPr><t>Kestrel:</t></r><r><t xml:space="preserve">
level checked</t></r></text></comment><comment ref="E5" authorId="0"><text><t>plain</t></text></comment></commentList></comments>)";

const char kVml[] =
    R"(<xml xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office" xmlns:x="urn:schemas-microsoft-com:office:excel"><o:shapelayout v:ext="edit"><o:idmap v:ext="edit" data="1"/></o:shapelayout><v:shape id="_x0000_s1025" type="#_x0000_t202" style="position:absolute;width:108pt;height:59.25pt;z-index:1;visibility:visible"><x:ClientData ObjectType="Note"><x:MoveWithCells/><x:Row>1</x:Row><x:Column>1</x:Column><x:Visible/></x:ClientData></v:shape><v:shape style="width:144px;height:1.5in;visibility:hidden"><x:ClientData ObjectType="Note"><x:Row>4</x:Row><x:Column>4</x:Column></x:ClientData></v:shape></xml>)";

const std::map<std::string, std::string>& Parts() {
  static const auto* parts = new std::map<std::string, std::string>{
      {"[Content_Types].xml", kContentTypes},
      {"_rels/.rels", kRootRels},
      {"xl/workbook.xml", kWorkbook},
      {"xl/_rels/workbook.xml.rels", kWorkbookRels},
      {"xl/worksheets/sheet1.xml", kSheet},
      {"xl/worksheets/_rels/sheet1.xml.rels", kSheetRels},
      {"xl/sharedStrings.xml", kStrings},
      {"xl/styles.xml", kStyles},
      {"xl/comments1.xml", kComments},
      {"xl/drawings/vmlDrawing1.vml", kVml},
  };
  return *parts;
}

void WritePackage(const std::string& path, const PartBytes& replaced) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("cannot create the scratch package");
  for (const auto& [name, text] : Parts()) {
    std::string_view content = text;
    for (const auto& [part, bytes] : replaced)
      if (part == name) content = bytes;
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("cannot add a part to the scratch package");
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    throw std::runtime_error("cannot write the scratch package");
  }
}

}  // namespace

std::string InputFile(std::string_view bytes, std::string_view extension) {
  const std::string path = ScratchPath(extension);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write the scratch input " + path);
  return path;
}

void ReadPackageWithParts(const PartBytes& parts) {
  const std::string path = ScratchPath(".xlsx");
  WritePackage(path, parts);
  try {
    ReadXlsx(path);
  } catch (const WorkbookFileError&) {
  }
}

}  // namespace kestrel::fuzz
