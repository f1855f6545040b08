// Level labels: the triangle and the level (and offset) text as shapes and as AutoCAD commands.
#include "sections/level_labels.h"

#include "util/number_text.h"

namespace kestrel {

LabelText MakeLabelText(double x, double y, std::string heightText, std::string text) {
  const double height = LeadingNumber(heightText);
  return {x, y, std::move(heightText), height, std::move(text)};
}

std::string TextCommand(const LabelText& text) {
  return "-text j MC " + GeneralText(text.x) + "," + GeneralText(text.y) + " " + text.heightText + " 0 " + text.text;
}

LevelLabelShape LevelLabelShapeOf(const LevelLabel& label, bool withOffsets) {
  const double x = label.x, y = label.y, height = label.height;
  const double h = height / 0.7;
  LevelLabelShape shape;
  shape.triangle = {PlanePoint{x, y}, PlanePoint{x + 0.4 * h, y + 0.6 * h}, PlanePoint{x - 0.4 * h, y + 0.6 * h}};
  if (!withOffsets) {
    shape.texts.push_back(MakeLabelText(x, y + 1.05 * h, GeneralText(height), label.levelText));
  } else {
    shape.texts.push_back(MakeLabelText(x, y + 2 * h, GeneralText(height), "%%U" + label.levelText));
    shape.texts.push_back(MakeLabelText(x, y + 1.05 * h, GeneralText(height), label.offsetText));
  }
  return shape;
}

std::string LevelLabelCommand(const LevelLabel& label, bool withOffsets) {
  const LevelLabelShape shape = LevelLabelShapeOf(label, withOffsets);
  std::string command = "pl";
  for (const PlanePoint& p : shape.triangle) command += " " + GeneralText(p.x) + "," + GeneralText(p.y);
  command += " c " + TextCommand(shape.texts[0]);
  // The second TEXT follows a carriage return (no line feed): the cell holds two commands.
  if (shape.texts.size() > 1) command += "\r " + TextCommand(shape.texts[1]);
  return command;
}

}  // namespace kestrel
