// The Ui port on Win32: message boxes; the host's file prompts come with the sheet operations.
#pragma once

#include <windows.h>
#undef MessageBox  // the port's method, not the Win32 macro

#include "addin/host/ui.h"

namespace kestrel {

class Win32Ui final : public Ui {
 public:
  // A modal MessageBoxW over the active window: Ok or Yes/No buttons, optionally the information
  // icon; the answer the user clicked.
  MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                           MessageIcon icon) override;
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) override;
  std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                               std::string_view title) override;
};

}  // namespace kestrel
