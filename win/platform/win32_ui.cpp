// Win32Ui: MessageBoxW with the port's buttons and icon, answers mapped back; file prompts by the host.
#include "win32_ui.h"

#include <string>

#include "host/host_error.h"
#include "excel/dispatch_application.h"
#include "dialogs/modal_dialogs.h"
#include "wide_text.h"

namespace kestrel {

MessageAnswer Win32Ui::MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                  MessageIcon icon) {
  UINT style = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  if (icon == MessageIcon::Information) style |= MB_ICONINFORMATION;
  std::wstring wideText = ToWide(text);
  std::wstring wideTitle = ToWide(title);
  HWND owner = ModalDialogWindow();
  if (owner == nullptr) owner = GetActiveWindow();
  switch (MessageBoxW(owner, wideText.c_str(), wideTitle.c_str(), style)) {
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    case 0:
      throw HostError("MessageBoxW failed (error " + std::to_string(GetLastError()) + ")");
    default:  // IDOK, or the box closed another way
      return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
}

DispatchApplication& Win32Ui::Host() {
  if (!host_) throw HostError("No spreadsheet host is connected to ask for a file name");
  return *host_;
}

std::optional<std::string> Win32Ui::GetOpenFilename(std::string_view filter, std::string_view title) {
  return Host().GetOpenFilename(filter, title);
}

std::optional<std::string> Win32Ui::GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                                      std::string_view title) {
  return Host().GetSaveAsFilename(initialName, filter, title);
}

}  // namespace kestrel
