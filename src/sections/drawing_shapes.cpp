// The shapes of a draw-data plan (section lines, station labels, centre points, level labels),
// with the design lines and area texts over them, and the plan's sections as sheets draw them.
#include "sections/drawing_shapes.h"

#include <algorithm>
#include <cmath>

#include "util/number_format.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

void AddDesignShapes(DrawingShapes& shapes, const SectionDrawing& section, const DesignOutline& design,
                     double textHeight) {
  std::vector<PlanePoint>& line = shapes.designLines.emplace_back();
  double top = -HUGE_VAL;
  for (const PlanePoint& p : design.points) {
    line.push_back({section.BaseX + p.x, section.BaseY + p.y});
    top = std::max(top, section.BaseY + p.y);
  }
  for (const SurveyedPoint& p : section.Surveyed.Points) top = std::max(top, section.Placed(p).y);
  const std::string height = FormatDecimal(textHeight, 3);
  shapes.designLabels.push_back({section.BaseX, top + 2.5 * textHeight, height, textHeight,
                                 "挖方面积 " + FormatNumber(design.cutArea.value_or(0), "0.000")});
  shapes.designLabels.push_back({section.BaseX, top + 1.0 * textHeight, height, textHeight,
                                 "填方面积 " + FormatNumber(design.fillArea.value_or(0), "0.000")});
}

}  // namespace

DrawingShapes ShapesOfPlan(const DrawingPlan& plan) {
  DrawingShapes shapes;
  shapes.markerSize = plan.levelTextHeight;
  for (const SectionDrawing& section : plan.sections) {
    if (section.Surveyed.Points.size() >= 2) {
      std::vector<PlanePoint>& line = shapes.sectionLines.emplace_back();
      for (const SurveyedPoint& p : section.Surveyed.Points) line.push_back(section.Placed(p));
    }
    shapes.stationLabels.push_back(StationLabelText(section, plan.stationTextHeight));
    if (section.CentreLevel != 0) shapes.centrePoints.push_back({section.BaseX, section.BaseY + section.CentreLevel});
  }
  for (const LevelLabel& label : plan.labels) shapes.levelLabels.push_back(LevelLabelShapeOf(label, plan.withOffsets));
  return shapes;
}

RenderedDrawing RenderDrawing(const DrawingPlan& plan, const DesignResults& design) {
  RenderedDrawing rendered{ShapesOfPlan(plan), {}};
  rendered.Sheets.reserve(plan.sections.size());
  for (const SectionDrawing& section : plan.sections) {
    std::optional<DesignOutline> outline = design.OutlineAt(section.Surveyed.Station);
    if (outline && !outline->points.empty())
      AddDesignShapes(rendered.Shapes, section, *outline, plan.stationTextHeight);
    rendered.Sheets.push_back(SheetSectionOf(section.Surveyed, std::move(outline)));
  }
  SortByStation(rendered.Sheets);
  return rendered;
}

}  // namespace kestrel
