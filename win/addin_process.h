// The add-in's process-wide state: the one Session, the Win32 ports and the connected host.
#pragma once

#include <memory>

#include "addin/session.h"
#include "dispatch_application.h"
#include "unavailable_dialogs.h"
#include "win32_shell.h"
#include "win32_ui.h"

namespace kestrel {

// Lives while the library is loaded. `host` is what session.HostApplication points to between
// the host's OnConnection and OnDisconnection.
struct AddinProcess {
  Session session;
  Win32Ui ui;
  Win32Shell shell;
  UnavailableDialogs dialogs;
  std::unique_ptr<DispatchApplication> host;
};

AddinProcess& TheAddinProcess();

}  // namespace kestrel
