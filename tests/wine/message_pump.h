// This thread's message loop, run as a host's would until an event: a condition, a number of
// ticks of a timer of its own, or every message posted before now handled.
#pragma once

#include <windows.h>

#include <functional>

namespace kestrel::testing {

// Dispatches every message waiting in this thread's queue.
inline void DispatchWaiting() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Dispatches this thread's messages until `done` holds, at most `limitMs`: a guard far above any
// normal wait, so that a behaviour that never comes fails the test instead of hanging it. Whether
// `done` held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 120000) {
  const ULONGLONG until = GetTickCount64() + limitMs;
  for (;;) {
    DispatchWaiting();
    if (done()) return true;
    if (GetTickCount64() > until) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// Dispatches this thread's messages until a timer of its own, started now with `periodMs`, has
// ticked `ticks` times. Expired timers are handed out earliest first, so every timer of this
// thread that was running before with the same period or a shorter one has ticked at least
// `ticks - 1` times by then: the wait is counted in the other timer's ticks, not in time.
inline void PumpTimerTicks(UINT periodMs, int ticks) {
  static int seen = 0;
  seen = 0;
  const UINT_PTR id = SetTimer(nullptr, 0, periodMs, [](HWND, UINT, UINT_PTR, DWORD) WINAPI -> void { ++seen; });
  PumpUntil([&] { return seen >= ticks; });
  KillTimer(nullptr, id);
}

// Dispatches this thread's messages until every message posted to it before the call has been
// handled: a marker posted behind them comes out of the queue after them.
inline void PumpPostedMessages() {
  static const UINT marker = RegisterWindowMessageW(L"KestrelTestQueueMarker");
  static bool arrived = false;
  arrived = false;
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) WINAPI -> LRESULT {
        if (m == marker) {
          arrived = true;
          return 0;
        }
        return DefWindowProcW(w, m, wp, lp);
      })));
  PostMessageW(window, marker, 0, 0);
  PumpUntil([] { return arrived; });
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  DestroyWindow(window);
}

}  // namespace kestrel::testing
