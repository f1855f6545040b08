// kestrel haul: the roadbed earthwork quantity and distribution table, and the mass-haul diagram.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>
#include <sstream>

#include "commands.h"
#include "file_checks.h"
#include "haul/haul_sheet.h"
#include "haul/mass_haul_diagram.h"
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

std::vector<std::string> Fields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::stringstream in(text);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

double StationField(const char* option, const std::string& field, const std::string& whole) {
  const std::optional<double> station = StationArgument(field);
  if (!station) throw CliError(std::string(option) + ": a station such as K1+200 or 1200, not " + whole);
  return *station;
}

double NumberField(const char* option, const std::string& field, const std::string& whole) {
  const std::optional<double> n = StrictNumber(field);
  if (!n) throw CliError(std::string(option) + ": not a number in " + whole);
  return *n;
}

// "K1+200,K1+260" -> the range.
StationRange RangeArgument(const std::string& text) {
  const std::vector<std::string> f = Fields(text, ',');
  if (f.size() != 2) throw CliError("--exclude: FROM,TO (two stations), not " + text);
  return {StationField("--exclude", f[0], text), StationField("--exclude", f[1], text)};
}

// "K0+000,K0+500,0,60,40,0,0,0" -> the shares of the six classes over the range.
ClassRange ClassArgument(const std::string& text) {
  const std::vector<std::string> f = Fields(text, ',');
  if (f.size() != 2 + kSoilClasses)
    throw CliError("--class: FROM,TO and six per cents (I to VI), not " + text);
  ClassRange range{StationField("--class", f[0], text), StationField("--class", f[1], text), {}};
  for (int c = 0; c < kSoilClasses; ++c) range.Percent[c] = NumberField("--class", f[2 + c], text);
  return range;
}

HaulRequest RequestOf(const HaulOptions& options) {
  HaulRequest request = options.request;
  request.RoadClass = options.roadClass;
  if (!DefaultFactors(options.roadClass, request.Factors))
    throw CliError("--road-class: " + std::string(kHighRoadClass) + " or " + kLowRoadClass + ", not " + options.roadClass);
  if (!options.factors.empty()) {
    const std::vector<std::string> f = Fields(options.factors, ',');
    if (f.size() != kSoilClasses) throw CliError("--factors: six factors (I to VI), not " + options.factors);
    for (int c = 0; c < kSoilClasses; ++c) request.Factors[c] = NumberField("--factors", f[c], options.factors);
  }
  for (const std::string& t : options.excluded) request.Volumes.Excluded.push_back(RangeArgument(t));
  for (const std::string& t : options.classes) request.Classes.push_back(ClassArgument(t));
  for (const std::string& t : options.barriers) request.Barriers.push_back(StationField("--barrier", t, t));
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
    table = ComputeHaulTable(ReadHaulStations(book.Active()), request);
  } catch (const HaulError& e) {
    throw CliError(e.what());
  }
  if (!options.diagram.empty()) {
    const std::string error = WriteMassHaulPage(MassHaulDiagramOf(table), options.diagram);
    if (!error.empty()) throw CliError(error);
  }
  CommandContext command = context.Command();
  command.host->AddSheet();
  WriteHaulSheet(command.host->ActiveSheet(), table);
  double hauled = 0;
  for (const Haul& h : table.Hauls.Hauls) hauled += h.Volume;
  double borrowed = 0, wasted = 0;
  for (const HaulRow& r : table.Rows) {
    borrowed += r.Borrow;
    wasted += r.Waste;
  }
  context.Err() << "distributed " << table.Rows.size() << " lengths: hauled " << GeneralText(hauled)
                << " m³, borrowed " << GeneralText(borrowed) << " m³, wasted " << GeneralText(wasted)
                << " m³; cost " << GeneralText(table.Hauls.TotalCost()) << " 元\n";
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
