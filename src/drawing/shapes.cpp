// The layers of a drawing, its extents and how a TEXT's typed characters show.
#include "drawing/shapes.h"

#include <algorithm>

#include "util/unicode.h"

namespace kestrel {

const char* LayerName(DrawingLayer layer) {
  switch (layer) {
    case DrawingLayer::Sections:
      return "KESTREL-SECTIONS";
    case DrawingLayer::Stations:
      return "KESTREL-STATIONS";
    case DrawingLayer::CentrePoints:
      return "KESTREL-CENTRES";
    case DrawingLayer::LevelLabels:
      return "KESTREL-LEVELS";
    case DrawingLayer::Design:
      return "KESTREL-DESIGN";
  }
  return "0";
}

int LayerColourIndex(DrawingLayer layer) {
  switch (layer) {
    case DrawingLayer::Sections:
      return 7;
    case DrawingLayer::Stations:
      return 3;
    case DrawingLayer::CentrePoints:
      return 6;
    case DrawingLayer::LevelLabels:
      return 1;
    case DrawingLayer::Design:
      return 5;
  }
  return 7;
}

void DrawingExtents::Add(double x, double y) {
  if (empty) {
    minX = maxX = x;
    minY = maxY = y;
    empty = false;
    return;
  }
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

double EstimatedTextWidth(const LabelText& text) {
  double width = 0;
  for (const ShownRun& run : ShownTextOf(text.text)) {
    for (char16_t c : Utf8ToUtf16(run.text)) width += c >= 0x2E80 ? 1.0 : 0.8;
  }
  return width * text.height;
}

DrawingExtents ExtentsOf(const DrawingShapes& shapes, const TextWidth& textWidth) {
  DrawingExtents e;
  auto addText = [&](const LabelText& t) {
    const double w = textWidth(t) / 2, h = t.height / 2;
    e.Add(t.x - w, t.y - h);
    e.Add(t.x + w, t.y + h);
  };
  for (const auto& line : shapes.sectionLines)
    for (const PlanePoint& p : line) e.Add(p.x, p.y);
  for (const LabelText& t : shapes.stationLabels) addText(t);
  for (const PlanePoint& p : shapes.centrePoints) {
    e.Add(p.x - shapes.markerSize / 2, p.y - shapes.markerSize / 2);
    e.Add(p.x + shapes.markerSize / 2, p.y + shapes.markerSize / 2);
  }
  for (const LevelLabelShape& label : shapes.levelLabels) {
    for (const PlanePoint& p : label.triangle) e.Add(p.x, p.y);
    for (const LabelText& t : label.texts) addText(t);
  }
  for (const auto& line : shapes.designLines)
    for (const PlanePoint& p : line) e.Add(p.x, p.y);
  for (const LabelText& t : shapes.designLabels) addText(t);
  return e;
}

std::vector<ShownRun> ShownTextOf(std::string_view typed) {
  std::vector<ShownRun> runs(1);
  for (size_t i = 0; i < typed.size(); ++i) {
    if (typed[i] == '%' && i + 2 < typed.size() && typed[i + 1] == '%') {
      const char code = typed[i + 2];
      const char* sign = nullptr;
      switch (code) {
        case 'u':
        case 'U': {
          const bool next = !runs.back().underlined;
          if (runs.back().text.empty())
            runs.back().underlined = next;
          else
            runs.push_back({"", next});
          i += 2;
          continue;
        }
        case 'd':
        case 'D':
          sign = "\u00B0";
          break;
        case 'p':
        case 'P':
          sign = "\u00B1";
          break;
        case 'c':
        case 'C':
          sign = "\u2300";
          break;
        case '%':
          sign = "%";
          break;
        default:
          break;
      }
      if (sign) {
        runs.back().text += sign;
        i += 2;
        continue;
      }
    }
    runs.back().text += typed[i];
  }
  if (runs.size() > 1 && runs.back().text.empty()) runs.pop_back();
  return runs;
}

}  // namespace kestrel
