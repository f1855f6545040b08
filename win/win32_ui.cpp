// Win32Ui: MessageBoxW with the port's buttons and icon, answers mapped back.
#include "win32_ui.h"

#include <string>

#include "addin/host/host_error.h"
#include "wide_text.h"

namespace kestrel {

MessageAnswer Win32Ui::MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                  MessageIcon icon) {
  UINT style = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  if (icon == MessageIcon::Information) style |= MB_ICONINFORMATION;
  std::wstring wideText = ToWide(text);
  std::wstring wideTitle = ToWide(title);
  switch (MessageBoxW(GetActiveWindow(), wideText.c_str(), wideTitle.c_str(), style)) {
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

std::optional<std::string> Win32Ui::GetOpenFilename(std::string_view, std::string_view) {
  throw HostError("Application.GetOpenFilename is not available in this build of the Windows add-in");
}

std::optional<std::string> Win32Ui::GetSaveAsFilename(std::string_view, std::string_view, std::string_view) {
  throw HostError("Application.GetSaveAsFilename is not available in this build of the Windows add-in");
}

}  // namespace kestrel
