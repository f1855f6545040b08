// The Timer port on Win32: SetTimer on a message-only window of the thread that starts it.
#pragma once

#include <windows.h>

#include <functional>

#include "host/timer.h"

namespace kestrel {

// Ticks arrive as WM_TIMER through the thread's message loop (the host's, or a modal dialog's), so
// they run on the user-interface thread whether or not a dialog is shown. While it runs the timer
// keeps the module loaded (DllCanUnloadNow answers S_FALSE), as its window procedure lives here.
// A tick's exception ends at the window procedure.
class Win32Timer final : public Timer {
 public:
  Win32Timer() = default;
  ~Win32Timer() override;
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

  void Start(int intervalMs, std::function<void()> tick) override;  // HostError when SetTimer fails
  void Stop() override;
  bool Running() const override { return running_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Tick();

  HWND window_ = nullptr;
  std::function<void()> tick_;
  bool running_ = false;
};

}  // namespace kestrel
