// ServerContext: what the server's objects work through: the Session, the Win32 ports and the connected host.
#pragma once

#include <oaidl.h>

#include <memory>

#include "addin/session.h"
#include "dialogs/modal_dialogs.h"
#include "excel/dispatch_application.h"
#include "platform/win32_cad_install.h"
#include "platform/win32_clipboard.h"
#include "platform/win32_download.h"
#include "platform/win32_shell.h"
#include "platform/win32_timer.h"
#include "platform/win32_ui.h"

namespace kestrel {

// One per server, outliving every object it serves: the class objects hand it to each object they
// make, and each object holds the server through it while it lives (see HoldServer). The dialog windows go before the session whose presenters they show; the clipboard and the
// timer outlive the session, whose drawing dialog stops the timer when it goes.
class ServerContext {
 public:
  // Finds the running program's server hold: Hollin.exe exports KestrelHoldServer and
  // KestrelReleaseServer; a host's program exports neither, and there the hold is nothing.
  ServerContext();
  ServerContext(const ServerContext&) = delete;
  ServerContext& operator=(const ServerContext&) = delete;

  // The host application between its connection and its disconnection, held here alone: the
  // session's HostApplication points at it meanwhile and the Ui port reads it from here; null
  // while none is connected.
  DispatchApplication* Host() const { return host_.get(); }
  // Holds `application` (none for null) as the host, tells `connected` so, then releases the
  // previous host, which nothing points at any more.
  template <class Connected>
  void ConnectHost(IDispatch* application, Connected&& connected) {
    std::unique_ptr<DispatchApplication> host;
    if (application != nullptr) host = std::make_unique<DispatchApplication>(application);
    connected(host.get());
    host_.swap(host);
  }
  // One more, or one less, reason for the server that this code runs in to keep running: so
  // Hollin.exe runs while a client holds an object made here, whichever object handed it out.
  void HoldServer() const;
  void ReleaseServer() const;

  // Releases the host once `disconnected` has forgotten it.
  template <class Disconnected>
  void DisconnectHost(Disconnected&& disconnected) {
    disconnected();
    host_.reset();
  }

 private:
  std::unique_ptr<DispatchApplication> host_;
  void (*holdServer_)() = nullptr;
  void (*releaseServer_)() = nullptr;

 public:
  Win32Clipboard clipboard;
  Win32Timer timer;
  Session session;
  Win32Ui ui{host_};
  Win32Shell shell;
  ModalDialogs dialogs;
  Win32CadInstallSystem cadSystem;
  Win32Downloader cadDownloader{dialogs};
  CadInstallPorts cadInstall{cadSystem, cadDownloader};
};

// A hold on the server of `context` for as long as it lives: a member of each object made for it.
class ServerReference {
 public:
  explicit ServerReference(const ServerContext& context) : context_(context) { context_.HoldServer(); }
  ~ServerReference() { context_.ReleaseServer(); }
  ServerReference(const ServerReference&) = delete;
  ServerReference& operator=(const ServerReference&) = delete;

 private:
  const ServerContext& context_;
};

// The context of the library's own objects (those DllGetClassObject's class objects make): it
// lives while the library is loaded.
ServerContext& LibraryContext();

}  // namespace kestrel
