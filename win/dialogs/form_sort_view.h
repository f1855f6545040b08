// The sort dialog's window: FormSort's controls on the IDD_FORM_SORT template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormSort;

// Binds every control of FormSort to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormSortView(FormSort& form);

}  // namespace kestrel
