// kestrel volume: a cut-and-fill volume sheet on a new sheet of the workbook, through its dialog.
#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "commands.h"
#include "volumes/draw_sheet_command.h"
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
  // The options go into the dialog as a person would choose and type them; its own rules,
  // messages and refusals apply.
  context.Dialogs().Queue([&context, &options](Presenter& presenter) {
    auto& form = dynamic_cast<FormDrawVSheet&>(presenter);
    if (options.variant != 0) form.ComboVMode.listIndex = options.variant / 2 - 1;
    form.ComboHDMnumber.listIndex =
        options.fillStations ? FormDrawVSheet::kDetectSections : FormDrawVSheet::kTypeSections;
    form.OnComboHDMnumberClick();
    if (options.fillStations && form.ComboHDMnumber.listIndex != FormDrawVSheet::kDetectSections) {
      return;  // no recorded sections: the dialog said so
    }
    if (options.sections) form.TextDrawDMnumber.text = *options.sections;
    form.OnCommandOKClick();
    if (form.Visible()) {
      // OK does nothing for a number beyond a sheet's row numbers, without a message of its own.
      context.Err() << "kestrel: the dialog did not accept " << form.TextDrawDMnumber.text
                    << " sections (too many)\n";
    }
  });
  CommandContext command = context.Command();
  return context.Finish(FunhdmDrawSheet(command, context.GetSession(), context.GetSession()), options.book);
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
