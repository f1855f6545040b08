// The SVG page: one element per line, shape and text, on a white page.
#include "drawing/svg_canvas.h"

#include <cstdio>

#include "util/number_text.h"

namespace kestrel {
namespace {

// The fonts a reader tries, in order: the drawing font, then those Windows and others carry.
constexpr const char* kFonts = "'WenQuanYi Micro Hei', 'Microsoft YaHei', SimHei, 'Noto Sans CJK SC', sans-serif";

std::string Hex(Colour c) {
  auto byte = [](double v) { return static_cast<int>(v < 0 ? 0 : v > 1 ? 255 : v * 255 + 0.5); };
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b));
  return text;
}

std::string Mm(double v) { return FormatDecimal(RoundHalfAway(v, 3), 3); }

std::string Points(const std::vector<PlanePoint>& points) {
  std::string text;
  for (const PlanePoint& p : points) text += (text.empty() ? "" : " ") + Mm(p.x) + "," + Mm(p.y);
  return text;
}

// The UTF-8 sequences of a text: whether each lead byte starts a wide (CJK, full-width) character.
double Ems(const std::string& text) {
  double ems = 0;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    ems += length >= 3 ? 1.0 : 0.56;
    i += length;
  }
  return ems;
}

}  // namespace

SvgCanvas::SvgCanvas(double widthMm, double heightMm) {
  xml_.Open("svg");
  xml_.Attribute("xmlns", "http://www.w3.org/2000/svg");
  xml_.Attribute("width", Mm(widthMm) + "mm");
  xml_.Attribute("height", Mm(heightMm) + "mm");
  xml_.Attribute("viewBox", "0 0 " + Mm(widthMm) + " " + Mm(heightMm));
  xml_.Open("rect");
  xml_.Attribute("width", widthMm);
  xml_.Attribute("height", heightMm);
  xml_.Attribute("fill", "#ffffff");
  xml_.Close();
}

void SvgCanvas::Polyline(const std::vector<PlanePoint>& points, Colour colour, double width, bool dashed) {
  xml_.Open("polyline");
  xml_.Attribute("points", Points(points));
  xml_.Attribute("fill", "none");
  xml_.Attribute("stroke", Hex(colour));
  xml_.Attribute("stroke-width", width);
  xml_.Attribute("stroke-linejoin", "round");
  if (dashed) xml_.Attribute("stroke-dasharray", "2 1.2");
  xml_.Close();
}

void SvgCanvas::FillPolygon(const std::vector<PlanePoint>& points, Colour colour) {
  xml_.Open("polygon");
  xml_.Attribute("points", Points(points));
  xml_.Attribute("fill", Hex(colour));
  xml_.Close();
}

double SvgCanvas::TextWidth(const std::string& text, double height) { return Ems(text) * height; }

void SvgCanvas::Text(const std::string& text, double x, double y, double height, Colour colour, TextAlign align,
                     double degrees) {
  xml_.Open("text");
  xml_.Attribute("x", Mm(x));
  xml_.Attribute("y", Mm(y));
  xml_.Attribute("font-family", kFonts);
  xml_.Attribute("font-size", height);
  xml_.Attribute("fill", Hex(colour));
  if (align != TextAlign::Left) xml_.Attribute("text-anchor", align == TextAlign::Centre ? "middle" : "end");
  if (degrees != 0) xml_.Attribute("transform", "rotate(" + Mm(-degrees) + " " + Mm(x) + " " + Mm(y) + ")");
  xml_.Content(text);
  xml_.Close();
}

std::string SvgCanvas::Document() {
  xml_.Close();
  return xml_.Text();
}

}  // namespace kestrel
