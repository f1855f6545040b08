// The Shell port on Win32: ShellExecuteW "open" and the folder of the module holding this code.
#pragma once

#include "host/shell.h"

namespace kestrel {

class Win32Shell final : public Shell {
 public:
  // ShellExecuteW with the verb "open", no parameters, a normal window; the result is not checked.
  // A file path from the core may use "/" and is given to the shell with "\".
  void Open(std::string_view target, std::string_view workingFolder) override;
  // "C:\Program Files\Kestrel" for "C:\Program Files\Kestrel\Kestrel.dll".
  std::string ModuleFolder() override;
};

}  // namespace kestrel
