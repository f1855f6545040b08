// How long Hollin.exe runs: while a client holds any object it handed out, or a server lock, and
// a short while after the last one goes.
#pragma once

#include <windows.h>

namespace kestrel {

// One more reference that keeps the server running: a live Cls64 object, an object that a
// client received from one (the library's objects hold it themselves, through the program's
// exports below; another's through its ServerHeldObject wrapper), or IClassFactory::LockServer.
void HoldServer();
// Drops one. The server ends when none has been held for kLingerMs: a client's last calls as it
// shuts down (releasing what it still holds beside the objects) are served before the server's
// own shutdown. Where COM keeps the class objects running at zero (Wine does), a client back
// within that time is served by this server rather than by one that is ending.
void ReleaseServer();

// The same two for the library's objects made in this process, which find them among the
// program's exports by these names.
extern "C" __declspec(dllexport) void KestrelHoldServer();
extern "C" __declspec(dllexport) void KestrelReleaseServer();

inline constexpr UINT kLingerMs = 2000;
// A server that COM started but that no client reached ends after this long.
inline constexpr UINT kUnusedStartMs = 10000;

// Runs the message loop of the server's apartment on this thread until the server ends.
void RunServerLoop();

}  // namespace kestrel
