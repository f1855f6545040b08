// SpeedString: append cheaply, join once.
#include "util/speed_string.h"

namespace kestrel {

namespace {
constexpr int32_t kGrowth = 1024;
}

void SpeedString::Reset() {
  slots_.assign(kGrowth + 1, std::string());  // indices 0 to 1024
  count_ = 0;
  capacityMark_ = kGrowth - 1;
}

void SpeedString::Append(std::string value) {
  slots_[count_] = std::move(value);
  ++count_;
  if (count_ > capacityMark_) {
    capacityMark_ += kGrowth;
    slots_.resize(static_cast<size_t>(capacityMark_) + 1);
  }
}

std::string SpeedString::Data(int32_t op) const {
  size_t total = 0;
  for (int32_t i = 0; i < count_; ++i) total += slots_[i].size();
  std::string s;
  s.reserve(total);
  for (int32_t i = 0; i < count_; ++i) s += slots_[i];
  if (op == -1 && s.starts_with("\r\n")) return s.substr(2);
  if (op == -999999 && s.ends_with("\r\n")) return s.substr(0, s.size() - 2);
  return s;
}

}  // namespace kestrel
