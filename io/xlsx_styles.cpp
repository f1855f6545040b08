// styles.xml: number formats, fonts, borders and alignment of each cellXfs entry.
#include "io/xlsx_styles.h"

#include <map>

#include "io/xlsx_xml.h"

namespace kestrel {

namespace {

int IntAttribute(pugi::xml_node node, const char* name, int absent) {
  std::optional<double> value = XmlNumber(node.attribute(name));
  return value && *value >= 0 && *value <= 1e9 ? static_cast<int>(*value) : absent;
}

FontStyle ReadFont(pugi::xml_node font, const XlsxPalette& palette) {
  FontStyle style;
  if (pugi::xml_node name = Child(font, "name")) style.name = name.attribute("val").value();
  if (auto size = XmlNumber(Child(font, "sz").attribute("val")); size && *size > 0 && *size <= 409) style.size = *size;
  if (pugi::xml_node bold = Child(font, "b")) style.bold = XmlBool(bold.attribute("val"), true);
  if (auto rgb = palette.Resolve(Child(font, "color"))) style.color = HostColor(*rgb);
  return style;
}

LineStyle Edge(pugi::xml_node border, const char* name, const char* alternative) {
  pugi::xml_node edge = Child(border, name);
  if (!edge) edge = Child(border, alternative);
  std::string_view style = edge.attribute("style").value();
  return style.empty() || style == "none" ? LineStyle::None : LineStyle::Continuous;
}

CellBorders ReadBorder(pugi::xml_node border) {
  CellBorders b;
  b.left = Edge(border, "left", "start");
  b.right = Edge(border, "right", "end");
  b.top = Edge(border, "top", "top");
  b.bottom = Edge(border, "bottom", "bottom");
  return b;
}

HAlign Horizontal(std::string_view value) {
  if (value == "left") return HAlign::Left;
  if (value == "center" || value == "centerContinuous") return HAlign::Center;
  if (value == "right") return HAlign::Right;
  if (value == "fill") return HAlign::Fill;
  return HAlign::General;  // also justify and distributed, which the sheet model does not know
}

VAlign Vertical(std::string_view value) {
  if (value == "top") return VAlign::Top;
  if (value == "center") return VAlign::Center;
  return VAlign::Bottom;
}

}  // namespace

std::string BuiltInNumberFormat(int id) {
  switch (id) {
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13: return "# ??/??";
    case 14: return "mm-dd-yy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "m/d/yy h:mm";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mmss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return "General";
  }
}

XlsxStyles::XlsxStyles(pugi::xml_node styleSheet, const XlsxPalette& palette) {
  std::map<int, std::string> numberFormats;
  for (pugi::xml_node f : Children(Child(styleSheet, "numFmts"), "numFmt")) {
    int id = IntAttribute(f, "numFmtId", -1);
    std::string code = f.attribute("formatCode").value();
    if (id >= 0 && !code.empty()) numberFormats[id] = code;
  }
  std::vector<FontStyle> fonts;
  for (pugi::xml_node f : Children(Child(styleSheet, "fonts"), "font")) fonts.push_back(ReadFont(f, palette));
  std::vector<CellBorders> borders;
  for (pugi::xml_node b : Children(Child(styleSheet, "borders"), "border")) borders.push_back(ReadBorder(b));

  for (pugi::xml_node xf : Children(Child(styleSheet, "cellXfs"), "xf")) {
    // The apply* flags are not consulted: writers set them inconsistently, and the ids always
    // name what the cell shows.
    CellStyle style;
    const int numFmtId = IntAttribute(xf, "numFmtId", 0);
    auto custom = numberFormats.find(numFmtId);
    style.numberFormat = custom != numberFormats.end() ? custom->second : BuiltInNumberFormat(numFmtId);
    const int fontId = IntAttribute(xf, "fontId", 0);
    if (fontId < static_cast<int>(fonts.size())) style.font = fonts[fontId];
    const int borderId = IntAttribute(xf, "borderId", 0);
    if (borderId < static_cast<int>(borders.size())) style.borders = borders[borderId];
    if (pugi::xml_node alignment = Child(xf, "alignment")) {
      style.horizontal = Horizontal(alignment.attribute("horizontal").value());
      style.vertical = Vertical(alignment.attribute("vertical").value());
      style.wrapText = XmlBool(alignment.attribute("wrapText"));
    }
    formats_.push_back(std::move(style));
  }
  if (formats_.empty()) formats_.emplace_back();
}

}  // namespace kestrel
