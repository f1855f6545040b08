// The sheet layout options on the command line.
#include "sheet_options.h"

#include <CLI/CLI.hpp>

#include <cmath>

#include "cli_context.h"
#include "util/number_text.h"

namespace kestrel {

void AddSheetArguments(CLI::App& command, SheetArguments& arguments) {
  command.add_option("--paper", arguments.paper, "paper size: A4, A3 or A1")->capture_default_str();
  command.add_flag("--landscape", arguments.landscape, "turn the paper (wider than high)");
  command.add_option("--scale", arguments.scale, "drawing scale, 1:n")->capture_default_str();
  command.add_option("--vertical-exaggeration", arguments.exaggeration, "levels drawn this many times larger")
      ->check(CLI::Range(0.1, 100.0))
      ->capture_default_str();
  command.add_option("--columns", arguments.columns,
                     "columns of sections on a page (0: as many as the widest section leaves room for)")
      ->check(CLI::Range(0, kMostColumns))
      ->capture_default_str();
}

SheetOptions SheetOptionsOf(const SheetArguments& arguments) {
  SheetOptions options;
  const std::optional<PaperSize> paper = PaperNamed(arguments.paper, arguments.landscape);
  if (!paper) throw CliError("--paper: A4, A3 or A1, not " + arguments.paper);
  options.paper = *paper;
  std::string scale = arguments.scale;
  if (scale.rfind("1:", 0) == 0) scale = scale.substr(2);
  const std::optional<double> n = StrictNumber(scale);
  if (!n || *n < 1 || *n > 100000 || *n != std::floor(*n))
    throw CliError("--scale: 1:n with a whole n from 1 to 100000, e.g. 1:200, not " + arguments.scale);
  options.scale = static_cast<int>(*n);
  // The range check lets NaN through: no comparison with it holds.
  if (!(arguments.exaggeration >= 0.1 && arguments.exaggeration <= 100))
    throw CliError("--vertical-exaggeration: a number from 0.1 to 100, not " + GeneralText(arguments.exaggeration));
  options.exaggeration = arguments.exaggeration;
  options.columns = arguments.columns;
  return options;
}

}  // namespace kestrel
