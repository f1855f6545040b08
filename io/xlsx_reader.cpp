// Reading .xlsx files: the package, the workbook part (sheets, their order, visibility, the active
// sheet, print titles), shared strings and styles, then every worksheet.
#include "io/xlsx_reader.h"

#include <future>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "io/workbook_file_error.h"
#include "util/unicode.h"
#include "io/xlsx_kept.h"
#include "io/xlsx_sheet.h"
#include "io/xlsx_xml.h"
#include "io/zip_archive.h"

namespace kestrel {

namespace {

struct SheetEntry {
  std::string name;
  std::string part;  // empty for sheets that are not worksheets (charts, dialogs, macros)
  bool hidden = false;
  bool veryHidden = false;
  int modelIndex = -1;
};

// The part a relationship of the given kind leads to; else the conventional name beside the
// workbook part, when the package has it; else nothing.
std::string PartOf(ZipArchive& zip, const std::vector<Relationship>& relationships, std::string_view kind,
                   const std::string& workbookPart, std::string_view conventional) {
  for (const auto& r : relationships)
    if (!r.external && TypeIs(r, kind)) return r.target;
  std::string guess = ResolveTarget(workbookPart, conventional);
  return zip.Has(guess) ? guess : "";
}

// "$1:$3" of a print-titles definition ("'数据'!$1:$3", "Sheet1!$A:$B,Sheet1!$1:$3"); empty when
// it names no rows.
std::string TitleRows(std::string_view definition) {
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i <= definition.size(); ++i) {
    if (i < definition.size() && definition[i] == '\'') quoted = !quoted;
    if (i < definition.size() && (quoted || definition[i] != ',')) continue;
    std::string_view item = definition.substr(start, i - start);
    start = i + 1;
    size_t bang = item.rfind('!');
    if (bang != std::string_view::npos) item = item.substr(bang + 1);
    std::string plain;
    for (char c : item)
      if (c != '$' && c != ' ') plain += c;
    size_t colon = plain.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == plain.size()) continue;
    if (plain.find_first_not_of("0123456789:") != std::string::npos) continue;
    if (colon > 7 || plain.size() - colon - 1 > 7) continue;
    int first = std::stoi(plain.substr(0, colon)), last = std::stoi(plain.substr(colon + 1));
    if (first < 1 || last < first || last > kMaxRows) continue;
    return "$" + std::to_string(first) + ":$" + std::to_string(last);
  }
  return "";
}

// What the reader keeps of the workbook part, so that the part itself is released early.
struct WorkbookPart {
  std::vector<SheetEntry> entries;
  std::vector<std::pair<double, std::string>> printTitles;  // localSheetId, the definition
  std::optional<double> activeTab;
  std::string pivotCaches;  // the element's XML, kept for the save
};

WorkbookPart ReadWorkbookPart(ZipArchive& zip, const std::string& name,
                              const std::vector<Relationship>& relationships) {
  auto defect = [&](const std::string& what) { return WorkbookFileError(WorkbookFileFault::Defect, zip.Path(), what); };
  XmlPart workbook(zip, name);
  WorkbookPart result;
  for (pugi::xml_node sheet : Children(Child(workbook.Root(), "sheets"), "sheet")) {
    SheetEntry entry;
    entry.name = sheet.attribute("name").value();
    if (entry.name.empty()) throw defect("a sheet has no name");
    std::string_view state = sheet.attribute("state").value();
    entry.hidden = state == "hidden" || state == "veryHidden";
    entry.veryHidden = state == "veryHidden";
    std::string_view id = PrefixedAttribute(sheet, "id").value();
    const Relationship* target = nullptr;
    for (const auto& r : relationships)
      if (r.id == id && !r.external) target = &r;
    if (!target) throw defect("sheet " + MessageText(entry.name) + " has no part in the package");
    if (TypeIs(*target, "worksheet")) {
      if (!zip.Has(target->target))
        throw defect("sheet " + MessageText(entry.name) + " (" + MessageText(target->target) + ") is missing");
      entry.part = target->target;
    }
    result.entries.push_back(std::move(entry));
  }
  for (pugi::xml_node name : Children(Child(workbook.Root(), "definedNames"), "definedName")) {
    if (std::string_view(name.attribute("name").value()) != "_xlnm.Print_Titles") continue;
    if (auto local = XmlNumber(name.attribute("localSheetId"))) result.printTitles.emplace_back(*local, name.child_value());
  }
  result.activeTab = XmlNumber(Child(Child(workbook.Root(), "bookViews"), "workbookView").attribute("activeTab"));
  if (pugi::xml_node caches = Child(workbook.Root(), "pivotCaches")) {
    std::ostringstream xml;
    caches.print(xml, "", pugi::format_raw, pugi::encoding_utf8);
    result.pivotCaches = xml.str();
  }
  return result;
}

// The entry the workbook shows: the active tab counts every sheet of the workbook; a tab that
// is not a worksheet leaves the first visible worksheet active. Null for a book without one.
const SheetEntry* ActiveEntry(const std::vector<SheetEntry>& entries, const std::optional<double>& tab) {
  if (tab && *tab >= 0 && *tab < static_cast<double>(entries.size()) && !entries[static_cast<size_t>(*tab)].part.empty())
    return &entries[static_cast<size_t>(*tab)];
  for (const auto& entry : entries)
    if (!entry.part.empty() && !entry.hidden) return &entry;
  return nullptr;
}

// How the worksheets' parts are read: each as it is inflated, holding one run of its rows at a
// time, or each whole (the first one inflated on a helper thread while the shared strings and
// styles are read).
enum class SheetReading { Streamed, Whole };

std::unique_ptr<MemoryWorkbook> ReadXlsxAs(SheetReading reading, const std::string& path,
                                           std::vector<std::string>* warnings, const std::string& onlySheet) {
  auto source = std::make_unique<ZipArchive>(path);
  ZipArchive& zip = *source;
  auto defect = [&](const std::string& what) { return WorkbookFileError(WorkbookFileFault::Defect, path, what); };

  std::string workbookPart = "xl/workbook.xml";
  const std::vector<Relationship> packageRelationships = ReadRelationships(zip, "");
  for (const auto& r : packageRelationships)
    if (!r.external && TypeIs(r, "officeDocument")) workbookPart = r.target;
  if (!zip.Has(workbookPart)) throw defect(workbookPart + " is missing (not a spreadsheet workbook)");
  const std::vector<Relationship> relationships = ReadRelationships(zip, workbookPart);
  // Each part is released once read: the workbook part before the shared strings load.
  WorkbookPart workbook = ReadWorkbookPart(zip, workbookPart, relationships);
  std::vector<SheetEntry>& entries = workbook.entries;
  const SheetEntry* shown = ActiveEntry(entries, workbook.activeTab);
  // The one sheet to read, when only one is: by its name, or the one the workbook shows.
  const std::string only = onlySheet == kActiveSheet ? (shown ? shown->name : std::string()) : onlySheet;

  // The first worksheet's part is read and inflated on a helper thread, through an archive of
  // its own, while this one reads the shared strings and styles.
  std::future<std::string> firstSheet;
  const SheetEntry* first = nullptr;
  for (const auto& entry : entries)
    if (!entry.part.empty() && (only.empty() || entry.name == only)) {
      first = &entry;
      break;
    }
  if (first && reading == SheetReading::Whole) {
    try {
      firstSheet = std::async(std::launch::async, [&path, part = first->part] {
        ZipArchive own(path);
        return RepairUtf8(own.Read(part));
      });
    } catch (const std::system_error&) {
      // No second thread: the part is read in its turn.
    }
  }

  XlsxShared shared;
  if (std::string part = PartOf(zip, relationships, "sharedStrings", workbookPart, "sharedStrings.xml"); !part.empty()) {
    SharedStrings strings = ReadSharedStrings(zip, part);
    shared.strings = std::move(strings.texts);
    shared.superscripts = std::move(strings.superscripts);
  }
  XlsxPalette palette;
  // The theme only colours fonts: a package that lost it still reads, with Office's colours.
  if (std::string part = PartOf(zip, relationships, "theme", workbookPart, "theme/theme1.xml");
      !part.empty() && zip.Has(part)) {
    XmlPart theme(zip, part);
    palette.ReadTheme(theme.Root());
  }
  std::string differentialFormats;  // kept for the conditional formats the model does not hold
  if (std::string part = PartOf(zip, relationships, "styles", workbookPart, "styles.xml"); !part.empty()) {
    XmlPart styles(zip, part);
    if (pugi::xml_node dxfs = Child(styles.Root(), "dxfs"); dxfs.first_child()) {
      std::ostringstream xml;
      dxfs.print(xml, "", pugi::format_raw, pugi::encoding_utf8);
      differentialFormats = xml.str();
    }
    palette.ReadIndexed(Child(styles.Root(), "colors"));
    shared.styles = XlsxStyles(styles.Root(), palette);
  }

  auto book = std::make_unique<XlsxWorkbook>(std::move(source));
  // Kept for the save: what the model does not hold.
  for (const auto& r : relationships)
    if (TypeIs(r, "pivotCacheDefinition") || TypeIs(r, "customXml") || TypeIs(r, "vbaProject"))
      book->workbookRelationships.push_back(r);
  book->pivotCaches = std::move(workbook.pivotCaches);
  book->differentialFormats = std::move(differentialFormats);
  for (const auto& r : packageRelationships)
    if (TypeIs(r, "custom-properties")) book->packageRelationships.push_back(r);
  int count = 0;
  for (auto& entry : entries) {
    if (entry.part.empty()) continue;
    if (count == 0) {
      book->Sheet(0).Rename(entry.name);
    } else {
      try {
        book->AppendSheet(entry.name);
      } catch (const std::invalid_argument&) {
        throw defect("two sheets are named " + MessageText(entry.name));
      }
    }
    entry.modelIndex = count++;
    book->Sheet(entry.modelIndex).SetHidden(entry.hidden);
  }
  if (count == 0) throw defect("the workbook holds no worksheet");

  for (const auto& [local, definition] : workbook.printTitles) {
    if (local < 0 || local >= static_cast<double>(entries.size())) continue;
    const SheetEntry& entry = entries[static_cast<size_t>(local)];
    std::string rows = TitleRows(definition);
    if (entry.modelIndex < 0 || rows.empty()) continue;
    PageSetupChange change;
    change.printTitleRows = rows;
    book->Sheet(entry.modelIndex).SetPageSetup(change);
  }

  book->Activate(shown ? shown->modelIndex : 0);

  for (const auto& entry : entries) {
    if (entry.modelIndex < 0 || (!only.empty() && entry.name != only)) continue;
    MemoryWorksheet& sheet = book->Sheet(entry.modelIndex);
    KeptSheet kept;
    if (reading == SheetReading::Streamed)
      ReadWorksheetStreamed(zip, entry.part, entry.name, shared, sheet, warnings, &kept);
    else if (&entry == first && firstSheet.valid())
      ReadWorksheet(zip, entry.part, firstSheet.get(), entry.name, shared, sheet, warnings, &kept);
    else
      ReadWorksheet(zip, entry.part, entry.name, shared, sheet, warnings, &kept);
    kept.part = entry.part;
    kept.relationships = ReadRelationships(zip, entry.part);
    kept.veryHidden = entry.veryHidden;
    kept.cellMovesAtLoad = sheet.CellMoves();
    book->sheets.emplace(&sheet, std::move(kept));
  }
  return book;
}

}  // namespace

std::unique_ptr<MemoryWorkbook> ReadXlsx(const std::string& path, std::vector<std::string>* warnings,
                                         const std::string& onlySheet) {
  const size_t warned = warnings ? warnings->size() : 0;
  try {
    return ReadXlsxAs(SheetReading::Streamed, path, warnings, onlySheet);
  } catch (const SheetNeedsWholeReading&) {
    // A part that only its whole text reads right (or whose defect that reading names): the
    // workbook is read again, every sheet whole.
    if (warnings) warnings->resize(warned);
    return ReadXlsxAs(SheetReading::Whole, path, warnings, onlySheet);
  }
}

}  // namespace kestrel
