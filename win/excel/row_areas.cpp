// Chunks rows into whole-row area addresses, bottom-up, within the host's address length.
#include "row_areas.h"

#include <algorithm>
#include <functional>

#include "host/address.h"
#include "host/host_error.h"

namespace kestrel {

std::vector<std::string> RowAreaAddresses(std::vector<int> rows, size_t maxLength) {
  std::sort(rows.begin(), rows.end(), std::greater<>());
  if (std::adjacent_find(rows.begin(), rows.end()) != rows.end()) throw HostError("a row is listed twice");
  if (!rows.empty() && (rows.back() < 1 || rows.front() > kMaxRows)) throw HostError("a row is outside the sheet");

  std::vector<std::string> addresses;
  std::vector<std::string> chunk;  // areas of the chunk being filled, bottom first
  size_t length = 0;
  auto flush = [&] {
    std::string address;
    for (auto area = chunk.rbegin(); area != chunk.rend(); ++area) address += (address.empty() ? "" : ",") + *area;
    addresses.push_back(address);
    chunk.clear();
    length = 0;
  };
  for (int row : rows) {
    std::string area = std::to_string(row) + ":" + std::to_string(row);
    const size_t added = area.size() + (chunk.empty() ? 0 : 1);
    if (!chunk.empty() && length + added > maxLength) flush();
    length += area.size() + (chunk.empty() ? 0 : 1);
    chunk.push_back(std::move(area));
  }
  if (!chunk.empty()) flush();
  return addresses;
}

}  // namespace kestrel
