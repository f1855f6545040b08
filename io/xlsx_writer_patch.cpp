// Rewriting parts of a saved .xlsx with libzip: the sheets' rows, the shared strings, bold note titles.
#include "io/xlsx_writer_patch.h"

#include <zip.h>

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "io/system_calls.h"
#include "io/xlsx_put_back.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// A part deflated by Kestrel, which libzip copies into the archive as it is (the method, sizes and
// checksum come with it).
class DeflatedPart {
 public:
  DeflatedPart(std::string part, std::string head, PartBody& body, std::string_view tail)
      : part_(std::move(part)), head_(std::move(head)), body_(body), tail_(tail) {
    zip_error_init(&error_);
  }
  ~DeflatedPart() { zip_error_fini(&error_); }
  DeflatedPart(const DeflatedPart&) = delete;
  DeflatedPart& operator=(const DeflatedPart&) = delete;

  const std::string& Part() const { return part_; }

  // Once the body's thread is done: its stream with the head and tail around it.
  void Deflate() {
    try {
      text_ = DeflateAround(head_, body_, tail_);
    } catch (const std::bad_alloc&) {
      throw std::runtime_error("out of memory deflating " + part_);
    } catch (const std::runtime_error& e) {
      throw std::runtime_error(part_ + ": " + e.what());
    }
    pieces_ = {text_.head, *text_.body, text_.tail};
  }

  static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<DeflatedPart*>(state)->Serve(data, length, command);
  }

 private:
  zip_int64_t Serve(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_OPEN:
        piece_ = 0;
        at_ = 0;
        return 0;
      case ZIP_SOURCE_READ: {
        char* into = static_cast<char*>(data);
        size_t done = 0;
        while (done < length && piece_ < pieces_.size()) {
          const std::string_view piece = pieces_[piece_];
          const size_t got = static_cast<size_t>(std::min<std::uint64_t>(length - done, piece.size() - at_));
          std::memcpy(into + done, piece.data() + at_, got);
          done += got;
          at_ += got;
          if (at_ == piece.size()) {
            ++piece_;
            at_ = 0;
          }
        }
        return static_cast<zip_int64_t>(done);
      }
      case ZIP_SOURCE_CLOSE:
      case ZIP_SOURCE_FREE:
        return 0;
      case ZIP_SOURCE_STAT: {
        zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (!stat) return -1;
        zip_stat_init(stat);
        stat->size = text_.size;
        stat->comp_size = pieces_[0].size() + pieces_[1].size() + pieces_[2].size();
        stat->crc = text_.crc;
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
        return 0;
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
      default:
        zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  std::string part_;
  std::string head_;
  PartBody& body_;
  std::string tail_;
  DeflatedText text_;
  std::array<std::string_view, 3> pieces_;
  size_t piece_ = 0;
  size_t at_ = 0;
  zip_error_t error_;
};

struct ZipCloser {
  void operator()(zip_t* zip) const { zip_discard(zip); }
};

// The saved archive, opened for replacing parts; nothing changes on disk before Commit.
class SavedArchive : public PackageParts {
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

  bool Has(const std::string& part) override { return zip_name_locate(zip_.get(), part.c_str(), ZIP_FL_NOCASE) >= 0; }

  void Put(const std::string& part, std::string data) override {
    if (Has(part)) return Replace(part, std::move(data));
    const std::string& kept = buffers_.emplace_back(std::move(data));
    zip_source_t* source = zip_source_buffer(zip_.get(), kept.data(), kept.size(), 0);
    if (!source) throw std::runtime_error("out of memory adding " + part);
    const zip_int64_t index = zip_file_add(zip_.get(), part.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      throw std::runtime_error("cannot add " + part + ": " + zip_strerror(zip_.get()));
    }
    zip_set_file_compression(zip_.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFAULT, kPartCompressionLevel);
  }

  std::string Read(const std::string& part) override {
    if (auto replaced = replaced_.find(part); replaced != replaced_.end()) return *replaced->second;
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
    const std::string& kept = buffers_.emplace_back(std::move(data));
    Replace(part, zip_source_buffer(zip_.get(), kept.data(), kept.size(), 0));
    replaced_[part] = &kept;
  }
  // The body must stay alive until Commit, which puts its deflated stream in.
  void Replace(const std::string& part, std::string head, PartBody& body, std::string_view tail) {
    deflated_.push_back(std::make_unique<DeflatedPart>(part, std::move(head), body, tail));
  }

  // Deflated at kPartCompressionLevel: libzip keeps a level only with a method other than the part's
  // old one, so the method is the default one (deflate) by name.
  void Replace(const std::string& part, zip_source_t* source) {
    if (!source) throw std::runtime_error("out of memory replacing " + part);
    zip_int64_t index = zip_name_locate(zip_.get(), part.c_str(), 0);
    if (index < 0 || zip_file_replace(zip_.get(), static_cast<zip_uint64_t>(index), source, 0) != 0) {
      zip_source_free(source);
      throw std::runtime_error(index < 0 ? "the saved file has no " + part
                                         : "cannot replace " + part + ": " + zip_strerror(zip_.get()));
    }
    zip_set_file_compression(zip_.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFAULT, kPartCompressionLevel);
  }

  // libzip writes the whole archive to a temporary file beside it and renames it over. SIGINT
  // and SIGTERM wait until it is done: the handler of the save in progress removes the file this
  // one replaces, but it cannot know libzip's temporary file.
  void Commit() {
    DeflateParts();
    zip_t* zip = zip_.get();
    int closed = 0;
    std::string reason;
    {
      const HeldStops held;
      closed = zip_close(zip);
      if (closed == 0)
        zip_.release();
      else
        reason = zip_strerror(zip);
    }
    if (closed != 0) throw std::runtime_error("rewriting the saved file: " + reason);
  }

 private:
  // Each part's body has been deflating on a thread of its own since it was written.
  void DeflateParts() {
    for (const auto& part : deflated_) {
      part->Deflate();
      Replace(part->Part(), zip_source_function(zip_.get(), DeflatedPart::Callback, part.get()));
    }
  }

  std::unique_ptr<zip_t, ZipCloser> zip_;
  std::list<std::string> buffers_;
  std::map<std::string, const std::string*> replaced_;  // part -> its new data in buffers_, read back as it is
  std::vector<std::unique_ptr<DeflatedPart>> deflated_;
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

// The sheet part with these merged areas added to its <mergeCells>, made where the order of a
// worksheet's children puts it when the part has none.
std::string WithMergedAreas(const std::string& sheetXml, const std::vector<RangeRef>& areas) {
  pugi::xml_document doc;
  if (!doc.load_buffer(sheetXml.data(), sheetXml.size(), pugi::parse_default | pugi::parse_declaration,
                       pugi::encoding_utf8))
    throw std::runtime_error("the saved sheet is not XML");
  pugi::xml_node root = doc.document_element();
  pugi::xml_node merges = root.child("mergeCells");
  if (!merges) {
    pugi::xml_document blank;
    merges = InsertSheetChild(root, blank.append_child("mergeCells"));
  }
  for (const RangeRef& area : areas) {
    const std::string ref = ColumnLetters(area.first.column) + std::to_string(area.first.row) + ":" +
                            ColumnLetters(area.last.column) + std::to_string(area.last.row);
    merges.append_child("mergeCell").append_attribute("ref") = ref.c_str();
  }
  size_t count = 0;
  for (pugi::xml_node m = merges.child("mergeCell"); m; m = m.next_sibling("mergeCell")) ++count;
  merges.remove_attribute("count");
  merges.prepend_attribute("count") = static_cast<unsigned long long>(count);
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

}  // namespace

std::pair<std::string, std::string> SheetPartAround(std::string_view xml, const std::string& dimension) {
  const size_t start = xml.find("<sheetData");
  const size_t open = start == std::string_view::npos ? start : xml.find('>', start);
  if (open == std::string_view::npos) throw std::runtime_error("the saved sheet has no sheet data");
  size_t tail = open + 1;
  if (xml[open - 1] != '/') {
    const size_t close = xml.find("</sheetData>", open);
    if (close == std::string_view::npos) throw std::runtime_error("the saved sheet data has no end");
    tail = close + std::string_view("</sheetData>").size();
  }
  std::string head(xml.substr(0, start));
  const std::string key = "<dimension ref=\"";
  if (const size_t at = head.find(key); at != std::string::npos) {
    const size_t end = head.find('"', at + key.size());
    if (end != std::string::npos) head.replace(at + key.size(), end - at - key.size(), dimension);
  }
  head += "<sheetData>";
  return {head, "</sheetData>" + std::string(xml.substr(tail))};
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

void PatchSavedWorkbook(const std::string& path, std::vector<SheetPatches>& sheets, SharedStringTable& strings,
                        XlsxWorkbook* read, bool macroEnabled) {
  SavedArchive archive(path);
  std::optional<PutBack> putBack;
  if (read) putBack.emplace(*read, archive, macroEnabled);
  for (size_t i = 0; i < sheets.size(); ++i) {
    SheetPatches& patches = sheets[i];
    const int number = static_cast<int>(i) + 1;  // libxlsxwriter names parts sheet1.xml, ... in order
    const std::string part = "xl/worksheets/sheet" + std::to_string(number) + ".xml";
    std::string saved = archive.Read(part);
    if (!patches.largeMerges.empty()) saved = WithMergedAreas(saved, patches.largeMerges);
    if (putBack) saved = putBack->Sheet(static_cast<int>(i), read->Sheet(static_cast<int>(i)), saved);
    auto [head, tail] = SheetPartAround(saved, patches.dimension);
    archive.Replace(part, std::move(head), *patches.rows, tail);
    if (!patches.notes.empty()) {
      const std::string comments = CommentsPartOf(archive, number);
      archive.Replace(comments, BoldNoteTitles(archive.Read(comments), patches.notes));
    }
  }
  if (!strings.Empty()) {
    strings.Entries().Finish();
    archive.Replace("xl/sharedStrings.xml", strings.Head(), strings.Entries(), SharedStringTable::kTail);
  }
  if (putBack) putBack->Finish();
  if (macroEnabled) {
    const std::string typesName = "[Content_Types].xml";
    std::string types = archive.Read(typesName);
    const std::string plain = std::string(kWorkbookContentType), macro = std::string(kMacroWorkbookContentType);
    if (const size_t at = types.find(plain); at != std::string::npos) {
      types.replace(at, plain.size(), macro);
      archive.Replace(typesName, std::move(types));
    }
  }
  archive.Commit();
}

}  // namespace kestrel
