// SystemClock: the Clock port on the standard library's steady and wall clocks.
#pragma once

#include "host/clock.h"

namespace kestrel {

class SystemClock : public Clock {
 public:
  double NowSeconds() override;
  double SecondsSinceMidnight() override;
};

}  // namespace kestrel
