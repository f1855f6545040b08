// The sections the last draw-data run found: what the volume sheet and the saved state read.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

// One section found by the last draw-data run.
struct SectionRecord {
  int StartRow = 0;
  int EndRow = 0;
  double Station = 0;
  std::string StationText;
  double CentreLevel = 0;
  double BaseX = 0;
  double BaseY = 0;
  bool Matched = false;
};

struct DrawnSections {
  // Sections recorded by the last draw-data run, read by the volume sheet.
  std::vector<SectionRecord> SectionList;
  int SectionCount = 0;
  // The level-label commands of the last draw-data run, in the order they were produced.
  std::vector<std::string> LabelCommands;
};

}  // namespace kestrel
