// Level labels: a triangle and the level above it, as shapes and as the AutoCAD command text.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kestrel {

// A point of the drawing, in drawing units (metres).
struct PlanePoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const PlanePoint&, const PlanePoint&) = default;
};

// One TEXT the commands place: middle-centre at (x, y), rotation 0. The height is kept as the
// command types it, since that text is what a CAD program reads: "1", "0.7", "12." (a height of
// 12.0004 with three decimals).
struct LabelText {
  double x = 0;
  double y = 0;
  std::string heightText;
  double height = 0;  // the number heightText reads as
  std::string text;   // as typed; "%%U" switches the underline on and off
};

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

// What one label draws: a closed triangle with its tip on the point and its base 0.6h above it
// (h = height / 0.7), then the level 1.05h above the point; with offsets, the level underlined
// 2h above the point and the offset 1.05h above it, so that the underline parts the two.
struct LevelLabelShape {
  std::array<PlanePoint, 3> triangle;  // tip, upper right, upper left
  std::vector<LabelText> texts;        // the level; or the underlined level, then the offset
};

LevelLabelShape LevelLabelShapeOf(const LevelLabel& label, bool withOffsets);

// The label's command string. Without offsets:
//   "pl 200,100 200.4,100.6 199.6,100.6 c -text j MC 200,101.05 0.7 0 100"
// with offsets the two TEXT commands are parted by a carriage return:
//   "pl ... c -text j MC 200,102 0.7 0 %%U100\r -text j MC 200,101.05 0.7 0 -4"
std::string LevelLabelCommand(const LevelLabel& label, bool withOffsets);

}  // namespace kestrel
