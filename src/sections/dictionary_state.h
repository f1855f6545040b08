// The station-location dictionary as the section commands keep it between runs.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

// One record of the station-location dictionary.
struct DicRecord {
  double Station = 0;
  double OriginX = 0;
  double OriginY = 0;
  double OriginLevel = 0;
  friend bool operator==(const DicRecord&, const DicRecord&) = default;
};

// The dictionary and the file it was loaded from ("" when none).
struct DictionaryState {
  std::vector<DicRecord> StationDictionary;
  std::string DicFileName;
};

}  // namespace kestrel
