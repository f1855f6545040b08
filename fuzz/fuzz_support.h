// What the fuzz targets share: the input as a file for readers that take a path, and .xlsx
// packages built around one fuzzed part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel::fuzz {

// Writes the bytes to this process's scratch file with that extension (".Dic", ".xlsx") and
// returns its path; the same path is reused by every run, and removed when the process ends.
std::string InputFile(std::string_view bytes, std::string_view extension);
inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A small workbook package: one worksheet with numbers, shared strings, formulas, styles,
// merges and two notes (comments part and VML drawing). The part named `part` is replaced by
// `bytes` (the others stay as they are; several with ReadPackageWithParts) and the package is read with ReadXlsx; a
// WorkbookFileError is an expected answer, any other exception escapes to the fuzzer.
//   ReadPackageWithPart("xl/styles.xml", bytes);
using PartBytes = std::vector<std::pair<std::string_view, std::string_view>>;
void ReadPackageWithParts(const PartBytes& parts);
inline void ReadPackageWithPart(std::string_view part, std::string_view bytes) { ReadPackageWithParts({{part, bytes}}); }

}  // namespace kestrel::fuzz
