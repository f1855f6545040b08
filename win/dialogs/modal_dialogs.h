// ModalDialogs: the DialogHost of the Windows shell, one Win32 dialog window per presenter.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "host/dialogs.h"
#include "dialog_view.h"

namespace kestrel {

// RunModal creates the presenter's window on first use and afterwards only shows and hides it,
// as the presenter is created once and kept. While it is up the window that was active is
// disabled, and the loop runs until the presenter hides itself. A failure inside a presenter's
// handler ends the loop and is rethrown to the command.
class ModalDialogs final : public DialogHost {
 public:
  ModalDialogs() = default;
  ModalDialogs(const ModalDialogs&) = delete;
  ModalDialogs& operator=(const ModalDialogs&) = delete;

  void RunModal(Presenter& dialog) override;

  // The presenter's window once it has been shown; null before.
  HWND WindowOf(const Presenter& dialog) const;

  // Runs an event that comes from outside the dialog's controls (a download's) as the controls'
  // own events run: the window's entries into the presenter first, its state back afterwards, a
  // failure kept for the modal loop. Without a window the handler just runs; its failure ends there.
  void Raise(Presenter& dialog, const std::function<void()>& handler);

 private:
  DialogView& ViewFor(Presenter& dialog);

  std::map<const Presenter*, std::unique_ptr<DialogView>> views_;
};

// The add-in's dialog that is up now (the innermost one), or null: message boxes shown while a
// dialog is up are owned by it.
HWND ModalDialogWindow();

}  // namespace kestrel
