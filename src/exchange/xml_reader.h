// A small XML reader for exchange files: a bounded tree, no document type, no entity expansion.
#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

// A file that cannot be read as an exchange file: the message is one plain line.
class ExchangeError : public std::runtime_error {
 public:
  explicit ExchangeError(const std::string& what) : std::runtime_error(what) {}
};

// One element: its local name (any namespace prefix dropped), attributes (local names), its
// text (character data outside child elements; whitespace before the first other character is
// never kept) and children in document order.
struct XmlElement {
  std::string Name;
  std::vector<std::pair<std::string, std::string>> Attributes;
  std::string Text;
  std::vector<XmlElement> Children;

  // The attribute's value, or nullptr.
  const std::string* Attribute(std::string_view name) const;
  // The first child of that name, or nullptr.
  const XmlElement* Child(std::string_view name) const;
  std::vector<const XmlElement*> ChildrenNamed(std::string_view name) const;
};

// Limits that keep a hostile file's cost to its content.
struct XmlLimits {
  int MaxDepth = 64;
  std::size_t MaxElements = 1'000'000;  // about 100 MB of tree at the most
  std::size_t MaxTextBytes = 256u << 20;  // all kept text and attribute values together
};

// Reads a whole document: the root element. A document type declaration (and with it every
// entity but the five predefined ones and character references) is refused, as are mismatched
// tags, text outside the root and anything past a limit: ExchangeError says where.
//   <a x="1"><b>2 3</b><!-- c --></a> -> {a, {x=1}, "", {{b, {}, "2 3"}}}
XmlElement ReadXml(std::istream& in, const XmlLimits& limits = {});

}  // namespace kestrel
