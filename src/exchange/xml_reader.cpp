// A small XML reader for exchange files: a bounded tree, no document type, no entity expansion.
#include "exchange/xml_reader.h"

#include <array>
#include <cstdint>

#include "util/unicode.h"

namespace kestrel {

const std::string* XmlElement::Attribute(std::string_view name) const {
  for (const auto& [key, value] : Attributes)
    if (key == name) return &value;
  return nullptr;
}

const XmlElement* XmlElement::Child(std::string_view name) const {
  for (const XmlElement& child : Children)
    if (child.Name == name) return &child;
  return nullptr;
}

std::vector<const XmlElement*> XmlElement::ChildrenNamed(std::string_view name) const {
  std::vector<const XmlElement*> found;
  for (const XmlElement& child : Children)
    if (child.Name == name) found.push_back(&child);
  return found;
}

namespace {

constexpr int kEnd = -1;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsNameChar(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
         c == '-' || c == '.' || c >= 0x80;
}

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Reads the stream through a fixed buffer, so a file of any size costs what its kept content does.
class XmlParser {
 public:
  XmlParser(std::istream& in, const XmlLimits& limits) : in_(in), limits_(limits) {}

  XmlElement Document() {
    SkipByteOrderMark();
    if (!SkipMisc(true)) Fail("the file holds no XML element");
    XmlElement root;
    ReadElement(root, 1);
    if (SkipMisc(false)) Fail("a second root element");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw ExchangeError("not a readable XML file (line " + std::to_string(line_) + "): " + what);
  }

  int Peek() {
    if (pos_ == size_) {
      in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
      size_ = static_cast<std::size_t>(in_.gcount());
      pos_ = 0;
      if (size_ == 0) return kEnd;
    }
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  int Next() {
    const int c = Peek();
    if (c != kEnd) {
      ++pos_;
      if (c == '\n') ++line_;
    }
    return c;
  }
  void Expect(char c) {
    if (Next() != c) Fail(std::string("'") + c + "' expected");
  }
  void SkipSpace() {
    while (IsSpace(Peek())) Next();
  }
  void SkipByteOrderMark() {
    if (Peek() != 0xEF) return;
    Next();
    if (Next() != 0xBB || Next() != 0xBF) Fail("not UTF-8");
  }
  void SkipUntil(std::string_view end) {
    std::size_t matched = 0;
    while (matched < end.size()) {
      const int c = Next();
      if (c == kEnd) Fail("the file ends inside markup");
      matched = c == end[matched] ? matched + 1 : (c == end[0] ? 1 : 0);
    }
  }
  void SkipComment() {  // after "<!"
    Expect('-');
    Expect('-');
    SkipUntil("-->");
  }
  // Blanks, comments and processing instructions before or after the root: true when an element
  // starts (its '<' read), false at the end of the file.
  bool SkipMisc(bool beforeRoot) {
    for (;;) {
      SkipSpace();
      if (Peek() == kEnd) return false;
      if (Peek() != '<') Fail(beforeRoot ? "text before the first element" : "text after the root element");
      Next();
      if (Peek() == '?') {
        SkipUntil("?>");
      } else if (Peek() == '!') {
        Next();
        if (Peek() != '-') Fail("a document type declaration is not accepted");
        SkipComment();
      } else {
        return true;
      }
    }
  }

  void Keep(std::size_t bytes) {
    kept_ += bytes;
    if (kept_ > limits_.MaxTextBytes) Fail("more text than an exchange file may hold");
  }

  std::string Name() {
    std::string name;
    while (IsNameChar(Peek())) {
      name += static_cast<char>(Next());
      if (name.size() > 256) Fail("a name longer than 256 characters");
    }
    if (name.empty()) Fail("a name expected");
    return name;
  }

  // After '&': a predefined entity or a character reference.
  void Reference(std::string& out) {
    std::string ref;
    for (int c = Next(); c != ';'; c = Next()) {
      if (c == kEnd || ref.size() > 12) Fail("a malformed reference");
      ref += static_cast<char>(c);
    }
    if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "amp") out += '&';
    else if (ref == "quot") out += '"';
    else if (ref == "apos") out += '\'';
    else if (ref.size() > 1 && ref[0] == '#') {
      const bool hex = ref[1] == 'x';
      std::uint32_t code = 0;
      const std::size_t from = hex ? 2 : 1;
      if (ref.size() == from) Fail("a malformed character reference");
      for (std::size_t i = from; i < ref.size(); ++i) {
        const char c = ref[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) Fail("a malformed character reference");
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        if (code > 0x10FFFF) Fail("a character reference out of range");
      }
      if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) Fail("a character reference to no character");
      AppendUtf8(out, code);
    } else {
      Fail("the entity &" + ref + "; is not defined");
    }
  }

  void Attributes(XmlElement& element, bool& empty) {
    for (;;) {
      SkipSpace();
      const int c = Peek();
      if (c == '>') {
        Next();
        empty = false;
        return;
      }
      if (c == '/') {
        Next();
        Expect('>');
        empty = true;
        return;
      }
      std::string name = Name();
      SkipSpace();
      Expect('=');
      SkipSpace();
      const int quote = Next();
      if (quote != '"' && quote != '\'') Fail("an attribute value without quotes");
      std::string value;
      for (int v = Next(); v != quote; v = Next()) {
        if (v == kEnd) Fail("the file ends inside an attribute");
        if (v == '<') Fail("'<' inside an attribute");
        if (v == '&') Reference(value);
        else value += static_cast<char>(IsSpace(v) ? ' ' : v);
      }
      Keep(value.size() + name.size());
      if (name == "xmlns" || name.rfind("xmlns:", 0) == 0) continue;
      element.Attributes.emplace_back(std::string(LocalName(name)), std::move(value));
    }
  }

  void AddText(XmlElement& element, int c) {
    if (element.Text.empty() && IsSpace(c)) return;
    element.Text += static_cast<char>(c);
    Keep(1);
  }

  // After '<' of a start tag.
  void ReadElement(XmlElement& element, int depth) {
    if (depth > limits_.MaxDepth) Fail("elements nested too deep");
    if (++elements_ > limits_.MaxElements) Fail("more elements than an exchange file may hold");
    const std::string qualified = Name();
    element.Name = std::string(LocalName(qualified));
    bool empty = false;
    Attributes(element, empty);
    if (empty) return;
    for (;;) {
      const int c = Next();
      if (c == kEnd) Fail("the file ends inside <" + qualified + ">");
      if (c == '&') {
        std::string text;
        Reference(text);
        for (char t : text) AddText(element, static_cast<unsigned char>(t));
        continue;
      }
      if (c != '<') {
        AddText(element, c);
        continue;
      }
      const int d = Peek();
      if (d == '/') {
        Next();
        if (Name() != qualified) Fail("</" + qualified + "> expected");
        SkipSpace();
        Expect('>');
        return;
      }
      if (d == '?') {
        SkipUntil("?>");
      } else if (d == '!') {
        Next();
        if (Peek() == '-') {
          SkipComment();
        } else if (Peek() == '[') {
          for (char expected : std::string_view("[CDATA[")) Expect(expected);
          std::size_t matched = 0;
          std::string data;
          while (matched < 3) {
            const int x = Next();
            if (x == kEnd) Fail("the file ends inside CDATA");
            data += static_cast<char>(x);
            matched = x == "]]>"[matched] ? matched + 1 : (x == ']' ? (matched == 2 ? 2 : 1) : 0);
            Keep(1);
          }
          data.resize(data.size() - 3);
          for (char t : data) AddText(element, static_cast<unsigned char>(t));
        } else {
          Fail("a declaration inside an element");
        }
      } else {
        element.Children.emplace_back();
        ReadElement(element.Children.back(), depth + 1);
      }
    }
  }

  std::istream& in_;
  XmlLimits limits_;
  std::array<char, 1 << 16> buffer_{};
  std::size_t pos_ = 0, size_ = 0;
  long line_ = 1;
  std::size_t elements_ = 0;
  std::size_t kept_ = 0;
};

}  // namespace

XmlElement ReadXml(std::istream& in, const XmlLimits& limits) { return XmlParser(in, limits).Document(); }

}  // namespace kestrel
