// kestrel design and kestrel template: design sections with their cut and fill areas, and the
// commented example of a template file.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "commands.h"
#include "earthworks/design_command.h"
#include "earthworks/design_template.h"
#include "file_checks.h"

namespace kestrel {
namespace {

struct DesignOptions {
  BookOptions book;
  DesignRequest request;
};

int Design(CliContext& context, const DesignOptions& options) {
  context.OpenBook(options.book);
  CommandContext command = context.Command();
  std::vector<DesignSection> sections;
  // A DesignError ends the tool with its one line, before the workbook is written.
  const CommandOutcome outcome = RunDesign(command, options.request, &sections);
  if (outcome == CommandOutcome::Completed) {
    const int extended = SectionsWithGroundExtended(sections);
    context.Err() << "designed " << sections.size() << (sections.size() == 1 ? " section" : " sections");
    if (extended) context.Err() << ", " << extended << " with the ground line extended (see 备注)";
    context.Err() << "\n";
  }
  return context.Finish(outcome, options.book);
}

int Template(CliContext& context, const std::string& file) {
  RequireWritableOutput("FILE", file);
  if (!SaveTemplateText(file, TemplateExampleText())) throw CliError("cannot write " + file);
  context.Err() << "wrote " << file << "\n";
  return kExitDone;
}

}  // namespace

CliCommand AddDesignCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<DesignOptions>();
  CLI::App* command = app.add_subcommand(
      "design", "design sections on the sorted survey: the template run out to the ground, cut and fill areas");
  CliContext::AddBookOptions(*command, options->book, true, false);
  DesignFiles& files = options->request.Files;
  command->add_option("--profile", files.Profile, "the vertical profile (.ZM)")->required();
  command->add_option("--slopes", files.Slopes, "cross slopes in per cent (.hp); default: the template's");
  command->add_option("--widening", files.Widening, "widenings in metres (.hp); default: none");
  command->add_option("--template", files.Template, "the road template (.tpl; see kestrel template)")->required();
  command->add_flag("--volume", options->request.Volume, "also add a volume sheet filled with the design areas");
  command->add_option("--variant", options->request.Variant,
                      "that volume sheet's variant: 2 measured areas, 4 design and measured, 6 with remaining")
      ->check(CLI::IsMember({2, 4, 6}))
      ->capture_default_str();
  return {command, [&context, options] { return Design(context, *options); }};
}

CliCommand AddTemplateCommand(CLI::App& app, CliContext& context) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand("template", "write a commented example road template (.tpl)");
  command->add_option("FILE", *file, "the template file to write")->required();
  return {command, [&context, file] { return Template(context, *file); }};
}

const CommandRegistrar kDesignCommandRegistrar(85, AddDesignCommand);
const CommandRegistrar kTemplateCommandRegistrar(84, AddTemplateCommand);

}  // namespace kestrel
