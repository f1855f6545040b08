// Multi-area row addresses ("3:3,7:7") for the host's one-call insertion and deletion of many rows.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

// The host refuses a range address longer than this many characters.
inline constexpr size_t kMaxAddressLength = 255;

// The rows as whole-row areas, one area per row (never merged: "3:4" would insert two rows above
// row 3, while "3:3,4:4" inserts one above each). Each address fits maxLength; the first address
// holds the bottom-most rows, so that working through the addresses in order never moves a row
// still to come. Within an address the areas ascend. Throws HostError for a row listed twice or
// outside the sheet.
//   RowAreaAddresses({7, 3, 12}) == {"3:3,7:7,12:12"}
std::vector<std::string> RowAreaAddresses(std::vector<int> rows, size_t maxLength = kMaxAddressLength);

}  // namespace kestrel
