// CommandContext: the ports a command works with, handed to it by whoever runs it.
#pragma once

namespace kestrel {

class Application;
struct CadInstallPorts;
class Clipboard;
class DialogHost;
class Shell;
class Timer;
class Ui;

// How a command ended, for callers that report it (the command-line tool's exit status): it ran
// to its end; it stopped at a message, a refusal or a failure; it ended where it is meant to
// after a step the user approved (the initial sort after cleaning the stations), so that what it
// changed is that step's result; or its dialog was cancelled.
enum class CommandOutcome { Completed, Stopped, EndedAfterApprovedStep, Cancelled };

// The platform as every command sees it, with or without a workbook: messages, the shell, the
// dialogs. The feature state a command keeps between runs is passed beside it by the command
// table, never reached through here. (The worksheet functions, which also need a clock, get
// theirs in FunctionContext.)
struct PlatformPorts {
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

// A command on the workbook: the platform and the host's Application. The host is checked once,
// where a command starts (the ribbon's command table, the command-line tool): a command on the
// workbook never runs without one.
//   CommandContext context{book, {ui, shell, dialogs}};
//   InitialSort(context, dialog, sections);
struct CommandContext : PlatformPorts {
  CommandContext(Application& host, const PlatformPorts& platform) : PlatformPorts(platform), host(host) {}
  Application& host;
};

}  // namespace kestrel
