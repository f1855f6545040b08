// Input and output paths of a command: missing inputs, outputs that would overwrite each other.
#include "file_checks.h"

#include <filesystem>

#include "cli_context.h"
#include "util/atomic_output.h"
#include "util/text_file.h"

namespace kestrel {

void RequireInputFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = PathFromUtf8(path);
  if (!std::filesystem::exists(file, error)) throw CliError(path + ": no such file");
  if (std::filesystem::is_directory(file, error)) throw CliError(path + ": is a folder, not a file");
}

void RequireWritableOutput(const std::string& option, const std::string& path) {
  // Only what no write could ever fit; a read-only file or a missing folder is the command's own
  // failure to save, with its own message.
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(OutputTarget(PathFromUtf8(path)), error);
  if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status) ||
      std::filesystem::is_directory(status))
    return;
  throw CliError("cannot write " + path + " (" + option + "): " + OutputRefusal(PathFromUtf8(path)));
}

bool SameFile(const std::string& a, const std::string& b) {
  const std::filesystem::path first = PathFromUtf8(a), second = PathFromUtf8(b);
  std::error_code error;
  if (std::filesystem::exists(first, error) && std::filesystem::exists(second, error))
    return std::filesystem::equivalent(first, second, error) && !error;
  const std::filesystem::path x = std::filesystem::weakly_canonical(std::filesystem::absolute(first, error), error);
  const std::filesystem::path y = std::filesystem::weakly_canonical(std::filesystem::absolute(second, error), error);
  return x == y;
}

void CheckOutputs(const std::string& book, const std::string& bookOutput, const std::vector<SideOutput>& outputs) {
  if (!bookOutput.empty()) RequireWritableOutput("-o", bookOutput);
  for (const SideOutput& output : outputs)
    if (!output.path.empty()) RequireWritableOutput(output.option, output.path);
  for (size_t i = 0; i < outputs.size(); ++i) {
    const SideOutput& output = outputs[i];
    if (output.path.empty()) continue;
    auto refuse = [&](const std::string& what) {
      throw CliError(output.option + " " + output.path + " is the same file as " + what + "; nothing was written");
    };
    if (SameFile(output.path, book)) refuse("the workbook " + book);
    if (!bookOutput.empty() && SameFile(output.path, bookOutput)) refuse("-o " + bookOutput);
    for (size_t k = 0; k < i; ++k)
      if (!outputs[k].path.empty() && SameFile(output.path, outputs[k].path))
        refuse(outputs[k].option + " " + outputs[k].path);
  }
}

}  // namespace kestrel
