// kestrel convert: a workbook written again in another form (.csv <-> .xlsx) or as a fresh copy.
#include <CLI/CLI.hpp>

#include <memory>

#include "commands.h"
#include "io/workbook_file.h"

namespace kestrel {
namespace {

struct ConvertOptions {
  BookOptions book;
  std::string target;
};

int Convert(CliContext& context, ConvertOptions& options) {
  context.OpenBook(options.book);
  options.book.output = options.target;
  context.SaveBook(options.book);
  context.Err() << "wrote " << options.target << "\n";
  return kExitDone;
}

}  // namespace

CliCommand AddConvertCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* command = app.add_subcommand("convert", "write a workbook as .xlsx or .csv (a CSV holds the chosen sheet)");
  CliContext::AddBookOptions(*command, options->book, false, false);
  command->add_option("TARGET", options->target, "the file to write (.xlsx, .xlsm or .csv)")->required();
  return {command, [&context, options] { return Convert(context, *options); }};
}

const CommandRegistrar kConvertCommandRegistrar(20, AddConvertCommand);

}  // namespace kestrel
