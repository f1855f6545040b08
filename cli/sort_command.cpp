// kestrel sort: the initial sort of a measured-section sheet, with the sort dialog's entries.
#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "commands.h"
#include "dictionary_option.h"
#include "file_checks.h"
#include "sections/form_sort.h"
#include "sections/initial_sort.h"

namespace kestrel {
namespace {

struct SortOptions {
  BookOptions book;
  std::string spacing = "5";
  std::string tolerance = "1";
  std::string dic;
};

int Sort(CliContext& context, const SortOptions& options) {
  if (!options.dic.empty()) RequireInputFile(options.dic);
  context.OpenBook(options.book);
  // The entries pass the dialog's own checks and messages.
  if (!options.dic.empty() && !LoadDictionary(context, options.dic))
    return context.Finish(CommandOutcome::Cancelled, options.book);
  std::optional<SortRequest> request =
      SortRequestFrom({options.spacing, options.tolerance, !options.dic.empty()}, context.Ui());
  if (!request) return context.Finish(CommandOutcome::Cancelled, options.book);
  CommandContext command = context.Command();
  return context.Finish(SortSurvey(command, *request, context.GetSession().Sections), options.book);
}

}  // namespace

CliCommand AddSortCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SortOptions>();
  CLI::App* command = app.add_subcommand("sort", "sort surveyed points into sections by station (the initial sort)");
  CliContext::AddBookOptions(*command, options->book, true, true);
  command->add_option("--spacing", options->spacing, "section spacing in whole metres")->capture_default_str();
  command->add_option("--dic", options->dic, "match stations against this station-location dictionary (.Dic)");
  command->add_option("--tolerance", options->tolerance, "matching tolerance in metres, with --dic")
      ->capture_default_str();
  return {command, [&context, options] { return Sort(context, *options); }};
}

const CommandRegistrar kSortCommandRegistrar(40, AddSortCommand);

}  // namespace kestrel
