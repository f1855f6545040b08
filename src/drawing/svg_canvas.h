// A PageCanvas that writes an SVG document in millimetres.
#pragma once

#include <string>
#include <vector>

#include "drawing/page_canvas.h"
#include "util/xml_writer.h"

namespace kestrel {

//   SvgCanvas svg(420, 297);
//   svg.Text("土石方", 10, 20, 5, {0, 0, 0}, TextAlign::Left);
//   svg.Document()  // "<?xml ...?>\n<svg ... width=\"420mm\" ...>...</svg>\n"
class SvgCanvas : public PageCanvas {
 public:
  SvgCanvas(double widthMm, double heightMm);
  void Polyline(const std::vector<PlanePoint>& points, Colour colour, double width, bool dashed = false) override;
  void FillPolygon(const std::vector<PlanePoint>& points, Colour colour) override;
  // Estimated from the characters: a CJK or full-width character 1 em, any other 0.56 em.
  double TextWidth(const std::string& text, double height) override;
  void Text(const std::string& text, double x, double y, double height, Colour colour, TextAlign align,
            double degrees = 0) override;
  // The whole document; the canvas is finished with it.
  std::string Document();

 private:
  XmlWriter xml_;
};

}  // namespace kestrel
