// SpeedString: collects many string pieces and joins them once (the cSpeedString class).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

// Slots grow by 1024 at a time, never by doubling.
//   SpeedString s; s.Append("\r\n"); s.Append("a"); s.Data(-1) == "a"
class SpeedString {
 public:
  SpeedString() { Reset(); }
  void Reset();
  void Append(std::string value);
  // The joined text; op -1 drops one leading CR LF, op -999999 one trailing CR LF.
  std::string Data(int32_t op = 0) const;

  int32_t Count() const { return count_; }
  int32_t CapacityMark() const { return capacityMark_; }
  size_t SlotCount() const { return slots_.size(); }

 private:
  std::vector<std::string> slots_;
  int32_t count_ = 0;
  int32_t capacityMark_ = 0;
};

}  // namespace kestrel
