// Rich texts of a .xlsx file: runs, superscripts, leading bold and the _xHHHH_ escapes.
#include "io/xlsx_strings.h"

#include "io/xlsx_xml.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-16 unit of "_xHHHH_" at text[i], or -1.
int EscapeAt(std::string_view text, size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return -1;
  int unit = 0;
  for (size_t k = 2; k < 6; ++k) {
    int digit = Hex(text[i + k]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

bool IsOn(pugi::xml_node flag) {
  if (!flag) return false;
  pugi::xml_attribute val = flag.attribute("val");
  return !val || XmlBool(val);
}

}  // namespace

std::string DecodeEscapes(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::u16string units;  // consecutive escapes, decoded together so that surrogate pairs join
  for (size_t i = 0; i < text.size();) {
    int unit = EscapeAt(text, i);
    if (unit >= 0) {
      units += static_cast<char16_t>(unit);
      i += 7;
      continue;
    }
    if (!units.empty()) {
      out += Utf16ToUtf8(units);
      units.clear();
    }
    out += text[i++];
  }
  if (!units.empty()) out += Utf16ToUtf8(units);
  return out;
}

std::string EncodeEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  static const char kDigits[] = "0123456789ABCDEF";
  size_t from = 0;  // start of the characters not copied yet
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '_') continue;
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out.append(text, from, i - from);
      out += "_x00";
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
      out += '_';
      from = i + 1;
    } else if (c == '_' && EscapeAt(text, i) >= 0) {
      out.append(text, from, i - from);
      out += "_x005F_";
      from = i + 1;
    }
  }
  out.append(text, from, text.size() - from);
  return out;
}

RichText ReadRichText(pugi::xml_node holder) {
  RichText rich;
  int position = 1;  // code point where the next run starts
  bool leadingBold = true;
  for (pugi::xml_node node = holder.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element) continue;
    std::string_view name = LocalName(node);
    if (name == "t") {
      std::string part = DecodeEscapes(node.text().get());
      rich.text += part;
      position += static_cast<int>(CodePointCount(part));
      leadingBold = false;
    } else if (name == "r") {
      std::string part = DecodeEscapes(Child(node, "t").text().get());
      const int length = static_cast<int>(CodePointCount(part));
      pugi::xml_node format = Child(node, "rPr");
      if (length > 0) {
        if (std::string_view(Child(format, "vertAlign").attribute("val").value()) == "superscript")
          rich.superscripts.push_back({position, length});
        if (leadingBold && IsOn(Child(format, "b")))
          rich.boldLength += length;
        else
          leadingBold = false;
      }
      rich.text += part;
      position += length;
    }
  }
  return rich;
}

}  // namespace kestrel
