// The ribbon's command table: every callback name and the command entry it runs.
#pragma once

#include <string_view>
#include <vector>

#include "addin/command_guard.h"
#include "host/command_context.h"

namespace kestrel {

struct Session;

struct RibbonCommand {
  std::string_view callback;  // the callback name as the ribbon description writes it
  std::string_view label;     // the button's label, for messages
  bool wrapped;               // runs with the host's screen updating off
  SheetUse use;               // what it needs of the host's view before it starts
  // Runs the command with the parts of the session it keeps its state in: a command on the
  // workbook with the host; one that needs none (SheetUse::None) with the platform alone, so
  // that it also runs where no host is connected (the CAD plug-in's installation, the web pages).
  void (*run)(CommandContext&, Session&) = nullptr;
  void (*runWithoutWorkbook)(PlatformPorts&, Session&) = nullptr;
};

// Every ribbon callback, in the order of the ribbon description.
const std::vector<RibbonCommand>& RibbonCommands();
// The command whose callback name equals name without regard to case; null when none does.
const RibbonCommand* FindRibbonCommand(std::string_view name);

// Runs one command. A command on the workbook does nothing where no host is connected (host
// null). First the host's view is checked against what the command needs: a workbook, a
// worksheet, an unprotected sheet, cells selected; what is missing is said in one message box
// titled "错误" and nothing runs. Wrapped commands switch the host's screen updating
// off and always back on. A call the host refuses during the command, which the command did not
// report itself, is reported when it ends, in a message box titled "失败" that says what had
// been changed.
void RunRibbonCommand(const RibbonCommand& command, PlatformPorts& platform, Application* host, Session& session);

}  // namespace kestrel
