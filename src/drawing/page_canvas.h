// A page drawn in millimetres, y down: lines, filled shapes and texts, as each renderer draws them.
#pragma once

#include <string>
#include <vector>

#include "drawing/shapes.h"

namespace kestrel {

struct Colour {
  double r = 0, g = 0, b = 0;  // 0 to 1
};

enum class TextAlign { Left, Centre, Right };

class PageCanvas {
 public:
  virtual ~PageCanvas() = default;
  virtual void Polyline(const std::vector<PlanePoint>& points, Colour colour, double width, bool dashed = false) = 0;
  virtual void FillPolygon(const std::vector<PlanePoint>& points, Colour colour) = 0;
  // The advance of a text of this height (the font size), in millimetres.
  virtual double TextWidth(const std::string& text, double height) = 0;
  // A text on its baseline at (x, y), aligned there, turned `degrees` counter-clockwise.
  virtual void Text(const std::string& text, double x, double y, double height, Colour colour, TextAlign align,
                    double degrees = 0) = 0;
};

}  // namespace kestrel
