// What the benchmarks share: a shell that opens nothing.
#pragma once

#include <string>
#include <string_view>

#include "addin/host/shell.h"

namespace kestrel {

class QuietShell : public Shell {
 public:
  void Open(std::string_view, std::string_view) override {}
  std::string ModuleFolder() override { return "."; }
};

}  // namespace kestrel
