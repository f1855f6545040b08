// Helpers shared by the host-model tests: A1 text to addresses.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "host/address.h"

namespace kestrel::testing {

inline RangeRef Range(std::string_view a1) {
  auto r = RangeRef::Parse(a1);
  if (!r) throw std::invalid_argument("bad address in test: " + std::string(a1));
  return *r;
}

inline CellRef Cell(std::string_view a1) { return Range(a1).first; }

}  // namespace kestrel::testing
