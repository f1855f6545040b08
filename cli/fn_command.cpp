// kestrel fn: one worksheet function, from the command line.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "commands.h"

namespace kestrel {
namespace {

struct FnOptions {
  std::string name;
  std::vector<std::string> arguments;
};

int RunFunction(const FnOptions& options) {
  // The worksheet functions are not part of this version.
  throw CliError("no worksheet function named " + options.name + " in this version");
}

}  // namespace

CliCommand AddFnCommand(CLI::App& app, CliContext& /*context*/) {
  auto options = std::make_shared<FnOptions>();
  CLI::App* command = app.add_subcommand("fn", "compute one worksheet function: kestrel fn NAME [ARG...]");
  command->add_option("NAME", options->name, "the function's name")->required();
  command->add_option("ARG", options->arguments, "its arguments, in order");
  return {command, [options] { return RunFunction(*options); }};
}

const CommandRegistrar kFnCommandRegistrar(30, AddFnCommand);

}  // namespace kestrel
