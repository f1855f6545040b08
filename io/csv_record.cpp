// CSV records: quoting as spreadsheets expect it.
#include "io/csv_record.h"

namespace kestrel {

std::string CsvField(std::string_view field) {
  bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
               (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) return std::string(field);
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += CsvField(fields[i]);
  }
  return out;
}

}  // namespace kestrel
