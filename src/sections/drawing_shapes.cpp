// The shapes of a draw-data plan: section lines, station labels, centre points, level labels.
#include "sections/drawing_shapes.h"

namespace kestrel {

DrawingShapes ShapesOfPlan(const DrawingPlan& plan) {
  DrawingShapes shapes;
  shapes.markerSize = plan.levelTextHeight;
  for (const SectionDrawing& section : plan.sections) {
    if (section.points.size() >= 2) {
      std::vector<PlanePoint>& line = shapes.sectionLines.emplace_back();
      for (const DrawnPoint& p : section.points) line.push_back({p.x, p.y});
    }
    shapes.stationLabels.push_back(StationLabelText(section, plan.stationTextHeight));
    const SectionRecord& r = section.record;
    if (r.CentreLevel != 0) shapes.centrePoints.push_back({r.BaseX, r.BaseY + r.CentreLevel});
  }
  for (const LevelLabel& label : plan.labels) shapes.levelLabels.push_back(LevelLabelShapeOf(label, plan.withOffsets));
  return shapes;
}

}  // namespace kestrel
