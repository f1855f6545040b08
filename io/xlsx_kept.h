// What a .xlsx file holds beside the model (charts, images, tables, hyperlinks, validation, ...), kept to be saved again.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "workbook/memory_workbook.h"
#include "io/xlsx_xml.h"
#include "io/zip_archive.h"

namespace kestrel {

// One worksheet's elements that the model does not hold, as the file wrote them.
struct KeptSheet {
  std::string part;  // the sheet's part in the file read
  // The xmlns declarations of the part's root, which the kept elements' prefixes may need.
  std::vector<std::pair<std::string, std::string>> namespaces;
  // Local name and the element's XML, in the file's order: panes and views, protection,
  // autofilter, conditional formats, validation, hyperlinks, drawing, tables, extensions.
  std::vector<std::pair<std::string, std::string>> elements;
  std::string printerSettings;  // the relationship id <pageSetup> names, if any
  std::string tabColor;         // the <tabColor> of the part's <sheetPr>, as XML, if any
  std::vector<Relationship> relationships;
  bool veryHidden = false;
  std::uint64_t cellMovesAtLoad = 0;  // MemoryWorksheet::CellMoves when read
};

// The kept elements of a worksheet part's root.
KeptSheet KeepSheetElements(pugi::xml_node worksheet);

// Whether an element names cells or ranges (hyperlinks, validation, tables): it no longer fits a
// sheet whose rows or columns moved, so it is not written back there.
bool PlacedByCell(std::string_view element);

// A workbook read from a .xlsx file, with what the file holds that the model does not. The file
// stays open, so that the parts a save carries over come from the file as it was read.
class XlsxWorkbook : public MemoryWorkbook {
 public:
  explicit XlsxWorkbook(std::unique_ptr<ZipArchive> source) : source_(std::move(source)) {}

  ZipArchive& Source() { return *source_; }
  // By the model's sheet; sheets added since have none.
  std::map<const MemoryWorksheet*, KeptSheet> sheets;
  // Of the workbook part: pivot caches and custom XML (with `pivotCaches`, the <pivotCaches>
  // element naming them), and of the package: custom properties.
  std::vector<Relationship> workbookRelationships;
  std::string pivotCaches;
  std::vector<Relationship> packageRelationships;
  // The styles part's <dxfs>: the formats that conditional formats name by number.
  std::string differentialFormats;

 private:
  std::unique_ptr<ZipArchive> source_;
};

// One line for each sheet whose rows or columns moved and whose file held elements placed by
// cell, naming what a save of `book` leaves out ("sheet 数据: its rows or columns moved, so its
// hyperlinks, data validation were not kept"); none for a workbook not read from a .xlsx file.
std::vector<std::string> UnkeptOnSave(MemoryWorkbook& book);

// The workbook part's content types: of a workbook, and of a macro-enabled one (.xlsm).
inline constexpr std::string_view kWorkbookContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
inline constexpr std::string_view kMacroWorkbookContentType = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
// Whether the file name ends in .xlsm (any case): a macro-enabled workbook.
bool IsMacroWorkbookFile(const std::string& path);
// Whether `book` was read from a file that holds a VBA project (macros).
bool HoldsMacros(MemoryWorkbook& book);

}  // namespace kestrel
