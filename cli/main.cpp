// kestrel: the add-in's commands on workbook files, from the command line.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "heap.h"
#include "io/workbook_file.h"
#include "util/atomic_output.h"

namespace {

std::string Prefixed(const kestrel::CliContext& context, const std::string& what) {
  return context.BookPath().empty() ? what : context.BookPath() + ": " + what;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  SetUpHeap(argv);
  CliContext context(std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1, ProgramFolder(argv[0]));

  CLI::App app{"kestrel: road cross-section tools on spreadsheet workbooks (.xlsx, .csv)"};
  app.set_version_flag("--version", std::string("kestrel ") + KESTREL_VERSION);
  app.require_subcommand(1);
  std::vector<CliCommand> commands;
  for (AddCommand add : RegisteredCommands()) commands.push_back(add(app, context));


  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitDone : kExitError;
  }

  // Every file the command writes stays only when it ends without an error; else each is put
  // back as it was, as on SIGINT and SIGTERM.
  OutputJournal journal;
  try {
    for (const CliCommand& c : commands) {
      if (!c.command->parsed()) continue;
      const int status = c.run();
      journal.Keep();
      context.LeaveBookToExit();
      return status;
    }
  } catch (const CliError& e) {
    std::cerr << "kestrel: " << e.what() << "\n";
    return kExitError;
  } catch (const WorkbookFileError& e) {
    std::cerr << "kestrel: " << e.what() << "\n";
    return kExitError;
  } catch (const std::bad_alloc&) {
    // Messages of our own name their file; what comes from deeper down is given the workbook's.
    std::cerr << "kestrel: " << Prefixed(context, "not enough memory") << "\n";
    return kExitError;
  } catch (const std::exception& e) {
    std::cerr << "kestrel: " << Prefixed(context, e.what()) << "\n";
    return kExitError;
  }
  return kExitError;
}
