// Win32Timer: SetTimer/KillTimer on the add-in's message window, WM_TIMER to the callback.
#include "win32_timer.h"

#include <string>

#include "host/host_error.h"
#include "message_window.h"
#include "com/module.h"

namespace kestrel {
namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

Win32Timer::~Win32Timer() {
  if (running_ && window_ != nullptr && GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
    KillTimer(window_, kTimerId);
  }
  if (running_) UnlockModule();
  DestroyMessageWindow(window_);
}

void Win32Timer::Start(int intervalMs, std::function<void()> tick) {
  if (window_ == nullptr || !IsWindow(window_)) window_ = CreateMessageWindow(L"KestrelTimerWindow", &Procedure, this);
  tick_ = std::move(tick);
  // SetTimer on a running id replaces its interval and starts the count again.
  if (SetTimer(window_, kTimerId, static_cast<UINT>(intervalMs > 0 ? intervalMs : 1), nullptr) == 0) {
    throw HostError("The timer cannot be started (error " + std::to_string(GetLastError()) + ")");
  }
  if (!running_) LockModule();
  running_ = true;
}

void Win32Timer::Stop() {
  if (!running_) return;
  KillTimer(window_, kTimerId);
  running_ = false;
  tick_ = nullptr;
  UnlockModule();
}

void Win32Timer::Tick() {
  if (!running_ || !tick_) return;
  std::function<void()> tick = tick_;  // the callback may stop or restart the timer
  try {
    tick();
  } catch (...) {
    // The host's message loop must not see it; the next tick runs as usual.
  }
}

LRESULT CALLBACK Win32Timer::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    if (auto* timer = MessageWindowOwner<Win32Timer>(window)) timer->Tick();
    return 0;
  }
  return MessageWindowDefault(window, message, wParam, lParam);
}

}  // namespace kestrel
