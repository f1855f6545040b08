// The operating system's part in saving workbook files: signals held while a save cannot be stopped.
#pragma once

#include <csignal>

namespace kestrel {

// While it lives, SIGINT and SIGTERM wait on this thread, and on the threads it starts: the
// handler of a save in progress runs on the saving thread, once nothing is half written.
class HeldStops {
 public:
  HeldStops();
  ~HeldStops();
  HeldStops(const HeldStops&) = delete;
  HeldStops& operator=(const HeldStops&) = delete;

 private:
  sigset_t before_;
};

}  // namespace kestrel
