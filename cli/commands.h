// The tool's commands: each adds itself to the command line and runs when chosen.
#pragma once

#include <functional>

#include "cli_context.h"

namespace CLI {
class App;
}

namespace kestrel {

struct CliCommand {
  CLI::App* command = nullptr;
  std::function<int()> run;  // returns the exit status
};

CliCommand AddDumpCommand(CLI::App& app, CliContext& context);
CliCommand AddFnCommand(CLI::App& app, CliContext& context);
CliCommand AddConvertCommand(CLI::App& app, CliContext& context);
CliCommand AddSortCommand(CLI::App& app, CliContext& context);
CliCommand AddSaveDicCommand(CLI::App& app, CliContext& context);
CliCommand AddShowDicCommand(CLI::App& app, CliContext& context);
CliCommand AddDemoCommand(CLI::App& app, CliContext& context);

}  // namespace kestrel
