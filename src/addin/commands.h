// The ribbon's command table: every callback name and the command entry it runs.
#pragma once

#include <string_view>
#include <vector>

namespace kestrel {

struct CadInstallPorts;
class Clipboard;
class DialogHost;
class Shell;
class Timer;
class Ui;
struct Session;

// How a command ended, for callers that report it (the command-line tool's exit status): it ran
// to its end, it stopped at a message, a refusal or a failure, or its dialog was cancelled.
enum class CommandOutcome { Completed, Stopped, Cancelled };

// What a command entry works with.
struct CommandContext {
  Session& session;
  Ui& ui;
  Shell& shell;
  DialogHost& dialogs;
  // The system clipboard and the dialogs' timer; null where the platform has none (the
  // drawing dialog then runs no clipboard watcher).
  Clipboard* clipboard = nullptr;
  Timer* timer = nullptr;
  // The plug-in installation's file system, installer and download; null where there is none.
  CadInstallPorts* cadInstall = nullptr;
};

struct RibbonCommand {
  std::string_view callback;  // the callback name as the ribbon description writes it
  std::string_view label;     // the button's label, for messages
  bool wrapped;               // runs with the host's screen updating off
  void (*run)(CommandContext&);
};

// Every ribbon callback, in the order of the ribbon description.
const std::vector<RibbonCommand>& RibbonCommands();
// The command whose callback name equals name without regard to case; null when none does.
const RibbonCommand* FindRibbonCommand(std::string_view name);

// Runs one command: wrapped commands switch the host's screen updating off and always back on.
void RunRibbonCommand(const RibbonCommand& command, CommandContext& context);

}  // namespace kestrel
