// The command-line switches with which COM and installers start a local server.
#pragma once

#include <string_view>

namespace kestrel {

enum class ServerSwitch { None, RegServer, UnregServer, Embedding, Unknown };

// The switch of a local server's command line, "/" or "-" before it and compared without regard to
// case: "/RegServer", "-regserver", "/UnregServer", "-Embedding" (also "/Automation", which COM
// passes to automation servers). An empty line is None; anything else is Unknown.
ServerSwitch ParseServerSwitch(std::wstring_view commandLine);

}  // namespace kestrel
