// kestrel save-zm and save-hp: the profile and cross-slope tables of a sheet saved as .ZM and .hp files.
#include <CLI/CLI.hpp>

#include <memory>

#include "commands.h"
#include "file_checks.h"
#include "geometry/profile_file.h"
#include "geometry/slope_file.h"

namespace kestrel {
namespace {

struct SaveOptions {
  BookOptions book;
  std::string file;
};

int Save(CliContext& context, SaveOptions options, CommandOutcome (*save)(CommandContext&)) {
  CheckOutputs(options.book.book, "", {{"FILE", options.file}});
  options.book.oneSheet = true;
  context.OpenBook(options.book);
  context.Ui().QueueSaveFile(options.file);
  CommandContext command = context.Command();
  return save(command) == CommandOutcome::Completed ? kExitDone : kExitError;
}

}  // namespace

CliCommand AddSaveZmCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SaveOptions>();
  CLI::App* command = app.add_subcommand(
      "save-zm", "save the sheet's vertical profile (A station, B elevation, C radius) as a .ZM file");
  CliContext::AddBookOptions(*command, options->book, false, false);
  command->add_option("FILE", options->file, "the profile file to write")->required();
  return {command, [&context, options] { return Save(context, *options, SaveProfileFile); }};
}

CliCommand AddSaveHpCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SaveOptions>();
  CLI::App* command = app.add_subcommand(
      "save-hp", "save the sheet's cross slope or widening (A station, B left, C right) as a .hp file");
  CliContext::AddBookOptions(*command, options->book, false, false);
  command->add_option("FILE", options->file, "the cross-slope or widening file to write")->required();
  return {command, [&context, options] { return Save(context, *options, SaveSlopeFile); }};
}

const CommandRegistrar kSaveZmCommandRegistrar(62, AddSaveZmCommand);
const CommandRegistrar kSaveHpCommandRegistrar(64, AddSaveHpCommand);

}  // namespace kestrel
