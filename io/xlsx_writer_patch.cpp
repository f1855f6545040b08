// Rewriting a few parts of a saved .xlsx in place with libzip: retyped cells and bold note titles.
#include "io/xlsx_writer_patch.h"

#include <zip.h>

#include <pugixml.hpp>

#include <list>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "util/unicode.h"

namespace kestrel {

namespace {

std::string AttributeValue(std::string_view tag, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  size_t at = tag.find(key);
  if (at == std::string_view::npos) return "";
  at += key.size();
  size_t end = tag.find('"', at);
  return std::string(tag.substr(at, end - at));
}

struct ZipCloser {
  void operator()(zip_t* zip) const { zip_discard(zip); }
};

// The saved archive, opened for replacing parts; nothing changes on disk before Commit.
class SavedArchive {
 public:
  explicit SavedArchive(const std::string& path) {
    int code = 0;
    zip_.reset(zip_open(path.c_str(), 0, &code));
    if (!zip_) {
      zip_error_t error;
      zip_error_init_with_code(&error, code);
      std::string reason = zip_error_strerror(&error);
      zip_error_fini(&error);
      throw std::runtime_error("reopening the saved file: " + reason);
    }
  }

  std::string Read(const std::string& part) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip_.get(), part.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
      throw std::runtime_error("the saved file has no " + part);
    std::string data(static_cast<size_t>(stat.size), '\0');
    zip_file_t* file = zip_fopen(zip_.get(), part.c_str(), 0);
    if (!file) throw std::runtime_error("cannot read " + part + " of the saved file");
    zip_int64_t got = data.empty() ? 0 : zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(data.size()))
      throw std::runtime_error("cannot read " + part + " of the saved file");
    return data;
  }

  // The data must stay alive until Commit: the archive keeps it here.
  void Replace(const std::string& part, std::string data) {
    zip_int64_t index = zip_name_locate(zip_.get(), part.c_str(), 0);
    if (index < 0) throw std::runtime_error("the saved file has no " + part);
    const std::string& kept = buffers_.emplace_back(std::move(data));
    zip_source_t* source = zip_source_buffer(zip_.get(), kept.data(), kept.size(), 0);
    if (!source) throw std::runtime_error("out of memory replacing " + part);
    if (zip_file_replace(zip_.get(), static_cast<zip_uint64_t>(index), source, 0) != 0) {
      zip_source_free(source);
      throw std::runtime_error("cannot replace " + part + ": " + zip_strerror(zip_.get()));
    }
    zip_set_file_compression(zip_.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
  }

  // libzip writes the whole archive to a temporary file beside it and renames it over.
  void Commit() {
    zip_t* zip = zip_.get();
    if (zip_close(zip) != 0) throw std::runtime_error(std::string("rewriting the saved file: ") + zip_strerror(zip));
    zip_.release();
  }

 private:
  std::unique_ptr<zip_t, ZipCloser> zip_;
  std::list<std::string> buffers_;
};

// A relationship target resolved against the folder of the part that names it.
std::string ResolvePart(const std::string& folder, std::string_view target) {
  if (!target.empty() && target[0] == '/') return std::string(target.substr(1));
  std::vector<std::string> parts = SplitText(folder, "/");
  if (!parts.empty() && parts.back().empty()) parts.pop_back();
  for (const std::string& piece : SplitText(target, "/")) {
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (piece != "." && !piece.empty()) {
      parts.push_back(piece);
    }
  }
  std::string path;
  for (const std::string& p : parts) path += (path.empty() ? "" : "/") + p;
  return path;
}

std::string CommentsPartOf(SavedArchive& archive, int sheetNumber) {
  const std::string rels = "xl/worksheets/_rels/sheet" + std::to_string(sheetNumber) + ".xml.rels";
  const std::string xml = archive.Read(rels);
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size())) throw std::runtime_error(rels + " of the saved file is not XML");
  const std::string_view commentsType = "/comments";
  for (pugi::xml_node r : doc.document_element().children("Relationship")) {
    std::string_view type = r.attribute("Type").value();
    if (type.size() >= commentsType.size() && type.substr(type.size() - commentsType.size()) == commentsType)
      return ResolvePart("xl/worksheets", r.attribute("Target").value());
  }
  throw std::runtime_error("the saved sheet " + std::to_string(sheetNumber) + " has no notes part");
}

}  // namespace

std::string RetypeCells(std::string_view xml, const std::vector<RetypedCell>& cells) {
  std::string out;
  out.reserve(xml.size() + 16 * cells.size());
  size_t pos = 0;
  for (const RetypedCell& cell : cells) {
    const std::string a1 = CellA1(cell.at);
    const size_t start = xml.find("<c r=\"" + a1 + "\"", pos);
    const size_t tagEnd = start == std::string_view::npos ? start : xml.find('>', start);
    const size_t close = tagEnd == std::string_view::npos ? tagEnd : xml.find("</c>", tagEnd);
    if (close == std::string_view::npos || xml[tagEnd - 1] == '/')
      throw std::runtime_error("cell " + a1 + " is missing from the saved sheet");
    const std::string_view tag = xml.substr(start, tagEnd + 1 - start);
    const std::string_view body = xml.substr(tagEnd + 1, close - tagEnd - 1);
    out.append(xml.substr(pos, start - pos));
    out += "<c r=\"" + a1 + "\"";
    if (std::string style = AttributeValue(tag, "s"); !style.empty()) out += " s=\"" + style + "\"";
    out += " t=\"" + cell.type + "\">";
    if (cell.keepFormula) {
      const size_t f = body.find("<f");
      const size_t fEnd = f == std::string_view::npos ? f : body.find("</f>", f);
      if (fEnd != std::string_view::npos) out.append(body.substr(f, fEnd + 4 - f));
    }
    out += "<v>" + cell.value + "</v></c>";
    pos = close + 4;
  }
  out.append(xml.substr(pos));
  return out;
}

std::string BoldNoteTitles(std::string_view xml, const std::vector<BoldNoteTitle>& notes) {
  pugi::xml_document doc;
  const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;
  if (!doc.load_buffer(xml.data(), xml.size(), options, pugi::encoding_utf8))
    throw std::runtime_error("the saved notes part is not XML");
  std::map<std::string, int> boldByCell;
  for (const BoldNoteTitle& n : notes) boldByCell[CellA1(n.at)] = n.boldLength;
  size_t done = 0;
  for (pugi::xml_node comment : doc.document_element().child("commentList").children("comment")) {
    auto it = boldByCell.find(comment.attribute("ref").value());
    if (it == boldByCell.end()) continue;
    pugi::xml_node text = comment.child("text");
    pugi::xml_node run = text.child("r");
    if (!run) throw std::runtime_error("the saved note of " + it->first + " has no text run");
    const std::string whole = run.child("t").text().get();
    const std::string title = CodePointSubstr(whole, 0, static_cast<size_t>(it->second));
    const std::string rest = CodePointSubstr(whole, static_cast<size_t>(it->second));
    if (!rest.empty()) {
      pugi::xml_node plain = text.insert_copy_after(run, run);
      pugi::xml_node t = plain.child("t");
      t.text().set(rest.c_str());
      if (!t.attribute("xml:space")) t.append_attribute("xml:space") = "preserve";
    }
    pugi::xml_node properties = run.child("rPr");
    if (!properties) properties = run.prepend_child("rPr");
    properties.prepend_child("b");
    pugi::xml_node t = run.child("t");
    t.text().set(title.c_str());
    if (!t.attribute("xml:space")) t.append_attribute("xml:space") = "preserve";
    ++done;
  }
  if (done != boldByCell.size()) throw std::runtime_error("a note is missing from the saved notes part");
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

void PatchSavedWorkbook(const std::string& path, const std::vector<SheetPatches>& sheets) {
  SavedArchive archive(path);
  bool changed = false;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const SheetPatches& patches = sheets[i];
    const int number = static_cast<int>(i) + 1;  // libxlsxwriter names parts sheet1.xml, ... in order
    if (!patches.cells.empty()) {
      const std::string part = "xl/worksheets/sheet" + std::to_string(number) + ".xml";
      archive.Replace(part, RetypeCells(archive.Read(part), patches.cells));
      changed = true;
    }
    if (!patches.notes.empty()) {
      const std::string part = CommentsPartOf(archive, number);
      archive.Replace(part, BoldNoteTitles(archive.Read(part), patches.notes));
      changed = true;
    }
  }
  if (changed) archive.Commit();
}

}  // namespace kestrel
