// The server's references through COM's process count, which also stops new activations at zero.
#include "server_lifetime.h"

#include <objbase.h>

#include <atomic>

namespace kestrel {
namespace {

std::atomic<DWORD> loopThread{0};

}  // namespace

void HoldServer() { CoAddRefServerProcess(); }

void ReleaseServer() {
  // At zero COM suspends the class objects itself, so no client can reach the ending server.
  if (CoReleaseServerProcess() == 0) PostThreadMessageW(loopThread.load(), WM_QUIT, 0, 0);
}

void RunServerLoop() {
  loopThread = GetCurrentThreadId();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace kestrel
