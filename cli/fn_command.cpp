// kestrel fn: one worksheet function, from the command line.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/system_clock.h"
#include "commands.h"
#include "fn_arguments.h"
#include "fn_help.h"

namespace kestrel {
namespace {

struct FnOptions {
  std::vector<std::string> words;  // NAME, then its arguments
  std::string cell;
  bool help = false;
};

// "C7" or "Sheet1!C7": the calling cell.
CallerCell ParseCaller(const std::string& text) {
  const size_t bang = text.rfind('!');
  const std::string sheet = bang == std::string::npos ? "Sheet1" : text.substr(0, bang);
  std::optional<RangeRef> cell = RangeRef::Parse(bang == std::string::npos ? text : text.substr(bang + 1));
  if (!cell || cell->Rows() != 1 || cell->Columns() != 1) throw CliError("--cell wants one cell, such as C7");
  return {sheet, cell->first};
}

int RunFunction(CliContext& context, const FnOptions& options) {
  if (options.words.empty()) {
    if (options.help) {
      context.Out() << CatalogueHelp();
      return kExitDone;
    }
    throw CliError("fn needs a function name (kestrel fn --help lists them)");
  }
  const std::string& name = options.words.front();
  const WorksheetFunction* function = FindWorksheetFunction(name);
  if (function == nullptr) throw CliError("no worksheet function named " + name + " (kestrel fn --help lists them)");
  if (options.help) {
    context.Out() << FunctionHelp(*function);
    return kExitDone;
  }
  const size_t given = options.words.size() - 1;
  if (given < static_cast<size_t>(function->RequiredCount()) || given > function->arguments.size()) {
    throw CliError(std::string(function->name) + " takes " + function->Signature() + ", not " +
                   std::to_string(given) + " argument" + (given == 1 ? "" : "s"));
  }

  FnArguments parser;
  FunctionArguments arguments;
  for (size_t i = 0; i < given; ++i) {
    arguments.push_back(parser.Parse(options.words[i + 1], function->arguments[i].type));
  }
  MemoryWorkbook callerBook;
  if (!options.cell.empty()) callerBook.SetCaller(ParseCaller(options.cell));
  SystemClock clock;
  FunctionContext call{context.GetSession().Geometry, clock, context.Shell(), &callerBook};
  const FunctionValue result = CallWorksheetFunction(*function, arguments, call);
  context.Out() << result.ResultText() << "\n";
  return result.IsError() ? kExitStopped : kExitDone;
}

}  // namespace

CliCommand AddFnCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<FnOptions>();
  CLI::App* command = app.add_subcommand("fn", "compute one worksheet function: kestrel fn NAME [ARG...]");
  // The catalogue writes the help, for the command and for each function.
  command->set_help_flag();
  command->add_flag("-h,--help", options->help, "the functions, or one function's arguments");
  command->add_option("NAME ARG", options->words, "the function's name, then its arguments in order");
  command->add_option("--cell", options->cell, "the calling cell, [SHEET!]CELL (for RangeAddress)");
  return {command, [&context, options] { return RunFunction(context, *options); }};
}

const CommandRegistrar kFnCommandRegistrar(30, AddFnCommand);

}  // namespace kestrel
