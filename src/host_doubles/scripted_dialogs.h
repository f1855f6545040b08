// ScriptedDialogs: a DialogHost that plays queued user actions on each modal dialog, for tests and
// the command-line tool.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/dialogs.h"

namespace kestrel {

// Each RunModal takes the next queued action and plays it on the presenter (typing into its
// controls, clicking its buttons). A dialog still visible afterwards is closed with its close
// box, as a user who walks away would; so is every dialog shown with nothing queued.
//
//   dialogs.Queue([](Presenter& p) { auto& f = dynamic_cast<FormSort&>(p); f.OnCommandOKClick(); });
class ScriptedDialogs : public DialogHost {
 public:
  using Action = std::function<void(Presenter&)>;

  void Queue(Action action) { actions_.push_back(std::move(action)); }
  void RunModal(Presenter& dialog) override;

  // The names of the dialogs shown, in order.
  const std::vector<std::string>& Shown() const { return shown_; }
  size_t Pending() const { return actions_.size(); }

 private:
  std::deque<Action> actions_;
  std::vector<std::string> shown_;
};

}  // namespace kestrel
