// The server's references, counted beside COM's process count, and the loop that ends when they
// stay at zero.
#include "server_lifetime.h"

#include <objbase.h>

#include <atomic>

namespace kestrel {
namespace {

// Posted to the loop's thread when the last reference goes.
constexpr UINT kIdleMessage = WM_APP + 1;

std::atomic<DWORD> loopThread{0};
std::atomic<ULONG> held{0};

}  // namespace

void HoldServer() {
  ++held;
  CoAddRefServerProcess();
}

void ReleaseServer() {
  CoReleaseServerProcess();
  if (--held == 0) PostThreadMessageW(loopThread.load(), kIdleMessage, 0, 0);
}

extern "C" void KestrelHoldServer() { HoldServer(); }
extern "C" void KestrelReleaseServer() { ReleaseServer(); }

void RunServerLoop() {
  loopThread = GetCurrentThreadId();
  // One thread timer at a time: the idle wait, restarted by each idle message; when it expires
  // with a reference held, the next idle message starts it again.
  UINT_PTR idleTimer = SetTimer(nullptr, 0, kUnusedStartMs, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == kIdleMessage) {
      if (idleTimer != 0) KillTimer(nullptr, idleTimer);
      idleTimer = SetTimer(nullptr, 0, kLingerMs, nullptr);
      continue;
    }
    if (message.hwnd == nullptr && message.message == WM_TIMER && message.wParam == idleTimer) {
      KillTimer(nullptr, idleTimer);
      idleTimer = 0;
      if (held.load() == 0) break;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace kestrel
