// SystemClock: steady seconds for timing, local wall-clock seconds since midnight for seeding.
#include "host/system_clock.h"

#include <chrono>
#include <ctime>

namespace kestrel {

double SystemClock::NowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double SystemClock::SecondsSinceMidnight() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  // localtime is not reentrant; the add-in makes one call at a time on one thread.
  const std::tm local = *std::localtime(&t);
  const double fraction =
      std::chrono::duration<double>(now - std::chrono::system_clock::from_time_t(t)).count();
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

}  // namespace kestrel
