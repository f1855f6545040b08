// The tool's commands: each adds itself to the command line and runs when chosen.
#pragma once

#include <functional>
#include <vector>

#include "cli_context.h"

namespace CLI {
class App;
}

namespace kestrel {

struct CliCommand {
  CLI::App* command = nullptr;
  std::function<int()> run;  // returns the exit status
};

// Each command file registers its command with a static registrar; --help lists them by order.
//   static const CommandRegistrar registrar(30, AddSortCommand);
using AddCommand = CliCommand (*)(CLI::App& app, CliContext& context);
struct CommandRegistrar {
  CommandRegistrar(int order, AddCommand add);
};
// Every registered command, by order.
std::vector<AddCommand> RegisteredCommands();

}  // namespace kestrel
