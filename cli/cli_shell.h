// CliShell: the shell port of the command-line tool (prints what it would open; the program's folder).
#pragma once

#include <iosfwd>
#include <string>

#include "host/shell.h"

namespace kestrel {

class CliShell : public Shell {
 public:
  CliShell(std::ostream& err, std::string programFolder) : err_(err), folder_(std::move(programFolder)) {}
  // A terminal has no browser to start: the tool names the page instead.
  void Open(std::string_view target, std::string_view workingFolder) override;
  std::string ModuleFolder() override { return folder_; }
  // A file name without a folder is the current directory's, as on every command line.
  std::string FunctionFileFolder() override;

 private:
  std::ostream& err_;
  std::string folder_;
};

// The folder of the running program, from argv[0] when the system offers nothing better.
std::string ProgramFolder(const char* argv0);

}  // namespace kestrel
