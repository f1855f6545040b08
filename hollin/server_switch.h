// The command-line switches with which COM and installers start a local server.
#pragma once

#include <string_view>

namespace kestrel {

enum class ServerSwitch { None, RegServer, UnregServer, Embedding, Unknown };

// The switch of a local server's command line and, for the registration switches, where to
// register: "/RegServer" and "/UnregServer" work per user, "/RegServer machine" per machine
// (for clients that read no per-user classes, such as Wine's COM), as `regsvr32 /i:machine` does
// for the library; "user" is the default said aloud.
struct ServerCommand {
  ServerSwitch action = ServerSwitch::None;
  bool perMachine = false;
};

// Switches start with "/" or "-" and compare without regard to case: "/RegServer", "-regserver",
// "/UnregServer machine", "-Embedding" (also "/Automation", which COM passes to automation
// servers). An empty line is None; anything else, or a scope word after another switch, is Unknown.
ServerCommand ParseServerCommand(std::wstring_view commandLine);

}  // namespace kestrel
