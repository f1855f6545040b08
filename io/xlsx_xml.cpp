// XML parts of a .xlsx package: parsing, local names, relationships and their targets.
#include "io/xlsx_xml.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "io/workbook_file_error.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

// The high bit of each byte of `word` that equals `c`, and no other bit.
std::uint64_t BytesEqual(std::uint64_t word, char c) {
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t x = word ^ (0x0101010101010101ull * static_cast<unsigned char>(c));
  return ~(((x & kLow) + kLow) | x) & ~kLow;
}

// How many bytes a BytesEqual mask marks: its high bits moved to the low bit of each byte and
// summed into the top byte (std::popcount is a library call on processors without the
// instruction, which the build may not assume).
int MarkedBytes(std::uint64_t mask) { return static_cast<int>(((mask >> 7) * 0x0101010101010101ull) >> 56); }

}  // namespace

void CheckNodeCount(const std::string& file, const std::string& part, std::string_view text) {
  // Start tags, and every "=" as an upper bound of the attributes: each "<" not followed by "/",
  // and each "=". Eight bytes at a time: this looks at every byte of every part, and markup
  // holds a "<" every few bytes.
  const char* const p = text.data();
  const size_t n = text.size();
  size_t nodes = 0, i = 0;
  for (; i + 9 <= n; i += 8) {
    std::uint64_t word = 0, next = 0;
    std::memcpy(&word, p + i, 8);
    std::memcpy(&next, p + i + 1, 8);
    const std::uint64_t opens = BytesEqual(word, '<');
    nodes += static_cast<size_t>(MarkedBytes(opens & ~BytesEqual(next, '/')) + MarkedBytes(BytesEqual(word, '=')));
  }
  for (; i < n; ++i) nodes += static_cast<size_t>((p[i] == '<' && (i + 1 == n || p[i + 1] != '/')) || p[i] == '=');
  if (nodes > XmlPart::kMaxNodes)
    throw WorkbookFileError(WorkbookFileFault::Defect, file, part + " has more than " + std::to_string(XmlPart::kMaxNodes) +
                            " elements and attributes (too large to load)");
}

void ThrowDamagedXml(const std::string& file, const std::string& part, size_t offset) {
  throw WorkbookFileError(WorkbookFileFault::Defect, file,
                          part + " is damaged (XML error at offset " + std::to_string(offset) + ")");
}

XmlPart::XmlPart(ZipArchive& zip, std::string name) : XmlPart(zip.Path(), name, RepairUtf8(zip.Read(name))) {}

XmlPart::XmlPart(const std::string& file, std::string name, std::string text)
    : name_(std::move(name)), text_(std::move(text)) {
  CheckNodeCount(file, name_, text_);
  pugi::xml_parse_result result = doc_.load_buffer_inplace(text_.data(), text_.size(), kXmlParseOptions);
  if (!result || !doc_.document_element())
    ThrowDamagedXml(file, name_, result ? text_.size() : static_cast<size_t>(result.offset));
}

namespace {

bool NameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// Whether the tag name ending just before `at` (where `local` starts) is `local` itself or
// "prefix:local", opened by `opener` ("<" or "</"); gives the prefix with its colon.
bool TagNameBefore(std::string_view text, size_t at, std::string_view opener, std::string_view& prefix) {
  size_t start = at;
  if (start > 0 && text[start - 1] == ':') {
    --start;
    while (start > 0 && NameChar(text[start - 1])) --start;
    if (start + 1 == at) return false;  // ":local" without a prefix
  }
  if (start < opener.size() || text.substr(start - opener.size(), opener.size()) != opener) return false;
  prefix = text.substr(start, at - start);
  return true;
}

}  // namespace

bool HoldsMarkup(std::string_view text, char mark) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, mark, end - p))) != nullptr; ++p)
    if (p > begin && p[-1] == '<') return true;
  return false;
}

SheetDataStart FindSheetDataStart(std::string_view text) {
  constexpr std::string_view kName = "sheetData";
  SheetDataStart start;
  size_t open = text.find(kName);
  while (open != std::string_view::npos && !TagNameBefore(text, open, "<", start.prefix))
    open = text.find(kName, open + 1);
  if (open == std::string_view::npos) return start;
  const size_t tagEnd = text.find('>', open);
  if (tagEnd == std::string_view::npos) return start;
  start.state = SheetDataStart::Unsuitable;
  if (text[tagEnd - 1] == '/') return start;
  const std::string_view attributes = text.substr(open + kName.size(), tagEnd - open - kName.size());
  if (!attributes.empty() && attributes.find_first_not_of(" \t\r\n") == 0) return start;  // a longer name
  if (attributes.find_first_of("\"'") != std::string_view::npos) return start;
  start.state = SheetDataStart::Found;
  start.begin = tagEnd + 1;
  return start;
}

std::optional<std::pair<size_t, size_t>> FindSheetDataEnd(std::string_view text, size_t from, std::string_view prefix) {
  constexpr std::string_view kName = "sheetData";
  std::string_view closingPrefix;
  for (size_t at = text.find(kName, from); at != std::string_view::npos; at = text.find(kName, at + 1))
    if (TagNameBefore(text, at, "</", closingPrefix) && closingPrefix == prefix)
      return std::make_pair(at - prefix.size() - 2, at);
  return std::nullopt;
}

std::optional<std::pair<size_t, size_t>> SheetDataContent(std::string_view text) {
  constexpr std::string_view kName = "sheetData";
  if (HoldsMarkup(text, '!')) return std::nullopt;  // comments, CDATA, declarations
  const SheetDataStart start = FindSheetDataStart(text);
  if (start.state != SheetDataStart::Found) return std::nullopt;
  std::string_view closingPrefix;
  const size_t close = text.rfind(kName);
  if (close == std::string_view::npos || close < start.begin || !TagNameBefore(text, close, "</", closingPrefix) ||
      closingPrefix != start.prefix)
    return std::nullopt;
  const size_t begin = start.begin, end = close - closingPrefix.size() - 2;
  if (HoldsMarkup(text.substr(begin, end - begin), '?')) return std::nullopt;
  return std::make_pair(begin, end);
}

std::optional<size_t> FindRowEnd(std::string_view text, size_t from, size_t end) {
  constexpr std::string_view kRowEnd = "row>";
  std::string_view prefix;
  for (size_t at = text.find(kRowEnd, from); at != std::string_view::npos && at < end; at = text.find(kRowEnd, at + 1))
    if (TagNameBefore(text, at, "</", prefix)) return at + kRowEnd.size();
  return std::nullopt;
}

size_t RowRunEnd(std::string_view text, size_t from, size_t end, size_t size) {
  if (end - from <= size) return end;
  return FindRowEnd(text, from + size, end).value_or(end);
}

std::string_view LocalName(pugi::xml_node node) {
  const char* name = node.name();
  const char* colon = std::strchr(name, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(name);
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element && LocalName(child) == local) return child;
  return {};
}

pugi::xml_attribute PrefixedAttribute(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    const char* colon = std::strchr(a.name(), ':');
    if (colon && local == colon + 1) return a;
  }
  return {};
}

std::optional<double> XmlNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> NearestFiniteNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc::result_out_of_range || end != text.data() + text.size()) return std::nullopt;
  // Too large, unless the exponent is negative: too small.
  const size_t e = text.find_first_of("eE");
  const bool tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
  const bool negative = text.front() == '-';
  if (tiny) return negative ? -0.0 : 0.0;
  return negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
}

bool XmlBool(pugi::xml_attribute attribute, bool absent) {
  if (!attribute) return absent;
  std::string_view v = attribute.value();
  return v == "1" || v == "true" || v == "on";
}

std::vector<Relationship> ReadRelationships(ZipArchive& zip, std::string_view partName) {
  const size_t slash = partName.rfind('/');
  const std::string folder(slash == std::string_view::npos ? std::string_view() : partName.substr(0, slash + 1));
  const std::string file(slash == std::string_view::npos ? partName : partName.substr(slash + 1));
  const std::string relsName = folder + "_rels/" + file + ".rels";
  std::vector<Relationship> relationships;
  if (!zip.Has(relsName)) return relationships;
  XmlPart rels(zip, relsName);
  for (pugi::xml_node r : Children(rels.Root(), "Relationship")) {
    Relationship relationship;
    relationship.id = r.attribute("Id").value();
    relationship.type = r.attribute("Type").value();
    relationship.external = std::string_view(r.attribute("TargetMode").value()) == "External";
    relationship.target =
        relationship.external ? r.attribute("Target").value() : ResolveTarget(partName, r.attribute("Target").value());
    relationships.push_back(std::move(relationship));
  }
  return relationships;
}

bool TypeIs(const Relationship& relationship, std::string_view kind) {
  std::string_view type = relationship.type;
  return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
         type[type.size() - kind.size() - 1] == '/';
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodePercent(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

std::string ResolveTarget(std::string_view sourcePart, std::string_view target) {
  std::string path;
  if (!target.empty() && target.front() == '/') {
    path = DecodePercent(target.substr(1));
  } else {
    const size_t slash = sourcePart.rfind('/');
    path = std::string(slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash + 1)) +
           DecodePercent(target);
  }
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(std::move(segment));
    }
    start = end + 1;
  }
  std::string resolved;
  for (const auto& segment : segments) {
    if (!resolved.empty()) resolved += '/';
    resolved += segment;
  }
  return resolved;
}

std::string MessageText(std::string_view text, size_t limit) {
  std::string out;
  for (char c : text) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  if (out.size() <= limit) return out;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
  return out.substr(0, cut) + "...";
}

}  // namespace kestrel
