// Clock: the port to a monotonic clock.
#pragma once

namespace kestrel {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds from an arbitrary fixed start; never goes backwards.
  virtual double NowSeconds() = 0;
  // Seconds since local midnight, for seeding generators the way the host's clock would.
  virtual double SecondsSinceMidnight() = 0;
};

}  // namespace kestrel
