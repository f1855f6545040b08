// The CAD plug-in installation dialog's window: FormCad's controls on the IDD_FORM_CAD template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormCad;

// Binds every control of FormCad to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormCadView(FormCad& form);

}  // namespace kestrel
