// ModalDialogs: the view of each presenter and the modal message loop.
#include "modal_dialogs.h"

#include <string>

#include "host/host_error.h"
#include "dialog_views.h"

namespace kestrel {
namespace {

HWND modalWindow = nullptr;  // the user-interface thread's innermost modal dialog

// Sets the modal window for a scope and restores the outer one afterwards.
class ModalScope {
 public:
  explicit ModalScope(HWND window) : outer_(modalWindow) { modalWindow = window; }
  ~ModalScope() { modalWindow = outer_; }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  HWND outer_;
};

}  // namespace

HWND ModalDialogWindow() { return modalWindow; }

DialogView& ModalDialogs::ViewFor(Presenter& dialog) {
  auto found = views_.find(&dialog);
  if (found != views_.end()) return *found->second;
  std::unique_ptr<DialogView> view = MakeDialogView(dialog);
  if (!view) throw HostError(std::string(dialog.DialogName()) + " has no window in this build of the add-in");
  return *views_.emplace(&dialog, std::move(view)).first->second;
}

HWND ModalDialogs::WindowOf(const Presenter& dialog) const {
  auto found = views_.find(&dialog);
  return found == views_.end() ? nullptr : found->second->Window();
}

void ModalDialogs::Raise(Presenter& dialog, const std::function<void()>& handler) {
  auto found = views_.find(&dialog);
  if (found != views_.end() && found->second->Window() != nullptr) {
    found->second->Event(handler);
    return;
  }
  try {
    handler();
  } catch (...) {
    // No modal loop to report it to: the event ends here, as an event of the window would.
  }
}

void ModalDialogs::RunModal(Presenter& dialog) {
  DialogView& view = ViewFor(dialog);
  HWND owner = ModalDialogWindow() != nullptr ? ModalDialogWindow() : GetActiveWindow();
  HWND window = view.Window(owner);
  if (owner == window) owner = nullptr;
  // The window keeps the owner it was created with; each showing takes the active window anew.
  SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  view.Push();
  const bool ownerEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerEnabled) EnableWindow(owner, FALSE);
  {
    ModalScope scope(window);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG message;
    while (dialog.Visible() && !view.Failed()) {
      BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {  // WM_QUIT: the application is closing; the dialog is asked to unload
        PostQuitMessage(static_cast<int>(message.wParam));
        dialog.OnCloseRequest();
        break;
      }
      if (got == -1) break;
      if (!IsDialogMessageW(window, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  // The owner comes back before the dialog hides, so that it, not another program, is activated.
  if (ownerEnabled) EnableWindow(owner, TRUE);
  ShowWindow(window, SW_HIDE);
  if (owner != nullptr) SetActiveWindow(owner);
  view.RethrowFailure();
}

}  // namespace kestrel
