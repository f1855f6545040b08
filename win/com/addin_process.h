// The add-in's process-wide state: the one Session, the Win32 ports and the connected host.
#pragma once

#include <memory>

#include "addin/session.h"
#include "excel/dispatch_application.h"
#include "dialogs/modal_dialogs.h"
#include "platform/win32_cad_install.h"
#include "platform/win32_clipboard.h"
#include "platform/win32_download.h"
#include "platform/win32_shell.h"
#include "platform/win32_timer.h"
#include "platform/win32_ui.h"

namespace kestrel {

// Lives while the library is loaded. `host` is what session.HostApplication points to between
// the host's OnConnection and OnDisconnection. The dialog windows go before the session whose
// presenters they show; the clipboard and the timer outlive the session, whose drawing dialog
// stops the timer when it goes.
struct AddinProcess {
  Win32Clipboard clipboard;
  Win32Timer timer;
  Session session;
  std::unique_ptr<DispatchApplication> host;
  Win32Ui ui{host};
  Win32Shell shell;
  ModalDialogs dialogs;
  Win32CadInstallSystem cadSystem;
  Win32Downloader cadDownloader{session, dialogs};
  CadInstallPorts cadInstall{cadSystem, cadDownloader};
};

AddinProcess& TheAddinProcess();

}  // namespace kestrel
