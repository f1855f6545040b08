// The shapes one draw-data run draws, taken from its plan: what the DXF, the script and the
// preview render, each in its own form, so that all three draw what the command columns draw.
#pragma once

#include "drawing/shapes.h"
#include "sections/draw_data.h"

namespace kestrel {

// Example: the worked example's plan gives 2 section lines, 2 station labels, 2 centre points
// ((200, 11.3333333333333) and (400, 21)) and 6 level labels.
DrawingShapes ShapesOfPlan(const DrawingPlan& plan);

}  // namespace kestrel
