// Connect: the add-in object the host creates; keeps the host, serves the ribbon, routes buttons.
#pragma once

#include <string>
#include <string_view>

#include "host/command_context.h"

namespace kestrel {

class Application;
struct CadInstallPorts;
class Clipboard;
class DialogHost;
class Timer;
class Shell;
class Ui;
struct Session;

class Connect {
 public:
  // clipboard and timer may be null where the platform has none.
  Connect(Session& session, Ui& ui, Shell& shell, DialogHost& dialogs, Clipboard* clipboard = nullptr,
          Timer* timer = nullptr, CadInstallPorts* cadInstall = nullptr)
      : session_(session), platform_{ui, shell, dialogs, clipboard, timer, cadInstall} {}

  // Stores the host application as the session's HostApplication; disconnection releases it.
  void OnConnection(Application* host);
  void OnDisconnection();

  // The ribbon description, whatever ribbon id the host passes.
  std::string GetCustomUI(std::string_view ribbonId) const;
  std::string GetRibbonXML() const;

  // The picture resource for a control id ("hdmStor" -> "STOR"); "" for ids outside the table.
  static std::string_view ImageFor(std::string_view controlId);

  // Runs the ribbon callback of that name (compared without regard to case, as the host
  // resolves callback names); a command on the workbook runs only while a host is connected.
  // False when no callback has that name.
  bool RunCallback(std::string_view callbackName);

 private:
  Session& session_;
  PlatformPorts platform_;
};

}  // namespace kestrel
