// One CSV record as text: fields joined by commas, quoted where they must be.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The field as CSV writes it: between double quotes (inner quotes doubled) when it holds a
// comma, a quote, a line break or leading/trailing blanks; as it is otherwise.
std::string CsvField(std::string_view field);
// The fields joined by commas, without a line end.
std::string CsvRecord(const std::vector<std::string>& fields);

}  // namespace kestrel
