// Reading what a worksheet part holds beside the model, and saying what a save cannot keep.
#include "io/xlsx_kept.h"

#include <sstream>

#include "util/unicode.h"

namespace kestrel {

namespace {

struct KeptKind {
  std::string_view element;
  std::string_view name;  // for messages; empty for elements that never go missing
  bool placedByCell;
};

constexpr KeptKind kKeptKinds[] = {
    {"sheetViews", "", false},
    {"sheetProtection", "", false},
    {"protectedRanges", "protected ranges", true},
    {"autoFilter", "autofilter", true},
    {"sortState", "sort state", true},
    {"conditionalFormatting", "conditional formats", true},
    {"dataValidations", "data validation", true},
    {"hyperlinks", "hyperlinks", true},
    {"rowBreaks", "page breaks", true},
    {"colBreaks", "page breaks", true},
    {"ignoredErrors", "ignored-error marks", true},
    {"drawing", "", false},
    {"picture", "", false},
    {"tableParts", "tables", true},
    {"extLst", "extensions", true},
};

const KeptKind* KindOf(std::string_view element) {
  for (const KeptKind& kind : kKeptKinds)
    if (kind.element == element) return &kind;
  return nullptr;
}

}  // namespace

KeptSheet KeepSheetElements(pugi::xml_node worksheet) {
  KeptSheet kept;
  for (pugi::xml_attribute a : worksheet.attributes()) {
    const std::string_view name = a.name();
    if (name.substr(0, 6) == "xmlns:") kept.namespaces.emplace_back(a.name(), a.value());
  }
  for (pugi::xml_node child : worksheet.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view local = LocalName(child);
    if (local == "pageSetup") kept.printerSettings = PrefixedAttribute(child, "id").value();
    if (local == "sheetPr") {
      for (pugi::xml_node c : child.children()) {
        if (LocalName(c) != "tabColor") continue;
        std::ostringstream xml;
        c.print(xml, "", pugi::format_raw, pugi::encoding_utf8);
        kept.tabColor = xml.str();
      }
    }
    if (!KindOf(local)) continue;
    std::ostringstream xml;
    child.print(xml, "", pugi::format_raw, pugi::encoding_utf8);
    kept.elements.emplace_back(std::string(local), xml.str());
  }
  return kept;
}

bool PlacedByCell(std::string_view element) {
  const KeptKind* kind = KindOf(element);
  return kind && kind->placedByCell;
}

std::vector<std::string> UnkeptOnSave(MemoryWorkbook& book) {
  std::vector<std::string> lines;
  auto* read = dynamic_cast<XlsxWorkbook*>(&book);
  if (!read) return lines;
  for (int i = 0; i < book.SheetCount(); ++i) {
    const MemoryWorksheet& sheet = book.Sheet(i);
    auto found = read->sheets.find(&sheet);
    if (found == read->sheets.end() || sheet.CellMoves() == found->second.cellMovesAtLoad) continue;
    std::string names;
    for (const auto& [element, xml] : found->second.elements) {
      if (!PlacedByCell(element)) continue;
      const std::string name(KindOf(element)->name);
      if (names.find(name) != std::string::npos) continue;
      names += (names.empty() ? "" : ", ") + name;
    }
    if (!names.empty())
      lines.push_back("sheet " + MessageText(sheet.SheetName()) + ": its rows or columns moved, so its " + names +
                      " were not kept");
  }
  return lines;
}

bool IsMacroWorkbookFile(const std::string& path) {
  return path.size() >= 5 && AsciiLower(path.substr(path.size() - 5)) == ".xlsm";
}

bool HoldsMacros(MemoryWorkbook& book) {
  auto* read = dynamic_cast<XlsxWorkbook*>(&book);
  if (!read) return false;
  for (const Relationship& r : read->workbookRelationships)
    if (TypeIs(r, "vbaProject") && !r.external && read->Source().Has(r.target)) return true;
  return false;
}

}  // namespace kestrel
