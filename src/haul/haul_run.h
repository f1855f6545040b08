// The distribution run on the host's active sheet, shared by the command line and the add-in:
// the table computed, the diagram page drawn when named, the table sheet added to the book.
#pragma once

#include <string>

#include "host/application.h"
#include "drawing/mass_haul_plot.h"
#include "haul/haul_table.h"

namespace kestrel {

// Draws the mass-haul diagram page to a file: "" when written, else the reason. The platforms
// with a page renderer have one; where there is none it is null and no diagram is offered.
using MassHaulPageWriter = std::string (*)(const MassHaulPlot& plot, const std::string& path);

// From the active sheet (design results or a volume sheet): the table of the request, the
// diagram page when `diagram` is named, then a new sheet in front with the table
// (WriteHaulSheet). HaulError for stations or a page that fail, before the book changes.
//   HaulTable table = RunHaulOnActiveSheet(book, request, "haul.pdf", WriteMassHaulPage);
HaulTable RunHaulOnActiveSheet(Application& book, const HaulRequest& request, const std::string& diagram,
                               MassHaulPageWriter writePage);

// What a finished distribution moved, in compacted m³, and what it costs in 元.
struct HaulTotals {
  double Hauled = 0, Borrowed = 0, Wasted = 0, Cost = 0;
};
HaulTotals TotalsOf(const HaulTable& table);

}  // namespace kestrel
