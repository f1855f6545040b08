// The volume sheet dialog's window: FormDrawVSheet's controls on the IDD_FORM_DRAW_V_SHEET template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormDrawVSheet;

// Binds every control of FormDrawVSheet to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormDrawVSheetView(FormDrawVSheet& form);

}  // namespace kestrel
