// AddDesignShapes: design lines and area texts placed over the drawn sections.
#include "earthworks/design_drawing.h"

#include <algorithm>
#include <cmath>

#include "util/number_format.h"
#include "util/number_text.h"

namespace kestrel {

void AddDesignShapes(DrawingShapes& shapes, const DrawingPlan& plan, const std::vector<DesignSection>& design) {
  const double h = plan.stationTextHeight;
  for (const SectionDrawing& section : plan.sections) {
    const SectionRecord& r = section.record;
    const auto found = std::find_if(design.begin(), design.end(), [&](const DesignSection& d) {
      return std::abs(d.Station - r.Station) < 1e-3;
    });
    if (found == design.end() || found->Outline.empty()) continue;
    std::vector<PlanePoint>& line = shapes.designLines.emplace_back();
    double top = -HUGE_VAL;
    for (const SectionPoint& p : found->Outline) {
      line.push_back({r.BaseX + p.Offset, r.BaseY + p.Level});
      top = std::max(top, r.BaseY + p.Level);
    }
    for (const DrawnPoint& p : section.points) top = std::max(top, p.y);
    const std::string height = FormatDecimal(h, 3);
    shapes.designLabels.push_back({r.BaseX, top + 2.5 * h, height, h, "挖方面积 " + FormatNumber(found->Areas.Cut(), "0.000")});
    shapes.designLabels.push_back({r.BaseX, top + 1.0 * h, height, h, "填方面积 " + FormatNumber(found->Areas.Fill(), "0.000")});
  }
}

}  // namespace kestrel
