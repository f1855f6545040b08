// The window of each presenter the add-in shows: which template and which bindings.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

// A new view for the presenter (FormSort, ...); null for a presenter that has no window yet.
std::unique_ptr<DialogView> MakeDialogView(Presenter& presenter);

}  // namespace kestrel
