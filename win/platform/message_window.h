// A hidden message-only window of the add-in on the calling thread: the timer's target and the clipboard's owner.
#pragma once

#include <windows.h>

namespace kestrel {

// Registers `className` for this module once (with `procedure`) and creates a message-only
// window of it on the calling thread; `self` is kept in GWLP_USERDATA. HostError when it fails.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure, void* self);

// The object given to CreateMessageWindow, or null before WM_NCCREATE has run.
template <class T>
T* MessageWindowOwner(HWND window) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// LRESULT for WM_NCCREATE: stores the owner; every other message goes to DefWindowProcW.
LRESULT MessageWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Destroys the window when the calling thread made it (only that thread may); at process exit
// the system has done it already.
void DestroyMessageWindow(HWND window);

}  // namespace kestrel
