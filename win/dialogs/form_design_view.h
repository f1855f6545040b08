// The design dialog's window: FormDesign's controls on the IDD_FORM_DESIGN template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormDesign;

// Binds every control of FormDesign to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormDesignView(FormDesign& form);

}  // namespace kestrel
