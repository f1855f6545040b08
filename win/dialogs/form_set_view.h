// The drawing settings dialog's window: FormSet's controls on the IDD_FORM_SET template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormSet;

// Binds every control of FormSet to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormSetView(FormSet& form);

}  // namespace kestrel
