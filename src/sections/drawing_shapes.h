// The shapes one draw-data run draws, taken from its plan: what the DXF, the script and the
// preview render, each in its own form, so that all three draw what the command columns draw;
// and the one entry that renders a plan with the design outlines a workbook holds.
#pragma once

#include <vector>

#include "drawing/shapes.h"
#include "drawing/sheet_layout.h"
#include "sections/draw_data.h"
#include "sections/section_sheets.h"

namespace kestrel {

// Example: the worked example's plan gives 2 section lines, 2 station labels, 2 centre points
// ((200, 11.3333333333333) and (400, 21)) and 6 level labels.
DrawingShapes ShapesOfPlan(const DrawingPlan& plan);

// A drawing plan with its design outlines, in every form it leaves in: the shapes (which
// DrawingDxf, DrawingScript and the overview picture render) and the sections as the
// cross-section sheets draw them (which the sheet layout and the plot take).
struct RenderedDrawing {
  DrawingShapes Shapes;
  std::vector<SheetSection> Sheets;
};
// Every drawn section that has a design outline at its station gets its design line placed as
// the section's points are (BaseX + offset, BaseY + level) and two texts centred above the higher
// of both lines, one and two and a half text heights up: "挖方面积 12.345" and "填方面积 0.000"
// (square metres, three decimals), of the station labels' height.
RenderedDrawing RenderDrawing(const DrawingPlan& plan, const DesignResults& design);

}  // namespace kestrel
