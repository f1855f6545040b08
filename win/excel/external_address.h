// A Range's address as the host writes it for another book: "[Book1.xlsx]Sheet1!$A$1:$C$3".
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "host/address.h"

namespace kestrel {

// The book's name, the sheet's name and the block of one Range.Address(External:=True). The
// host quotes the book and sheet when their names need it, doubling an apostrophe inside:
// "'[G312 road.xlsx]K0+000 ''old'''!$B$2" is book "G312 road.xlsx", sheet "K0+000 'old'".
struct ExternalAddress {
  std::string_view book;
  std::string_view sheet;
  RangeRef range;
};

// Reads `text` (UTF-8), undoing the quoting in place, so that the views point into it. Nothing
// for anything else, a range of several areas included.
//   char text[] = "[Book1]Sheet1!$A$1:$C$3";
//   ParseExternalAddress(text, sizeof text - 1)->sheet == "Sheet1"
std::optional<ExternalAddress> ParseExternalAddress(char* text, size_t length);

}  // namespace kestrel
