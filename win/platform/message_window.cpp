// The message-only windows of the add-in: class registration, creation and destruction.
#include "message_window.h"

#include <string>

#include "host/host_error.h"
#include "com/module.h"

namespace kestrel {

HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure, void* self) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  if (!GetClassInfoExW(ThisModule(), className, &windowClass)) {
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ThisModule();
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      throw HostError("The add-in's message window class cannot be registered (error " +
                      std::to_string(GetLastError()) + ")");
    }
  }
  HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), self);
  if (window == nullptr) {
    throw HostError("The add-in's message window cannot be created (error " + std::to_string(GetLastError()) + ")");
  }
  return window;
}

LRESULT MessageWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void DestroyMessageWindow(HWND window) {
  if (window != nullptr && IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    DestroyWindow(window);
  }
}

}  // namespace kestrel
