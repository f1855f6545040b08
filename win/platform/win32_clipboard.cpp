// Win32Clipboard: open, read or write CF_UNICODETEXT, close; failures become HostError.
#include "win32_clipboard.h"

#include <cstring>
#include <string>

#include "host/host_error.h"
#include "message_window.h"
#include "wide_text.h"

namespace kestrel {
namespace {

[[noreturn]] void Fail(const char* what) {
  throw HostError(std::string("The clipboard ") + what + " (error " + std::to_string(GetLastError()) + ")");
}

// The clipboard open for one call.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (OpenClipboard(owner)) return;
      Sleep(10);  // another program has it open for a moment
    }
    Fail("cannot be opened");
  }
  ~OpenedClipboard() { CloseClipboard(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MessageWindowDefault(window, message, wParam, lParam);
}

}  // namespace

Win32Clipboard::~Win32Clipboard() { DestroyMessageWindow(window_); }

HWND Win32Clipboard::Owner() {
  if (window_ == nullptr || !IsWindow(window_)) {
    window_ = CreateMessageWindow(L"KestrelClipboardOwner", &OwnerProcedure, this);
  }
  return window_;
}

std::optional<std::string> Win32Clipboard::GetText() {
  OpenedClipboard open(Owner());
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) Fail("text cannot be read");
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  if (text == nullptr) Fail("text cannot be locked");
  // The block may be larger than the text; the text ends at its first null.
  const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
  size_t length = 0;
  while (length < capacity && text[length] != L'\0') ++length;
  std::wstring wide(text, length);
  GlobalUnlock(data);
  return FromWide(wide);
}

void Win32Clipboard::Clear() {
  OpenedClipboard open(Owner());
  if (!EmptyClipboard()) Fail("cannot be emptied");
}

void Win32Clipboard::SetText(std::string_view text) {
  const std::wstring wide = ToWide(text);
  OpenedClipboard open(Owner());
  if (GetClipboardOwner() != window_ && !EmptyClipboard()) Fail("cannot be emptied");
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) Fail("text cannot be allocated");
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    Fail("text cannot be locked");
  }
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(block);
  if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
    GlobalFree(block);  // still ours: the system takes it only on success
    Fail("text cannot be set");
  }
}

}  // namespace kestrel
