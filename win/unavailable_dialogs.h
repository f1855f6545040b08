// UnavailableDialogs: the dialog host of this build, which has no Win32 dialog views yet.
#pragma once

#include <string>

#include "addin/host/dialogs.h"
#include "addin/host/host_error.h"

namespace kestrel {

// Showing a dialog ends the command as a refused host call would: nothing in the workbook changes.
class UnavailableDialogs : public DialogHost {
 public:
  void RunModal(Presenter& dialog) override {
    throw HostError(std::string(dialog.DialogName()) + " cannot be shown by this build of the add-in");
  }
};

}  // namespace kestrel
