// Comments parts and their VML drawings, written from the model's notes.
#include "io/xlsx_writer_notes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "io/xlsx_strings.h"
#include "io/xlsx_writer_parts.h"
#include "util/unicode.h"

namespace kestrel {

namespace {

constexpr int kStandardWidthPixels = 128;
constexpr int kStandardHeightPixels = 74;

std::string Number(double v) {
  char buffer[64];
  return std::string(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + sizeof buffer, v).ptr - buffer));
}

void AppendRun(std::string& xml, const std::string& text, bool bold) {
  if (text.empty()) return;
  xml += "<r><rPr>";
  if (bold) xml += "<b/>";
  xml += "<sz val=\"8\"/><color indexed=\"81\"/><rFont val=\"Tahoma\"/><family val=\"2\"/></rPr>";
  xml += "<t xml:space=\"preserve\">";
  AppendXmlText(xml, text);
  xml += "</t></r>";
}

}  // namespace

int PointsToPixels(double points) {
  return static_cast<int>(std::lround(std::clamp(points * 4 / 3, 1.0, 65535.0)));
}

std::string NotesPart(const std::vector<WrittenNote>& notes) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<authors><author></author></authors><commentList>";
  for (const WrittenNote& n : notes) {
    const std::string text = EncodeEscapes(n.note.text);
    const size_t bold = static_cast<size_t>(std::max(n.note.boldLength, 0));
    xml += "<comment ref=\"" + CellA1(n.at) + "\" authorId=\"0\"><text>";
    AppendRun(xml, CodePointSubstr(text, 0, bold), true);
    AppendRun(xml, CodePointSubstr(text, bold), false);
    if (text.empty()) xml += "<t></t>";
    xml += "</text></comment>";
  }
  return xml + "</commentList></comments>";
}

std::string NoteBoxesPart(const std::vector<WrittenNote>& notes, int sheetNumber) {
  std::string xml =
      "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
      "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
      "<o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"" + std::to_string(sheetNumber) + "\"/>"
      "</o:shapelayout>"
      "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" path=\"m,l,21600r21600,l21600,xe\">"
      "<v:stroke joinstyle=\"miter\"/><v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>";
  int shape = sheetNumber * 1024 + 1;
  for (const WrittenNote& n : notes) {
    const int width = n.note.width > 0 ? PointsToPixels(n.note.width) : kStandardWidthPixels;
    const int height = n.note.height > 0 ? PointsToPixels(n.note.height) : kStandardHeightPixels;
    const int row = n.at.row - 1, column = n.at.column - 1;
    xml += "<v:shape id=\"_x0000_s" + std::to_string(shape++) +
           "\" type=\"#_x0000_t202\" style=\"position:absolute;margin-left:0;margin-top:0;width:" +
           Number(width * 0.75) + "pt;height:" + Number(height * 0.75) + "pt;z-index:1;visibility:" +
           (n.note.visible ? "visible" : "hidden") +
           "\" fillcolor=\"#ffffe1\" o:insetmode=\"auto\"><v:fill color2=\"#ffffe1\"/>"
           "<v:shadow on=\"t\" color=\"black\" obscured=\"t\"/><v:path o:connecttype=\"none\"/>"
           "<v:textbox style=\"mso-direction-alt:auto\"><div style=\"text-align:left\"></div></v:textbox>"
           "<x:ClientData ObjectType=\"Note\"><x:MoveWithCells/><x:SizeWithCells/><x:Anchor>" +
           std::to_string(column + 1) + ", 15, " + std::to_string(std::max(row - 1, 0)) + ", 10, " +
           std::to_string(column + 3) + ", 15, " + std::to_string(row + 3) + ", 4</x:Anchor>"
           "<x:AutoFill>False</x:AutoFill><x:Row>" + std::to_string(row) + "</x:Row><x:Column>" +
           std::to_string(column) + "</x:Column>" + (n.note.visible ? "<x:Visible/>" : "") +
           "</x:ClientData></v:shape>";
  }
  return xml + "</xml>";
}

}  // namespace kestrel
