// ScriptedDialogs: queued user actions on modal dialogs.
#include "host_doubles/scripted_dialogs.h"

namespace kestrel {

void ScriptedDialogs::RunModal(Presenter& dialog) {
  shown_.emplace_back(dialog.DialogName());
  if (!actions_.empty()) {
    Action action = std::move(actions_.front());
    actions_.pop_front();
    action(dialog);
  }
  if (dialog.Visible()) dialog.OnCloseRequest();
}

}  // namespace kestrel
