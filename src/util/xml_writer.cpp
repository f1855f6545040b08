// A small XML writer: elements, attributes and text, escaped, indented, UTF-8.
#include "util/xml_writer.h"

#include "util/number_text.h"

namespace kestrel {
namespace {

void Escape(std::string& out, std::string_view text, bool attribute) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += attribute ? "&quot;" : "\""; break;
      case '\n': out += attribute ? "&#10;" : "\n"; break;
      default: out += c;
    }
  }
}

}  // namespace

XmlWriter::XmlWriter() { out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; }

void XmlWriter::EndStartTag() {
  if (!startTagOpen_) return;
  out_ += '>';
  startTagOpen_ = false;
}

void XmlWriter::Open(std::string_view name) {
  EndStartTag();
  if (!open_.empty()) out_ += '\n';
  out_.append(2 * open_.size(), ' ');
  out_ += '<';
  out_ += name;
  open_.emplace_back(name);
  startTagOpen_ = true;
  hasContent_ = false;
}

void XmlWriter::Attribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  Escape(out_, value, true);
  out_ += '"';
}

void XmlWriter::Attribute(std::string_view name, double value) { Attribute(name, GeneralText(value)); }

void XmlWriter::Content(std::string_view text) {
  EndStartTag();
  Escape(out_, text, false);
  hasContent_ = true;
}

void XmlWriter::Close() {
  const std::string name = open_.back();
  open_.pop_back();
  if (startTagOpen_) {
    out_ += "/>";
    startTagOpen_ = false;
  } else {
    if (!hasContent_) {
      out_ += '\n';
      out_.append(2 * open_.size(), ' ');
    }
    out_ += "</" + name + ">";
  }
  hasContent_ = false;
  if (open_.empty()) out_ += '\n';
}

}  // namespace kestrel
