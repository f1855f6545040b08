// The mass-haul diagram laid out on one A3 landscape page, for any PageCanvas.
#pragma once

#include <string>

#include "drawing/mass_haul_plot.h"
#include "drawing/page_canvas.h"

namespace kestrel {

inline constexpr double kMassHaulPageWidth = 420, kMassHaulPageHeight = 297;  // mm

// "" when the plot can be drawn, else the reason.
std::string MassHaulPlotProblem(const MassHaulPlot& plot);

// Draws the page: title and notes, the station axis in K form, the volume axis in m³, the mass
// curve, the balance line, the free-haul chords, the hauls as arrows labelled with volume and
// distance (a label that does not fit beside its arrow is left off and counted in the notes),
// barriers as dashed lines, and a legend.
void PaintMassHaulPage(const MassHaulPlot& plot, PageCanvas& canvas);

// The page as an SVG document (millimetres), its text widths estimated from the characters.
std::string MassHaulSvg(const MassHaulPlot& plot);

// Writes that document to a file named .svg, whole or not at all: "" when written, else the
// reason. The page writer of a platform without another renderer.
//   WriteMassHaulSvgFile(MassHaulDiagramOf(table), "haul.svg");
std::string WriteMassHaulSvgFile(const MassHaulPlot& plot, const std::string& path);

}  // namespace kestrel
