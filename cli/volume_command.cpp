// kestrel volume: a cut-and-fill volume sheet on a new sheet of the workbook, through its dialog.
#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "commands.h"
#include "volumes/volume_sheet.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {
namespace {

struct VolumeOptions {
  BookOptions book;
  int variant = 0;  // 0: the dialog's own choice
  std::optional<std::string> sections;  // typed as given, the empty text too
  bool fillStations = false;
};

int Volume(CliContext& context, const VolumeOptions& options) {
  context.OpenBook(options.book);
  // The options pass the dialog's own rules, messages and refusals.
  const DrawnSections& drawn = context.GetSession().Sections;
  if (options.fillStations && !CanFillStations(drawn, context.Ui()))
    return context.Finish(CommandOutcome::Cancelled, options.book);  // no recorded sections: said so
  VolumeSheetEntries entries;
  if (options.variant != 0) entries.VariantIndex = options.variant / 2 - 1;
  entries.FillStations = options.fillStations;
  if (options.fillStations) entries.Sections = std::to_string(drawn.SectionCount);
  if (options.sections) entries.Sections = *options.sections;
  const std::optional<VolumeSheetRequest> request = VolumeSheetRequestFrom(entries);
  if (!request) {
    // The dialog's OK does nothing for a number beyond a sheet's row numbers, without a message.
    context.Err() << "kestrel: the dialog did not accept " << entries.Sections << " sections (too many)\n";
    return context.Finish(CommandOutcome::Cancelled, options.book);
  }
  CommandContext command = context.Command();
  return context.Finish(DrawVolumeSheet(command, *request, drawn), options.book);
}

}  // namespace

CliCommand AddVolumeCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<VolumeOptions>();
  CLI::App* command = app.add_subcommand("volume", "add a cut-and-fill volume sheet (average end areas) to the workbook");
  CliContext::AddBookOptions(*command, options->book, true, false);
  command->add_option("--variant", options->variant,
                      "2: measured areas; 4: design and measured (the default); 6: design, measured and remaining")
      ->check(CLI::IsMember({2, 4, 6}));
  auto* sections = command->add_option("--sections", options->sections,
                                       "number of sections, as typed into the dialog (default 16)");
  auto* fill = command->add_flag("--fill-stations", options->fillStations,
                                 "one row per section of the last draw-data run, with its station in column A");
  sections->excludes(fill);
  return {command, [&context, options] { return Volume(context, *options); }};
}

const CommandRegistrar kVolumeCommandRegistrar(80, AddVolumeCommand);

}  // namespace kestrel
