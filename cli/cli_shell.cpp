// CliShell: pages are named, not opened; the program's own folder.
#include "cli_shell.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "util/text_file.h"

namespace kestrel {

void CliShell::Open(std::string_view target, std::string_view /*workingFolder*/) {
  err_ << "open: " << target << "\n";
}

std::string CliShell::FunctionFileFolder() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  return error ? std::string(".") : PathToUtf8(here);
}

std::string ProgramFolder(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || self.empty()) self = std::filesystem::absolute(PathFromUtf8(argv0 ? argv0 : ""), error);
  return PathToUtf8(self.parent_path());
}

}  // namespace kestrel
