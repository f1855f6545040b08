// XML parts of a .xlsx package: parsing with a clear error, names without prefixes, relationships.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "io/zip_archive.h"

namespace kestrel {

// One parsed part. Writers differ in namespace prefixes ("x:row" and "row" are the same
// element), so elements are always found by their local name.
//   XmlPart sheet(zip, "xl/worksheets/sheet1.xml");
//   for (pugi::xml_node row : Children(Child(sheet.Root(), "sheetData"), "row")) ...
class XmlPart {
 public:
  // More elements and attributes than this in one part are refused before parsing: the parsed
  // form takes about 50 bytes for each, so one part never takes more than about 1 GB. A sheet's
  // rows are parsed in runs apart from the rest of the part, and the limit applies to each.
  static constexpr size_t kMaxNodes = size_t{1} << 24;

  // Throws WorkbookFileError when the part is missing, is not well-formed XML or has more than
  // kMaxNodes elements and attributes. Bytes that are not UTF-8 are read as U+FFFD.
  XmlPart(ZipArchive& zip, std::string name);
  // The same for a part's text already read (`file` names the package in messages).
  XmlPart(const std::string& file, std::string name, std::string text);
  XmlPart(const XmlPart&) = delete;
  XmlPart& operator=(const XmlPart&) = delete;

  pugi::xml_node Root() const { return doc_.document_element(); }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::string text_;  // parsed in place: the nodes point into it
  pugi::xml_document doc_;
};

// Throws the error of a part that is not well-formed XML, at `offset` bytes into the part.
[[noreturn]] void ThrowDamagedXml(const std::string& file, const std::string& part, size_t offset);

// How every part is parsed: whitespace-only text is kept when it is an element's only content
// (<t xml:space="preserve"> </t>); an element's text is kept in the element itself (as
// child_value and text() read it), not in a node of its own, so a cell's <v> costs one node.
inline constexpr unsigned kXmlParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_embed_pcdata;

// Whether the text holds "<" followed by `mark`: '!' begins a comment, CDATA section or
// declaration, '?' a processing instruction. Looked for by the mark, which markup seldom holds,
// rather than by "<", which it holds everywhere.
bool HoldsMarkup(std::string_view text, char mark);

// The content of a worksheet's <sheetData> as [begin, end) of its text, when it holds nothing
// but elements and text (no comment, CDATA section, processing instruction or declaration), so
// that it can be cut after any row's end tag into runs of whole rows; nothing otherwise.
std::optional<std::pair<size_t, size_t>> SheetDataContent(std::string_view text);

// The <sheetData> start tag as SheetDataContent takes it, looked for in the beginning of a
// worksheet's text: `begin` is where the rows start, just after the tag; `prefix` the tag's
// ("" or "x:"). NotYet while the text holds no whole start tag; Unsuitable when the tag it holds
// cannot start rows that are cut into runs.
struct SheetDataStart {
  enum State { NotYet, Found, Unsuitable } state = NotYet;
  size_t begin = 0;
  std::string_view prefix;
};
SheetDataStart FindSheetDataStart(std::string_view text);
// The first end tag of <sheetData> with `prefix` at or after `from`: where it starts (its "<"),
// and where its name starts, or nothing.
std::optional<std::pair<size_t, size_t>> FindSheetDataEnd(std::string_view text, size_t from, std::string_view prefix);
// Where the run of rows starting at `from` (a row's start) ends: just after the first row end
// tag at or beyond from + size, or at `end`.
size_t RowRunEnd(std::string_view text, size_t from, size_t end, size_t size);
// Just after the first row end tag that starts at or beyond `from` and before `end`, or nothing.
std::optional<size_t> FindRowEnd(std::string_view text, size_t from, size_t end);

// Refuses a part of `file` (or the piece of it parsed at once) with more than XmlPart::kMaxNodes
// elements and attributes (counted from its markup, before anything is parsed). Throws
// WorkbookFileError.
void CheckNodeCount(const std::string& file, const std::string& part, std::string_view text);

// "x:row" -> "row".
std::string_view LocalName(pugi::xml_node node);
inline bool Is(pugi::xml_node node, std::string_view local) { return LocalName(node) == local; }
// The first child element with that local name, or an empty node.
pugi::xml_node Child(pugi::xml_node parent, std::string_view local);
// An attribute by local name, for the few that carry a prefix ("r:id").
pugi::xml_attribute PrefixedAttribute(pugi::xml_node node, std::string_view local);

// The child elements with one local name, for range-for.
class ChildRange {
 public:
  class Iterator {
   public:
    Iterator(pugi::xml_node node, std::string_view local) : node_(node), local_(local) { Settle(); }
    pugi::xml_node operator*() const { return node_; }
    Iterator& operator++() {
      node_ = node_.next_sibling();
      Settle();
      return *this;
    }
    bool operator!=(const Iterator& other) const { return node_ != other.node_; }

   private:
    void Settle() {
      while (node_ && (node_.type() != pugi::node_element || LocalName(node_) != local_)) node_ = node_.next_sibling();
    }
    pugi::xml_node node_;
    std::string_view local_;
  };
  ChildRange(pugi::xml_node parent, std::string_view local) : parent_(parent), local_(local) {}
  Iterator begin() const { return Iterator(parent_.first_child(), local_); }
  Iterator end() const { return Iterator(pugi::xml_node(), local_); }

 private:
  pugi::xml_node parent_;
  std::string_view local_;
};
inline ChildRange Children(pugi::xml_node parent, std::string_view local) { return ChildRange(parent, local); }

// A number as the file writes it ("12.5", "-3E-07"), whatever the machine's locale; nothing for
// anything else, infinities and NaN included.
std::optional<double> XmlNumber(std::string_view text);
inline std::optional<double> XmlNumber(pugi::xml_attribute attribute) { return XmlNumber(attribute.value()); }

// A number written beyond what a double holds ("1.797693134862316e+308" read back, "1e999"): the
// nearest finite value (the largest, or 0 for one too small); nothing for anything else, a
// number in range included.
std::optional<double> NearestFiniteNumber(std::string_view text);

// True for "1", "true" (and "on"), as the schema's booleans are written; `absent` otherwise
// when the attribute is missing.
bool XmlBool(pugi::xml_attribute attribute, bool absent = false);

struct Relationship {
  std::string id;
  std::string type;    // the full type URI
  std::string target;  // a part name ("xl/worksheets/sheet1.xml"); the URI itself when external
  bool external = false;
};

// The relationships of a part, from "<folder>/_rels/<name>.rels"; none when that part is absent.
std::vector<Relationship> ReadRelationships(ZipArchive& zip, std::string_view partName);
// Whether the type URI ends with "/<kind>" (transitional and strict packages differ in the
// front of the URI only).
bool TypeIs(const Relationship& relationship, std::string_view kind);
// A target as a part name: relative to the source part's folder, or from the package root
// when it starts with "/"; "." and ".." resolved, %-escapes decoded.
std::string ResolveTarget(std::string_view sourcePart, std::string_view target);

// A text from the file made fit for a one-line message: control characters as blanks, at most
// `limit` bytes (cut at a character boundary).
std::string MessageText(std::string_view text, size_t limit = 60);

}  // namespace kestrel
