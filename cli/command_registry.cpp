// The registry of the tool's commands, filled by each command file's static registrar.
#include <algorithm>
#include <utility>

#include "commands.h"

namespace kestrel {
namespace {

std::vector<std::pair<int, AddCommand>>& Registry() {
  static std::vector<std::pair<int, AddCommand>> registry;
  return registry;
}

}  // namespace

CommandRegistrar::CommandRegistrar(int order, AddCommand add) { Registry().emplace_back(order, add); }

std::vector<AddCommand> RegisteredCommands() {
  std::vector<std::pair<int, AddCommand>> sorted = Registry();
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<AddCommand> adds;
  for (const auto& entry : sorted) adds.push_back(entry.second);
  return adds;
}

}  // namespace kestrel
