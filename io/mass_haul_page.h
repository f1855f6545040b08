// The mass-haul diagram as one A3 landscape page in a file: a PDF or PNG through cairo, or an SVG.
#pragma once

#include <string>

#include "drawing/mass_haul_plot.h"

namespace kestrel {

// Whether the file name ends in .pdf, .svg or .png (any case).
bool IsMassHaulFileName(const std::string& path);

// Writes the page PaintMassHaulPage draws; the file appears whole or not at all. Returns "" on
// success, else the reason.
//   WriteMassHaulPage(MassHaulDiagramOf(table), "haul.pdf");
std::string WriteMassHaulPage(const MassHaulPlot& plot, const std::string& path);

}  // namespace kestrel
