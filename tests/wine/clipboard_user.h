// Test helper for the clipboard: another program's reads and writes through the system calls.
#pragma once

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

namespace kestrel::testing {

// Another program's use of the clipboard, straight through the system calls with a window of its own.
class OtherProgram {
 public:
  OtherProgram()
      : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~OtherProgram() { DestroyWindow(window_); }
  bool Put(const std::wstring& text) {
    if (!OpenClipboard(window_)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    const bool ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return ok;
  }
  std::optional<std::wstring> Read() {
    if (!OpenClipboard(window_)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const wchar_t*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }
  // Holds the clipboard open, as a program in the middle of its own use does.
  bool Hold() { return OpenClipboard(window_) != FALSE; }
  void Release() { CloseClipboard(); }

 private:
  HWND window_;
};

}  // namespace kestrel::testing
