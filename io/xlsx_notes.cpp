// Notes: the comments part (text, bold author line) and the legacy VML drawing (shown, size).
#include "io/xlsx_notes.h"

#include <cctype>
#include <cmath>
#include <map>
#include <utility>

#include "io/workbook_file_error.h"
#include "io/xlsx_refs.h"
#include "io/xlsx_strings.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

struct NoteShape {
  bool visible = false;
  double width = 0;   // points
  double height = 0;  // points
};

// A CSS length of the VML style attribute in points ("108pt", "144px", "1.5in").
double Points(std::string_view text) {
  size_t unitStart = 0;
  while (unitStart < text.size() && (std::isdigit(static_cast<unsigned char>(text[unitStart])) ||
                                     text[unitStart] == '.' || text[unitStart] == '-'))
    ++unitStart;
  double value = XmlNumber(text.substr(0, unitStart)).value_or(0);
  std::string_view unit = text.substr(unitStart);
  if (unit == "pt") return value;
  if (unit == "in") return value * 72;
  if (unit == "cm") return value * 72 / 2.54;
  if (unit == "mm") return value * 72 / 25.4;
  if (unit == "pc") return value * 12;
  return value * 0.75;  // px, and bare numbers
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

NoteShape ReadShape(pugi::xml_node shape, pugi::xml_node data) {
  NoteShape note;
  std::string_view style = shape.attribute("style").value();
  std::string_view visibility;
  while (!style.empty()) {
    size_t end = style.find(';');
    std::string_view item = style.substr(0, end);
    style = end == std::string_view::npos ? std::string_view() : style.substr(end + 1);
    size_t colon = item.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view key = Trim(item.substr(0, colon)), value = Trim(item.substr(colon + 1));
    if (key == "width") note.width = Points(value);
    if (key == "height") note.height = Points(value);
    if (key == "visibility") visibility = value;
  }
  // Writers mark a shown note with <x:Visible/>, with "visibility:visible", or both.
  note.visible = Child(data, "Visible") || visibility == "visible";
  note.width = std::round(note.width * 100) / 100;
  note.height = std::round(note.height * 100) / 100;
  return note;
}

// The note shapes of the drawing by cell. A drawing that does not parse is passed over: it only
// places and sizes notes, and old writers leave it loose (unclosed HTML tags).
std::map<std::pair<int, int>, NoteShape> ReadShapes(ZipArchive& zip, const std::string& part) {
  std::map<std::pair<int, int>, NoteShape> shapes;
  std::string text = zip.Read(part);
  CheckNodeCount(zip.Path(), part, text);
  pugi::xml_document doc;
  if (!doc.load_buffer_inplace(text.data(), text.size(), pugi::parse_default)) return shapes;
  struct Walker : pugi::xml_tree_walker {
    std::map<std::pair<int, int>, NoteShape>* shapes;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() != pugi::node_element || LocalName(node) != "shape") return true;
      pugi::xml_node data = Child(node, "ClientData");
      if (std::string_view(data.attribute("ObjectType").value()) != "Note") return true;
      auto row = XmlNumber(Child(data, "Row").text().get());
      auto column = XmlNumber(Child(data, "Column").text().get());
      if (!row || !column || *row < 0 || *row >= kMaxRows || *column < 0 || *column >= kMaxColumns) return true;
      (*shapes)[{static_cast<int>(*row) + 1, static_cast<int>(*column) + 1}] = ReadShape(node, data);
      return true;
    }
  } walker;
  walker.shapes = &shapes;
  doc.traverse(walker);
  return shapes;
}

}  // namespace

void ReadNotes(ZipArchive& zip, const std::vector<Relationship>& sheetRelationships, const std::string& where,
               MemoryWorksheet& sheet, std::vector<std::string>* warnings) {
  const Relationship* comments = nullptr;
  const Relationship* drawing = nullptr;
  for (const auto& r : sheetRelationships) {
    if (r.external) continue;
    if (TypeIs(r, "comments") && !comments) comments = &r;
    if (TypeIs(r, "vmlDrawing") && !drawing) drawing = &r;
  }
  if (!comments) return;
  std::map<std::pair<int, int>, NoteShape> shapes;
  if (drawing && zip.Has(drawing->target)) shapes = ReadShapes(zip, drawing->target);
  XmlPart part(zip, comments->target);
  for (pugi::xml_node comment : Children(Child(part.Root(), "commentList"), "comment")) {
    CellRef cell;
    std::string_view ref = comment.attribute("ref").value();
    RefCheck check = ParseCellRef(ref, cell);
    if (check == RefCheck::OutOfRange)
      throw WorkbookFileError(WorkbookFileFault::Defect, zip.Path(), where + ": the note at " + MessageText(ref) + " is out of range");
    if (check != RefCheck::Ok)
      throw WorkbookFileError(WorkbookFileFault::Defect, zip.Path(), where + ": a note has the bad cell reference \"" +
                              MessageText(ref) + "\"");
    RichText rich = ReadRichText(Child(comment, "text"));
    Note note;
    note.text = std::move(rich.text);
    if (note.text.size() > kMaxNoteLength && CodePointCount(note.text) > kMaxNoteLength) {
      note.text = CodePointSubstr(note.text, 0, kMaxNoteLength);
      if (warnings)
        warnings->push_back(zip.Path() + ": " + where + ": the note at " + CellA1(cell) + " is longer than " +
                            std::to_string(kMaxNoteLength) + " characters and was cut to that length");
    }
    note.boldLength = rich.boldLength;
    auto shape = shapes.find({cell.row, cell.column});
    if (shape != shapes.end()) {
      note.visible = shape->second.visible;
      note.width = shape->second.width;
      note.height = shape->second.height;
    }
    sheet.SetNote(cell, note);
  }
}

}  // namespace kestrel
