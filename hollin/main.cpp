// Hollin.exe: the 32-bit COM local server through which 64-bit clients create Kestrel's objects.
// It serves no class yet, so it registers nothing and offers no class object: each switch succeeds
// at once, silently, as a windowless local server must.
#include <windows.h>

#include "server_switch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  switch (kestrel::ParseServerSwitch(commandLine)) {
    case kestrel::ServerSwitch::RegServer:    // nothing to register yet
    case kestrel::ServerSwitch::UnregServer:  // nothing to remove yet
    case kestrel::ServerSwitch::Embedding:    // no class object to offer, so nothing to wait for
    case kestrel::ServerSwitch::None:
      return 0;
    case kestrel::ServerSwitch::Unknown:
      break;
  }
  return 1;
}
