// Reading the shared strings in runs of whole <si> entries.
#include "io/xlsx_shared_strings.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "io/workbook_file_error.h"
#include "util/unicode.h"
#include "io/xlsx_strings.h"
#include "io/xlsx_xml.h"

namespace kestrel {
namespace {

constexpr size_t kRunBytes = size_t{2} << 20;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The root element's content as [begin, end) with the prefix of its name ("" or "x:"), when the
// part holds nothing but elements and text (no comment, CDATA, declaration or instruction after
// the XML declaration) and its root is <sst>; nothing otherwise.
std::optional<std::pair<std::pair<size_t, size_t>, std::string>> SstContent(std::string_view text) {
  if (HoldsMarkup(text, '!')) return std::nullopt;
  size_t open = 0;  // the root's start tag, after the XML declaration
  while ((open = text.find('<', open)) != std::string_view::npos && open + 1 < text.size() && text[open + 1] == '?') {
    const size_t declarationEnd = text.find("?>", open);
    if (declarationEnd == std::string_view::npos) return std::nullopt;
    open = declarationEnd + 2;
  }
  if (open == std::string_view::npos) return std::nullopt;
  size_t nameEnd = open + 1;
  while (nameEnd < text.size() && !Blank(text[nameEnd]) && text[nameEnd] != '>' && text[nameEnd] != '/') ++nameEnd;
  const std::string_view name = text.substr(open + 1, nameEnd - open - 1);
  const size_t colon = name.find(':');
  if ((colon == std::string_view::npos ? name : name.substr(colon + 1)) != "sst") return std::nullopt;
  // The end of the start tag, past quoted attribute values.
  size_t tagEnd = nameEnd;
  for (char quote = 0; tagEnd < text.size(); ++tagEnd) {
    if (quote) {
      if (text[tagEnd] == quote) quote = 0;
    } else if (text[tagEnd] == '"' || text[tagEnd] == '\'') {
      quote = text[tagEnd];
    } else if (text[tagEnd] == '>') {
      break;
    }
  }
  if (tagEnd >= text.size() || text[tagEnd - 1] == '/') return std::nullopt;
  const std::string closing = "</" + std::string(name);
  const size_t close = text.rfind(closing);
  if (close == std::string_view::npos || close <= tagEnd) return std::nullopt;
  size_t after = close + closing.size();
  while (after < text.size() && Blank(text[after])) ++after;
  if (after >= text.size() || text[after] != '>') return std::nullopt;
  const std::pair<size_t, size_t> content(tagEnd + 1, close);
  if (HoldsMarkup(text.substr(content.first, content.second - content.first), '?'))
    return std::nullopt;
  return std::make_pair(content, colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1)));
}

// Where the run of entries starting at `from` ends: at the first entry's start tag at or beyond
// from + size (an <si> holds no other, and a text's "<" is escaped), or at `end`.
size_t EntryRunEnd(std::string_view text, size_t from, size_t end, size_t size, const std::string& prefix) {
  if (end - from <= size) return end;
  const std::string start = "<" + prefix + "si";
  for (size_t at = text.find(start, from + size); at != std::string_view::npos && at < end;
       at = text.find(start, at + 1)) {
    const char next = at + start.size() < end ? text[at + start.size()] : '\0';
    if (Blank(next) || next == '>' || next == '/') return at;
  }
  return end;
}

void AddEntries(pugi::xml_node holder, SharedStrings& strings) {
  for (pugi::xml_node si = holder.first_child(); si; si = si.next_sibling()) {
    if (si.type() != pugi::node_element || LocalName(si) != "si") continue;
    RichText text = ReadRichText(si);
    if (!text.superscripts.empty()) strings.superscripts.emplace(strings.texts.size(), std::move(text.superscripts));
    strings.texts.Add(std::move(text.text));
  }
}

// A run whose every entry is plain text in its simplest form (<si><t>text</t></si>, the <t> with
// xml:space="preserve" or nothing, the text without a character reference or a carriage return)
// is read without building its tree: its texts are the characters between the tags, as the
// parser would give them. Nothing is added unless the whole run has that form.
bool AddPlainEntries(std::string_view run, const std::string& prefix, SharedStrings& strings) {
  const std::string si = "<" + prefix + "si>", t = "<" + prefix + "t>",
                    preserved = "<" + prefix + "t xml:space=\"preserve\">",
                    close = "</" + prefix + "t></" + prefix + "si>";
  auto startsAt = [&](size_t at, std::string_view what) { return run.compare(at, what.size(), what) == 0; };
  std::vector<std::string_view> texts;
  for (size_t at = 0;;) {
    while (at < run.size() && Blank(run[at])) ++at;
    if (at == run.size()) break;
    if (!startsAt(at, si)) return false;
    at += si.size();
    if (startsAt(at, t)) {
      at += t.size();
    } else if (startsAt(at, preserved)) {
      at += preserved.size();
    } else {
      return false;
    }
    const size_t end = run.find('<', at);
    if (end == std::string_view::npos || !startsAt(end, close)) return false;
    const std::string_view text = run.substr(at, end - at);
    if (text.find_first_of("&\r") != std::string_view::npos) return false;
    texts.push_back(text);
    at = end + close.size();
  }
  for (std::string_view text : texts) strings.texts.Add(DecodeEscapes(text));
  return true;
}

}  // namespace

SharedStrings ReadSharedStrings(ZipArchive& zip, const std::string& part) {
  SharedStrings strings;
  std::string text = RepairUtf8(zip.Read(part));
  const auto content = SstContent(text);
  if (!content) {
    XmlPart whole(zip.Path(), part, std::move(text));
    AddEntries(whole.Root(), strings);
    return strings;
  }
  const auto [begin, end] = content->first;
  for (size_t from = begin; from < end;) {
    const size_t to = EntryRunEnd(text, from, end, kRunBytes, content->second);
    if (AddPlainEntries(std::string_view(text).substr(from, to - from), content->second, strings)) {
      from = to;
      continue;
    }
    std::string run = text.substr(from, to - from);
    CheckNodeCount(zip.Path(), part, run);
    pugi::xml_document doc;
    const pugi::xml_parse_result result =
        doc.load_buffer_inplace(run.data(), run.size(), kXmlParseOptions | pugi::parse_fragment);
    if (!result) {
      XmlPart check(zip.Path(), part, std::move(text));  // throws the whole part's message
      ThrowDamagedXml(zip.Path(), part, from + static_cast<size_t>(result.offset));
    }
    AddEntries(doc, strings);
    from = to;
  }
  return strings;
}

}  // namespace kestrel
