// Timer: the port to a repeating timer on the user-interface thread (the dialogs' one timer).
#pragma once

#include <functional>

namespace kestrel {

class Timer {
 public:
  virtual ~Timer() = default;
  // Calls tick every intervalMs milliseconds until Stop; starting again replaces the callback.
  virtual void Start(int intervalMs, std::function<void()> tick) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
};

}  // namespace kestrel
