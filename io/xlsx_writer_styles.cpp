// The styles part: number formats, fonts, borders and style records of the cell styles written.
#include "io/xlsx_writer_styles.h"

#include <charconv>
#include <cstdio>

#include "io/xlsx_writer_parts.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

constexpr int kFirstCustomNumberFormat = 164;

std::string Number(double v) {
  char buffer[64];
  return std::string(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + sizeof buffer, v).ptr - buffer));
}

const char* HorizontalName(HAlign align) {
  switch (align) {
    case HAlign::Left: return "left";
    case HAlign::Center: return "center";
    case HAlign::Right: return "right";
    case HAlign::Fill: return "fill";
    case HAlign::General: break;
  }
  return nullptr;
}

const char* VerticalName(VAlign align) {
  switch (align) {
    case VAlign::Top: return "top";
    case VAlign::Center: return "center";
    case VAlign::Bottom: break;  // the file's default
  }
  return nullptr;
}

// The host's continuous line of standard weight is the file's thin line.
std::string Edge(const char* name, LineStyle line) {
  if (line != LineStyle::Continuous) return std::string("<") + name + "/>";
  return std::string("<") + name + " style=\"thin\"><color auto=\"1\"/></" + name + ">";
}

}  // namespace

std::string ArgbColor(long hostColor) {
  const unsigned long c = static_cast<unsigned long>(hostColor) & 0xFFFFFF;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "FF%02lX%02lX%02lX", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buffer;
}

WriterStyles::WriterStyles() { Record(CellStyle{}); }

template <typename T>
int WriterStyles::Index(std::map<T, int>& index, std::vector<T>& items, const T& item) {
  auto [it, added] = index.try_emplace(item, static_cast<int>(items.size()));
  if (added) items.push_back(item);
  return it->second;
}

int WriterStyles::NumberFormat(const std::string& code) {
  if (AsciiLower(code) == "general") return 0;
  auto [it, added] = numberFormats_.try_emplace(code, kFirstCustomNumberFormat + static_cast<int>(numberFormatCodes_.size()));
  if (added) numberFormatCodes_.push_back(code);
  return it->second;
}

int WriterStyles::Record(const CellStyle& style, bool superscript) {
  auto key = std::make_pair(style, superscript);
  if (auto it = byStyle_.find(key); it != byStyle_.end()) return it->second;
  RecordKey record;
  record.numberFormat = NumberFormat(style.numberFormat);
  record.font = Index(fontIndex_, fonts_, Font{style.font, superscript});
  record.border = Index(borderIndex_, borders_, style.borders);
  record.horizontal = style.horizontal;
  record.vertical = style.vertical;
  record.wrapText = style.wrapText;
  const int index = Index(recordIndex_, records_, record);
  byStyle_.emplace(std::move(key), index);
  return index;
}

std::string WriterStyles::Part() const {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
  if (!numberFormatCodes_.empty()) {
    xml += "<numFmts count=\"" + std::to_string(numberFormatCodes_.size()) + "\">";
    for (size_t i = 0; i < numberFormatCodes_.size(); ++i)
      xml += "<numFmt numFmtId=\"" + std::to_string(kFirstCustomNumberFormat + i) + "\" formatCode=\"" +
             XmlAttributeText(numberFormatCodes_[i]) + "\"/>";
    xml += "</numFmts>";
  }
  // A font left at the model's default is the file's default font: Calibri 11, automatic colour.
  xml += "<fonts count=\"" + std::to_string(fonts_.size()) + "\">";
  for (const Font& f : fonts_) {
    xml += "<font>";
    if (f.font.bold) xml += "<b/>";
    if (f.superscript) xml += "<vertAlign val=\"superscript\"/>";
    xml += "<sz val=\"" + Number(f.font.size) + "\"/>";
    xml += f.font.color != 0 ? "<color rgb=\"" + ArgbColor(f.font.color) + "\"/>" : "<color theme=\"1\"/>";
    xml += "<name val=\"" + XmlAttributeText(f.font.name) + "\"/><family val=\"2\"/>";
    if (f.font.name == "Calibri") xml += "<scheme val=\"minor\"/>";
    xml += "</font>";
  }
  xml += "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>";
  xml += "<borders count=\"" + std::to_string(borders_.size()) + "\">";
  for (const CellBorders& b : borders_)
    xml += "<border>" + Edge("left", b.left) + Edge("right", b.right) + Edge("top", b.top) +
           Edge("bottom", b.bottom) + "<diagonal/></border>";
  xml += "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
         "</cellStyleXfs>";
  xml += "<cellXfs count=\"" + std::to_string(records_.size()) + "\">";
  for (const RecordKey& r : records_) {
    xml += "<xf numFmtId=\"" + std::to_string(r.numberFormat) + "\" fontId=\"" + std::to_string(r.font) +
           "\" fillId=\"0\" borderId=\"" + std::to_string(r.border) + "\" xfId=\"0\"";
    if (r.numberFormat) xml += " applyNumberFormat=\"1\"";
    if (r.font) xml += " applyFont=\"1\"";
    if (r.border) xml += " applyBorder=\"1\"";
    const char* h = HorizontalName(r.horizontal);
    const char* v = VerticalName(r.vertical);
    if (!h && !v && !r.wrapText) {
      xml += "/>";
      continue;
    }
    xml += " applyAlignment=\"1\"><alignment";
    if (h) xml += std::string(" horizontal=\"") + h + "\"";
    if (v) xml += std::string(" vertical=\"") + v + "\"";
    if (r.wrapText) xml += " wrapText=\"1\"";
    xml += "/></xf>";
  }
  xml += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
         "<dxfs count=\"0\"/><tableStyles count=\"0\"/></styleSheet>";
  return xml;
}

}  // namespace kestrel
