// The export dialog's window: FormExport's controls on the IDD_FORM_EXPORT template.
#pragma once

#include <memory>

#include "dialog_view.h"

namespace kestrel {

class FormExport;

// Binds every control of FormExport to its template control and every event to its handler.
std::unique_ptr<DialogView> MakeFormExportView(FormExport& form);

}  // namespace kestrel
