// kestrel plot: printable cross-section sheets of a sorted survey, a PDF or an SVG per page.
#include <CLI/CLI.hpp>

#include <memory>

#include "commands.h"
#include "earthworks/design_results.h"
#include "file_checks.h"
#include "io/section_plot.h"
#include "sections/section_sheets.h"
#include "sheet_options.h"
#include "util/number_text.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

struct PlotOptions {
  BookOptions book;
  std::string output;
  SheetArguments sheet;
  std::string from;
  std::string to;
};

std::optional<double> StationOption(const char* name, const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::optional<double> station = TypedStation(text);
  if (!station) throw CliError(std::string(name) + ": a station such as K12+235.5 or 12235.5, not " + text);
  return station;
}

int Plot(CliContext& context, const PlotOptions& options) {
  if (!IsSheetFileName(options.output)) throw CliError("-o: a .pdf or an .svg file: " + options.output);
  CheckOutputs(options.book.book, "", {{"-o", options.output}});
  const SheetOptions sheetOptions = SheetOptionsOf(options.sheet);
  const std::optional<double> from = StationOption("--from", options.from);
  const std::optional<double> to = StationOption("--to", options.to);
  MemoryWorkbook& book = context.OpenBook(options.book);
  Worksheet& sheet = book.Active();
  const std::vector<SheetSection> sections =
      SheetSectionsOf(ReadSurveyedSections(sheet), *WorkbookDesignResults(book), from, to);
  if (sections.empty()) {
    context.Err() << "no sections to plot on sheet " << sheet.Name()
                  << ((from || to) ? " between the stations given" : "")
                  << " (a sorted survey: names in A, levels in D, stations in F, offsets in G, an empty row "
                     "between sections)\n";
    return kExitStopped;
  }
  const SheetLayout layout = LayOutSheets(sections, sheetOptions);
  const std::string title = PathToUtf8(PathFromUtf8(options.book.book).filename()) + "  " + sheet.Name();
  const std::string error = WriteSectionSheets(sections, layout, title, options.output, [&](int page, int pages) {
    context.Progress("plotting page " + std::to_string(page) + " of " + std::to_string(pages));
  });
  context.Progress("");
  if (!error.empty()) throw CliError(error);
  int scaledDown = 0;
  int notDrawn = 0;
  std::string stations;  // the first three not drawn
  for (const PlacedSection& p : layout.placed) {
    scaledDown += p.scaledDown ? 1 : 0;
    if (p.drawable) continue;
    if (++notDrawn <= 3) stations += (stations.empty() ? "" : ", ") + sections[p.section].stationText;
  }
  if (notDrawn > 3) stations += " and " + std::to_string(notDrawn - 3) + " more";
  const std::vector<std::string> files = SheetFileNames(options.output, layout.pages);
  context.Err() << "wrote " << files.front() << (files.size() > 1 ? " to " + files.back() : "") << ": "
                << sections.size() << (sections.size() == 1 ? " section" : " sections") << " on " << layout.pages
                << (layout.pages == 1 ? " page" : " pages");
  if (scaledDown > 0) context.Err() << ", " << scaledDown << " scaled down to fit a column";
  if (notDrawn > 0)
    context.Err() << ", " << notDrawn << " with offsets or levels beyond any scale shown by station and note ("
                  << stations << ")";
  context.Err() << "\n";
  return kExitDone;
}

}  // namespace

CliCommand AddPlotCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<PlotOptions>();
  CLI::App* command = app.add_subcommand("plot", "write printable cross-section sheets (PDF, or an SVG per page)");
  CliContext::AddBookOptions(*command, options->book, false, false);
  command->add_option("-o,--output", options->output, "the sheets: a .pdf, or .svg for one file per page")
      ->required();
  AddSheetArguments(*command, options->sheet);
  command->add_option("--from", options->from, "first station plotted (K12+235.5 or 12235.5)");
  command->add_option("--to", options->to, "last station plotted");
  return {command, [&context, options] { return Plot(context, *options); }};
}

const CommandRegistrar kPlotCommandRegistrar(75, AddPlotCommand);

}  // namespace kestrel
