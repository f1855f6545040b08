// Signal masks of the saving threads, through POSIX.
#include "io/system_calls.h"

#include <pthread.h>

namespace kestrel {

HeldStops::HeldStops() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, &before_);
}

HeldStops::~HeldStops() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace kestrel
