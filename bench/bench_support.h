// What the benchmarks share: a shell that opens nothing.
#pragma once

#include <string>
#include <string_view>

#include "workbook/memory_worksheet.h"
#include "host/shell.h"

namespace kestrel {

class QuietShell : public Shell {
 public:
  void Open(std::string_view, std::string_view) override {}
  std::string ModuleFolder() override { return "."; }
};

// A sorted measured-section sheet: `sections` sections of `perSection` points (A "P", D the level,
// E and F the station, G the offset), one empty row between them, stations 20 m apart from
// 10,000 m. The caller gives point p of section s its offset and level.
template <class Offset, class Level>
void FillSectionSheet(MemoryWorksheet& sheet, int sections, int perSection, Offset offset, Level level) {
  Grid block(sections * (perSection + 1) - 1, 7);
  for (int s = 0; s < sections; ++s) {
    for (int p = 0; p < perSection; ++p) {
      const int r = s * (perSection + 1) + p;
      block.At(r, 0) = "P";
      block.At(r, 3) = level(s, p);
      block.At(r, 4) = 10000.0 + 20 * s;
      block.At(r, 5) = 10000.0 + 20 * s;
      block.At(r, 6) = offset(s, p);
    }
  }
  sheet.SetValues({1, 1}, block);
}

}  // namespace kestrel
