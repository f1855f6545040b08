// kestrel save-dic and show-dic: the station-location dictionary file from and to a sheet.
#include <CLI/CLI.hpp>

#include <memory>

#include "commands.h"
#include "file_checks.h"
#include "sections/dictionary_file.h"

namespace kestrel {
namespace {

struct SaveDicOptions {
  BookOptions book;
  std::string file;
};

int SaveDic(CliContext& context, SaveDicOptions options) {
  CheckOutputs(options.book.book, "", {{"FILE", options.file}});
  options.book.oneSheet = true;
  context.OpenBook(options.book);
  context.Ui().QueueSaveFile(options.file);
  CommandContext command = context.Command();
  CommandOutcome outcome = SaveDictionaryCommand(command, context.GetSession().Sections);
  return outcome == CommandOutcome::Completed ? kExitDone : kExitError;
}

struct ShowDicOptions {
  std::string file;
  BookOptions book;
};

int ShowDic(CliContext& context, const ShowDicOptions& options) {
  RequireInputFile(options.file);
  context.OpenBook(options.book);
  if (ReadDicFile(options.file, context.GetSession().Sections) != 1) {
    throw CliError(options.file + ": not a valid station-location dictionary file");
  }
  context.GetSession().Sections.DicFileName = options.file;
  ShowDictionarySheet(options.file, *context.GetSession().HostApplication, context.GetSession().Sections);
  return context.Finish(CommandOutcome::Completed, options.book);
}

}  // namespace

CliCommand AddSaveDicCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<SaveDicOptions>();
  CLI::App* command = app.add_subcommand("save-dic", "save the sheet's station list (columns A to D) as a .Dic file");
  CliContext::AddBookOptions(*command, options->book, false, false);
  command->add_option("FILE", options->file, "the dictionary file to write")->required();
  return {command, [&context, options] { return SaveDic(context, *options); }};
}

CliCommand AddShowDicCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<ShowDicOptions>();
  CLI::App* command = app.add_subcommand("show-dic", "list a .Dic file on a new sheet of the workbook");
  command->add_option("FILE", options->file, "the dictionary file to read")->required();
  CliContext::AddBookOptions(*command, options->book, true, false);
  return {command, [&context, options] { return ShowDic(context, *options); }};
}

const CommandRegistrar kSaveDicCommandRegistrar(50, AddSaveDicCommand);
const CommandRegistrar kShowDicCommandRegistrar(60, AddShowDicCommand);

}  // namespace kestrel
