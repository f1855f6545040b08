// kestrel haul: the roadbed earthwork quantity and distribution table, and the mass-haul diagram.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "commands.h"
#include "file_checks.h"
#include "haul/haul_request_text.h"
#include "haul/haul_run.h"
#include "io/mass_haul_page.h"
#include "sheet_options.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

struct HaulOptions {
  BookOptions book;
  HaulRequest request;
  std::vector<std::string> excluded, classes, barriers;
  std::string roadClass = kHighRoadClass;
  std::string factors;
  std::string diagram;
};

HaulRequest RequestOf(const HaulOptions& options) {
  HaulRequest request = options.request;
  request.RoadClass = options.roadClass;
  if (!DefaultFactors(options.roadClass, request.Factors))
    throw CliError("--road-class: " + std::string(kHighRoadClass) + " or " + kLowRoadClass + ", not " + options.roadClass);
  try {
    if (!options.factors.empty()) FactorsOfText("--factors", options.factors, request.Factors);
    for (const std::string& t : options.excluded) request.Volumes.Excluded.push_back(RangeOfText("--exclude", t));
    for (const std::string& t : options.classes) request.Classes.push_back(ClassRangeOfText("--class", t));
    for (const std::string& t : options.barriers) request.Barriers.push_back(StationOfText("--barrier", t, t));
  } catch (const HaulError& e) {
    throw CliError(e.what());
  }
  if (std::string problem = HaulRequestProblem(request); !problem.empty()) throw CliError(problem);
  return request;
}

int RunHaul(CliContext& context, const HaulOptions& options) {
  const HaulRequest request = RequestOf(options);
  if (!options.diagram.empty()) {
    if (!IsMassHaulFileName(options.diagram)) throw CliError("--diagram: a .pdf, .svg or .png file: " + options.diagram);
    CheckOutputs(options.book.book, options.book.output, {{"--diagram", options.diagram}});
  }
  MemoryWorkbook& book = context.OpenBook(options.book);
  HaulTable table;
  try {
    table = RunHaulOnActiveSheet(book, request, options.diagram, WriteMassHaulPage);
  } catch (const HaulError& e) {
    throw CliError(e.what());
  }
  const HaulTotals totals = TotalsOf(table);
  context.Err() << "distributed " << table.Rows.size() << " lengths: hauled " << GeneralText(totals.Hauled)
                << " m³, borrowed " << GeneralText(totals.Borrowed) << " m³, wasted " << GeneralText(totals.Wasted)
                << " m³; cost " << GeneralText(totals.Cost) << " 元\n";
  return context.Finish(CommandOutcome::Completed, options.book);
}

}  // namespace

CliCommand AddHaulCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<HaulOptions>();
  CLI::App* command = app.add_subcommand(
      "haul",
      "add the earthwork quantity and distribution table (路基土石方数量计算表): volumes by class, use in place, "
      "the least-cost haul, borrow and waste; from the active sheet, a design results or a volume sheet");
  CliContext::AddBookOptions(*command, options->book, true, false);
  HaulRequest& r = options->request;
  HaulPrices& p = r.Prices;
  command->add_option("--free-haul", p.FreeHaul, "metres hauled at no charge")->capture_default_str();
  command->add_option("--overhaul-price", p.Overhaul, "元 per m³ and km beyond the free haul")->capture_default_str();
  command->add_option("--borrow-price", p.Borrow, "元 per m³ borrowed")->capture_default_str();
  command->add_option("--waste-price", p.Waste, "元 per m³ wasted")->capture_default_str();
  command->add_option("--borrow-distance", r.BorrowDistance, "metres to the borrow pit (shown)")->capture_default_str();
  command->add_option("--waste-distance", r.WasteDistance, "metres to the spoil area (shown)")->capture_default_str();
  command->add_option("--barrier", options->barriers, "a station no haul crosses (repeat for more)");
  command->add_option("--road-class", options->roadClass,
                      std::string("conversion factors of ") + kHighRoadClass + " or " + kLowRoadClass)
      ->capture_default_str();
  command->add_option("--factors", options->factors, "bank per compacted m³ of classes I to VI: f1,...,f6");
  command->add_option("--class", options->classes,
                      "FROM,TO,I,II,III,IV,V,VI: per cents of the six classes over a range (repeat); default all II");
  command->add_option("--exclude", options->excluded, "FROM,TO: a bridge or tunnel left out of the volumes (repeat)");
  command->add_flag("--prismoidal", r.Volumes.Prismoidal,
                    "take the prismoidal correction L/12·(c1−c2)(D1−D2) off wholly cut or fill lengths");
  command->add_option("--frustum-ratio", r.Volumes.FrustumRatio,
                      "the frustum form where one area exceeds the other this many times (0: never)")
      ->capture_default_str();
  command->add_flag("--pyramid", r.Volumes.Pyramid, "a pyramid A·L/3 where an area falls to zero at a cut-fill change");
  command->add_option("--rows-per-page", r.RowsPerPage, "station rows between two 本页合计 rows")->capture_default_str();
  command->add_option("--diagram", options->diagram, "also draw the mass-haul diagram: a .pdf, .svg or .png");
  return {command, [&context, options] { return RunHaul(context, *options); }};
}

const CommandRegistrar kHaulCommandRegistrar(86, AddHaulCommand);

}  // namespace kestrel
