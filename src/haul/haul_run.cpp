// RunHaulOnActiveSheet: from the active sheet to the table sheet and the diagram page.
#include "haul/haul_run.h"

#include "haul/haul_sheet.h"
#include "haul/mass_haul_diagram.h"

namespace kestrel {

HaulTable RunHaulOnActiveSheet(Application& book, const HaulRequest& request, const std::string& diagram,
                               MassHaulPageWriter writePage) {
  HaulTable table = ComputeHaulTable(ReadHaulStations(book.ActiveSheet()), request);
  if (!diagram.empty()) {
    if (writePage == nullptr) throw HaulError(diagram + ": this platform draws no diagram page");
    const std::string error = writePage(MassHaulDiagramOf(table), diagram);
    if (!error.empty()) throw HaulError(error);
  }
  book.AddSheet();
  WriteHaulSheet(book.ActiveSheet(), table);
  return table;
}

HaulTotals TotalsOf(const HaulTable& table) {
  HaulTotals totals;
  for (const Haul& h : table.Hauls.Hauls) totals.Hauled += h.Volume;
  for (const HaulRow& r : table.Rows) {
    totals.Borrowed += r.Borrow;
    totals.Wasted += r.Waste;
  }
  totals.Cost = table.Hauls.TotalCost();
  return totals;
}

}  // namespace kestrel
