// Signal masks and standard error of the saving process, through POSIX.
#include "io/system_calls.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdio>

namespace kestrel {

HeldStops::HeldStops() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, &before_);
}

HeldStops::~HeldStops() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

SilencedStandardError::SilencedStandardError() {
  std::fflush(stderr);
  saved_ = dup(STDERR_FILENO);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved_ >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
  if (nowhere >= 0) close(nowhere);
}

SilencedStandardError::~SilencedStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, STDERR_FILENO);
  close(saved_);
}

}  // namespace kestrel
