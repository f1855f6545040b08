// ManualClock: a Clock double whose time moves only when a test moves it.
#pragma once

#include "host/clock.h"

namespace kestrel {

class ManualClock : public Clock {
 public:
  explicit ManualClock(double now = 1000, double sinceMidnight = 36000) : now_(now), midnight_(sinceMidnight) {}
  double NowSeconds() override { return now_; }
  double SecondsSinceMidnight() override { return midnight_; }
  void Advance(double seconds) {
    now_ += seconds;
    midnight_ += seconds;
  }

 private:
  double now_;
  double midnight_;
};

}  // namespace kestrel
