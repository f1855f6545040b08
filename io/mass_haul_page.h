// The mass-haul diagram as one A3 landscape page: a PDF, an SVG or a PNG picture, through cairo.
#pragma once

#include <string>

#include "drawing/mass_haul_plot.h"

namespace kestrel {

// Whether the file name ends in .pdf, .svg or .png (any case).
bool IsMassHaulFileName(const std::string& path);

// Draws the page: title and notes, the station axis in K form, the volume axis in m³, the
// mass curve, the balance line, the free-haul chords, the hauls as arrows labelled with volume
// and distance (a label that does not fit beside its arrow is left off and counted in the
// notes), barriers as dashed lines, and a legend. The file appears whole or not at all.
// Returns "" on success, else the reason.
//   WriteMassHaulPage(MassHaulDiagramOf(table), "haul.pdf");
std::string WriteMassHaulPage(const MassHaulPlot& plot, const std::string& path);

}  // namespace kestrel
