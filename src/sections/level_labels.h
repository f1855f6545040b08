// Level labels: a triangle and the level above it, as shapes and as the AutoCAD command text.
#pragma once

#include <string>

#include "drawing/shapes.h"

namespace kestrel {

// The text from its point, typed height and text; height is read from the typed height.
LabelText MakeLabelText(double x, double y, std::string heightText, std::string text);

// "-text j MC 200,20 1 0 K0+100.000": TEXT, middle-centre at the point, height, rotation 0.
std::string TextCommand(const LabelText& text);

// One label: the point (x, y) it marks, its texts and the text height.
struct LevelLabel {
  double x = 0;
  double y = 0;
  std::string levelText;
  std::string offsetText;  // "NoD" when offsets are not labelled
  double height = 0.7;
};

LevelLabelShape LevelLabelShapeOf(const LevelLabel& label, bool withOffsets);

// The label's command string. Without offsets:
//   "pl 200,100 200.4,100.6 199.6,100.6 c -text j MC 200,101.05 0.7 0 100"
// with offsets the two TEXT commands are parted by a carriage return:
//   "pl ... c -text j MC 200,102 0.7 0 %%U100\r -text j MC 200,101.05 0.7 0 -4"
std::string LevelLabelCommand(const LevelLabel& label, bool withOffsets);

}  // namespace kestrel
