// The design sections in a drawing: each design line over its section and its areas beside it.
#pragma once

#include <vector>

#include "earthworks/design_section.h"
#include "sections/drawing_shapes.h"

namespace kestrel {

// Adds to the shapes of a draw-data plan, for every drawn section that has a design section of
// the same station (within 1 mm), its design line placed as the section's points are
// (BaseX + offset, BaseY + level) and two texts centred above the higher of both lines, one and
// two and a half text heights up: "挖方面积 12.345" and "填方面积 0.000" (square metres, three
// decimals), of the station labels' height.
void AddDesignShapes(DrawingShapes& shapes, const DrawingPlan& plan, const std::vector<DesignSection>& design);

}  // namespace kestrel
