// The file choosers of a dialog's entries.
#include "host/dialogs.h"

#include "host/ui.h"
#include "util/unicode.h"

namespace kestrel {

void ChooseFileToOpen(Ui& ui, Control& box, std::string_view filter, std::string_view title) {
  if (auto path = ui.GetOpenFilename(filter, title)) box.text = *path;
}

void ChooseFileToWrite(Ui& ui, Control& box, std::string_view suggested, std::string_view filter,
                       std::string_view title) {
  const std::string current = Trimmed(box.text);
  if (auto path = ui.GetSaveAsFilename(current.empty() ? suggested : std::string_view(current), filter, title))
    box.text = *path;
}

}  // namespace kestrel
