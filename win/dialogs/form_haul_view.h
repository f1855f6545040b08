// The earthwork distribution dialog's window: FormHaul's controls on the IDD_FORM_HAUL template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormHaul;

// Binds every control of FormHaul to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormHaulView(FormHaul& form);

}  // namespace kestrel
