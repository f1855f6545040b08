// How long Hollin.exe runs: while a client holds any object it handed out, or a server lock.
#pragma once

#include <windows.h>

namespace kestrel {

// One more reference that keeps the server running: a live Cls64 object, an object that a
// client received from one (through its ServerHeldObject wrapper), or IClassFactory::LockServer.
void HoldServer();
// Drops one; after the last one the server's message loop ends (RunServerLoop returns) and COM
// hands out no new objects from this process.
void ReleaseServer();

// Runs the message loop of the server's apartment on this thread until the last reference goes.
void RunServerLoop();

}  // namespace kestrel
