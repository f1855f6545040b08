// A small XML writer: elements, attributes and text, escaped, indented, UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

//   XmlWriter xml;  xml.Open("Units");  xml.Open("Metric"); xml.Attribute("linearUnit", "meter");
//   xml.Close(); xml.Close();  xml.Text() -> "<?xml ...?>\n<Units>\n  <Metric linearUnit=\"meter\"/>\n</Units>\n"
class XmlWriter {
 public:
  XmlWriter();
  void Open(std::string_view name);
  // Only between Open and the first child or content.
  void Attribute(std::string_view name, std::string_view value);
  void Attribute(std::string_view name, double value);  // the general form, "." always
  // Character content of the open element (no child elements after it).
  void Content(std::string_view text);
  void Close();
  // The document; every element must be closed.
  const std::string& Text() const { return out_; }

 private:
  void EndStartTag();
  std::string out_;
  std::vector<std::string> open_;
  bool startTagOpen_ = false;
  bool hasContent_ = false;
};

}  // namespace kestrel
