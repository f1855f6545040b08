// Carrying the parts and elements a .xlsx held beside the model into the package a save wrote.
#include "io/xlsx_put_back.h"

#include <functional>
#include <optional>
#include <sstream>

#include "util/unicode.h"

namespace kestrel {

namespace {

constexpr const char* kRelationshipsNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kPackageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";

// The order of a worksheet's children the file format fixes.
constexpr std::string_view kSheetOrder[] = {
    "sheetPr",        "dimension",     "sheetViews",      "sheetFormatPr",   "cols",
    "sheetData",      "sheetCalcPr",   "sheetProtection", "protectedRanges", "scenarios",
    "autoFilter",     "sortState",     "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr",     "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions",
    "pageMargins",    "pageSetup",     "headerFooter",    "rowBreaks",       "colBreaks",
    "customProperties", "cellWatches", "ignoredErrors",   "smartTags",       "drawing",
    "legacyDrawing",  "legacyDrawingHF", "drawingHF",     "picture",         "oleObjects",
    "controls",       "webPublishItems", "tableParts",    "extLst"};

// The workbook part's children that follow <pivotCaches>.
constexpr std::string_view kAfterPivotCaches[] = {"smartTagPr", "smartTagTypes", "webPublishing", "fileRecoveryPr",
                                                  "webPublishObjects", "extLst"};

std::optional<size_t> SheetRank(std::string_view element) {
  for (size_t i = 0; i < std::size(kSheetOrder); ++i)
    if (kSheetOrder[i] == element) return i;
  return std::nullopt;
}


std::string RelsName(const std::string& part) {
  if (part.empty()) return "_rels/.rels";
  const size_t slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  return folder + "_rels/" + part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
}

std::string Extension(const std::string& part) {
  const size_t dot = part.rfind('.'), slash = part.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return AsciiLower(part.substr(dot + 1));
}

// "xl/media/image1.png", 2 -> "xl/media/image1-2.png"
std::string NumberedName(const std::string& part, int n) {
  const std::string extension = Extension(part);
  const std::string stem = part.substr(0, part.size() - (extension.empty() ? 0 : extension.size() + 1));
  return stem + "-" + std::to_string(n) + (extension.empty() ? "" : "." + part.substr(part.size() - extension.size()));
}

std::string Xml(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

pugi::xml_document Parsed(const std::string& part, const std::string& text) {
  pugi::xml_document doc;
  if (!doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_declaration, pugi::encoding_utf8))
    throw std::runtime_error("the saved " + part + " is not XML");
  return doc;
}

// The name of the attribute that holds a relationship id on the root's elements ("r:id").
std::string RelationshipIdName(pugi::xml_node root) {
  for (pugi::xml_attribute a : root.attributes()) {
    const std::string_view name = a.name();
    if (name.substr(0, 6) == "xmlns:" && std::string_view(a.value()) == kRelationshipsNamespace)
      return std::string(name.substr(6)) + ":id";
  }
  root.append_attribute("xmlns:r") = kRelationshipsNamespace;
  return "r:id";
}

// Gives every relationship id in the element (a prefixed attribute "id" naming one) its new id;
// false when one of them has none.
bool Renumber(pugi::xml_node element, const std::function<std::optional<std::string>(const std::string&)>& newId) {
  for (pugi::xml_attribute a : element.attributes()) {
    const std::string_view name = a.name();
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos || name.substr(colon + 1) != "id" || name.substr(0, colon) == "xmlns") continue;
    const std::optional<std::string> id = newId(a.value());
    if (!id) continue;  // not a relationship's id (a GUID of an extension)
    if (id->empty()) return false;
    a.set_value(id->c_str());
  }
  for (pugi::xml_node child : element.children())
    if (child.type() == pugi::node_element && !Renumber(child, newId)) return false;
  return true;
}

// The kept views with what the save decided: which sheet is selected, and the selection where
// no pane has selections of its own.
void MergeViews(pugi::xml_node kept, pugi::xml_node saved) {
  pugi::xml_node keptView = Child(kept, "sheetView"), savedView = Child(saved, "sheetView");
  if (!keptView || !savedView) return;
  keptView.remove_attribute("tabSelected");
  if (pugi::xml_attribute selected = savedView.attribute("tabSelected")) keptView.append_copy(selected);
  if (Child(keptView, "pane")) return;
  while (pugi::xml_node old = Child(keptView, "selection")) keptView.remove_child(old);
  for (pugi::xml_node selection : Children(savedView, "selection")) keptView.append_copy(selection);
}

}  // namespace

// Puts `element` among root's children where the order puts an element of that name.
pugi::xml_node InsertSheetChild(pugi::xml_node root, pugi::xml_node element) {
  const std::optional<size_t> rank = SheetRank(LocalName(element));
  for (pugi::xml_node child : root.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::optional<size_t> at = SheetRank(LocalName(child));
    if (rank && at && *at > *rank) return root.insert_copy_before(element, child);
  }
  return root.append_copy(element);
}

PutBack::PutBack(XlsxWorkbook& read, PackageParts& saved, bool macros) : read_(read), saved_(saved), macros_(macros) {
  ZipArchive& source = read_.Source();
  if (!source.Has("[Content_Types].xml")) return;
  XmlPart types(source, "[Content_Types].xml");
  for (pugi::xml_node d : Children(types.Root(), "Default"))
    sourceDefaults_[AsciiLower(d.attribute("Extension").value())] = d.attribute("ContentType").value();
  for (pugi::xml_node o : Children(types.Root(), "Override")) {
    std::string name = o.attribute("PartName").value();
    if (!name.empty() && name[0] == '/') name.erase(0, 1);
    sourceOverrides_[AsciiLower(name)] = o.attribute("ContentType").value();
  }
}

std::string PutBack::Carry(const std::string& part) {
  const std::string key = AsciiLower(part);
  if (auto found = carried_.find(key); found != carried_.end()) return found->second;
  std::string name = part;
  for (int n = 2; saved_.Has(name) || taken_.count(AsciiLower(name)); ++n) name = NumberedName(part, n);
  carried_[key] = name;
  taken_.insert(AsciiLower(name));

  ZipArchive& source = read_.Source();
  std::string bytes = source.Read(part);
  const std::vector<Relationship> relationships = ReadRelationships(source, part);
  if (!relationships.empty()) {
    std::map<std::string, std::string> moved;  // relationship id -> the carried part's new name
    for (const Relationship& r : relationships) {
      if (r.external || !source.Has(r.target)) continue;
      if (const std::string to = Carry(r.target); to != r.target) moved[r.id] = to;
    }
    std::string rels = source.Read(RelsName(part));
    if (!moved.empty()) {
      pugi::xml_document doc = Parsed(RelsName(part), rels);
      for (pugi::xml_node r : doc.document_element().children())
        if (auto to = moved.find(r.attribute("Id").value()); to != moved.end())
          r.attribute("Target").set_value(("/" + to->second).c_str());
      rels = Xml(doc);
    }
    saved_.Put(RelsName(name), std::move(rels));
  }
  if (auto type = sourceOverrides_.find(key); type != sourceOverrides_.end())
    overrides_[name] = type->second;
  else if (auto fallback = sourceDefaults_.find(Extension(part)); fallback != sourceDefaults_.end())
    defaults_[fallback->first] = fallback->second;
  saved_.Put(name, std::move(bytes));
  return name;
}

std::string PutBack::Relate(const std::string& owner, const Relationship& relationship) {
  Relationship added = relationship;
  added.id = "rIdKept" + std::to_string(nextId_++);
  related_[owner].push_back(added);
  return added.id;
}

std::string PutBack::Sheet(int index, const MemoryWorksheet& sheet, const std::string& savedXml) {
  auto found = read_.sheets.find(&sheet);
  if (found == read_.sheets.end()) return savedXml;
  const KeptSheet& kept = found->second;
  const bool moved = sheet.CellMoves() != kept.cellMovesAtLoad;
  const std::string owner = "xl/worksheets/sheet" + std::to_string(index + 1) + ".xml";
  pugi::xml_document doc = Parsed(owner, savedXml);
  pugi::xml_node root = doc.document_element();

  // Old id -> new id ("" when the part it names cannot be carried); nothing for a value that
  // names no relationship of the sheet.
  std::map<std::string, std::string> ids;
  auto newId = [&](const std::string& old) -> std::optional<std::string> {
    if (auto done = ids.find(old); done != ids.end()) return done->second;
    for (const Relationship& r : kept.relationships) {
      if (r.id != old) continue;
      Relationship to = r;
      if (!r.external) {
        if (!read_.Source().Has(r.target)) return ids[old] = "";
        to.target = "/" + Carry(r.target);
      }
      return ids[old] = Relate(owner, to);
    }
    return std::nullopt;
  };

  for (const auto& [name, value] : kept.namespaces)
    if (!root.attribute(name.c_str())) root.append_attribute(name.c_str()) = value.c_str();
  for (const auto& [local, xml] : kept.elements) {
    if (moved && PlacedByCell(local)) continue;
    pugi::xml_document fragment;
    if (!fragment.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8)) continue;
    pugi::xml_node element = fragment.document_element();
    if (!Renumber(element, newId)) continue;
    if (local == "sheetViews") {
      pugi::xml_node saved = Child(root, "sheetViews");
      MergeViews(element, saved);
      if (saved) root.remove_child(saved);
    }
    InsertSheetChild(root, element);
  }
  if (!kept.tabColor.empty()) {
    // The tab's colour comes first among <sheetPr>'s children.
    pugi::xml_document colour;
    if (colour.load_buffer(kept.tabColor.data(), kept.tabColor.size(), pugi::parse_default, pugi::encoding_utf8)) {
      pugi::xml_node properties = Child(root, "sheetPr");
      if (!properties) {
        pugi::xml_document blank;
        properties = InsertSheetChild(root, blank.append_child("sheetPr"));
      }
      if (pugi::xml_node old = Child(properties, "tabColor")) properties.remove_child(old);
      properties.prepend_copy(colour.document_element());
    }
  }
  if (!kept.printerSettings.empty()) {
    if (std::optional<std::string> id = newId(kept.printerSettings); id && !id->empty()) {
      pugi::xml_node setup = Child(root, "pageSetup");
      if (!setup) {
        pugi::xml_document blank;
        setup = InsertSheetChild(root, blank.append_child("pageSetup"));
      }
      const std::string name = RelationshipIdName(root);
      setup.remove_attribute(name.c_str());
      setup.append_attribute(name.c_str()) = id->c_str();
    }
  }
  return Xml(doc);
}

void PutBack::Finish() {
  const std::string workbookName = "xl/workbook.xml";
  pugi::xml_document workbook = Parsed(workbookName, saved_.Read(workbookName));
  pugi::xml_node root = workbook.document_element();
  bool changed = false;
  int index = 0;
  for (pugi::xml_node sheet : Children(Child(root, "sheets"), "sheet")) {
    if (index >= read_.SheetCount()) break;
    const MemoryWorksheet& model = read_.Sheet(index++);
    auto found = read_.sheets.find(&model);
    if (found == read_.sheets.end() || !found->second.veryHidden || !model.Hidden()) continue;
    sheet.remove_attribute("state");
    sheet.append_attribute("state") = "veryHidden";
    changed = true;
  }
  auto relatedOf = [&](const std::vector<Relationship>& relationships, const std::string& id) -> const Relationship* {
    for (const Relationship& r : relationships)
      if (r.id == id && !r.external && read_.Source().Has(r.target)) return &r;
    return nullptr;
  };
  if (!read_.pivotCaches.empty()) {
    pugi::xml_document fragment;
    if (fragment.load_buffer(read_.pivotCaches.data(), read_.pivotCaches.size())) {
      pugi::xml_node caches = fragment.document_element();
      const bool whole = Renumber(caches, [&](const std::string& old) -> std::optional<std::string> {
        const Relationship* r = relatedOf(read_.workbookRelationships, old);
        if (!r) return std::string();
        Relationship to = *r;
        to.target = "/" + Carry(r->target);
        return Relate(workbookName, to);
      });
      if (whole) {
        pugi::xml_node before;
        for (pugi::xml_node child : root.children())
          for (std::string_view after : kAfterPivotCaches)
            if (!before && child.type() == pugi::node_element && LocalName(child) == after) before = child;
        const std::string name = RelationshipIdName(root);
        // The fragment's prefix may differ from the saved part's.
        for (pugi::xml_node cache : caches.children())
          if (pugi::xml_attribute id = PrefixedAttribute(cache, "id"); id && name != id.name()) {
            const std::string value = id.value();
            cache.remove_attribute(id);
            cache.append_attribute(name.c_str()) = value.c_str();
          }
        before ? root.insert_copy_before(caches, before) : root.append_copy(caches);
        changed = true;
      }
    }
  }
  for (const Relationship& r : read_.workbookRelationships)
    if ((TypeIs(r, "customXml") || (macros_ && TypeIs(r, "vbaProject"))) && relatedOf(read_.workbookRelationships, r.id)) {
      Relationship to = r;
      to.target = "/" + Carry(r.target);
      Relate(workbookName, to);
    }
  for (const Relationship& r : read_.packageRelationships)
    if (relatedOf(read_.packageRelationships, r.id)) {
      Relationship to = r;
      to.target = "/" + Carry(r.target);
      Relate("", to);
    }
  if (changed) saved_.Put(workbookName, Xml(workbook));

  if (!read_.differentialFormats.empty()) PutDifferentialFormats();

  for (const auto& [owner, relationships] : related_) {
    const std::string name = RelsName(owner);
    pugi::xml_document doc;
    if (saved_.Has(name)) {
      doc = Parsed(name, saved_.Read(name));
    } else {
      doc.append_child(pugi::node_declaration).append_attribute("version") = "1.0";
      doc.append_child("Relationships").append_attribute("xmlns") = kPackageRelationships;
    }
    for (const Relationship& r : relationships) {
      pugi::xml_node added = doc.document_element().append_child("Relationship");
      added.append_attribute("Id") = r.id.c_str();
      added.append_attribute("Type") = r.type.c_str();
      added.append_attribute("Target") = r.target.c_str();
      if (r.external) added.append_attribute("TargetMode") = "External";
    }
    saved_.Put(name, Xml(doc));
  }

  if (overrides_.empty() && defaults_.empty()) return;
  const std::string typesName = "[Content_Types].xml";
  pugi::xml_document types = Parsed(typesName, saved_.Read(typesName));
  pugi::xml_node typesRoot = types.document_element();
  for (const auto& [extension, type] : defaults_) {
    bool present = false;
    for (pugi::xml_node d : Children(typesRoot, "Default"))
      present = present || AsciiLower(d.attribute("Extension").value()) == extension;
    if (present) continue;
    // Defaults come before overrides.
    pugi::xml_node added = Child(typesRoot, "Override") ? typesRoot.insert_child_before("Default", Child(typesRoot, "Override"))
                                                        : typesRoot.append_child("Default");
    added.append_attribute("Extension") = extension.c_str();
    added.append_attribute("ContentType") = type.c_str();
  }
  for (const auto& [part, type] : overrides_) {
    pugi::xml_node added = typesRoot.append_child("Override");
    added.append_attribute("PartName") = ("/" + part).c_str();
    added.append_attribute("ContentType") = type.c_str();
  }
  saved_.Put(typesName, Xml(types));
}

void PutBack::PutDifferentialFormats() {
  // The writer makes none of its own, so the kept ones keep their numbers.
  const std::string stylesName = "xl/styles.xml";
  pugi::xml_document styles = Parsed(stylesName, saved_.Read(stylesName));
  pugi::xml_node root = styles.document_element();
  pugi::xml_node saved = Child(root, "dxfs");
  if (saved && saved.first_child()) return;
  pugi::xml_document fragment;
  if (!fragment.load_buffer(read_.differentialFormats.data(), read_.differentialFormats.size())) return;
  if (saved) {
    root.insert_copy_before(fragment.document_element(), saved);
    root.remove_child(saved);
  } else if (pugi::xml_node cellStyles = Child(root, "cellStyles")) {
    root.insert_copy_after(fragment.document_element(), cellStyles);
  } else {
    return;
  }
  saved_.Put(stylesName, Xml(styles));
}

}  // namespace kestrel
