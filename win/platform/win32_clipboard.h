// The Clipboard port on Win32: CF_UNICODETEXT through OpenClipboard with the add-in's message window as owner.
#pragma once

#include <windows.h>

#include "host/clipboard.h"

namespace kestrel {

// Each call opens the clipboard (retrying briefly while another program holds it) and closes it
// again; a clipboard that stays held, or a failing EmptyClipboard or SetClipboardData, throws
// HostError.
class Win32Clipboard final : public Clipboard {
 public:
  Win32Clipboard() = default;
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  std::optional<std::string> GetText() override;
  // EmptyClipboard: every format goes, and the add-in owns the clipboard.
  void Clear() override;
  // The text as CF_UNICODETEXT; the clipboard is emptied first unless the add-in owns it already
  // (right after Clear), so that other formats never contradict the text.
  void SetText(std::string_view text) override;

 private:
  HWND Owner();

  HWND window_ = nullptr;
};

}  // namespace kestrel
