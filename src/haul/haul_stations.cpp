// Reading the stations and areas of a distribution from the sheets that hold them.
#include "haul/haul_stations.h"

#include "earthworks/design_results.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

constexpr const char* kVolumeSheetTitle = "土石挖填方量计算表";
constexpr int kVolumeFirstRow = 4;

std::vector<HaulStation> FromVolumeSheet(Worksheet& sheet) {
  const int last = sheet.EndUp({kMaxRows, 1});
  std::vector<HaulStation> stations;
  if (last < kVolumeFirstRow) return stations;
  const Grid grid = sheet.Values(RangeRef::Block(kVolumeFirstRow, 1, last, 3));
  for (int r = 0; r < grid.Rows(); ++r) {
    const CellValue& station = grid.At(r, 0);
    if (!station.IsNumber()) break;  // the totals row "合计:" or the end
    auto area = [&](int c) { return grid.At(r, c).IsNumber() ? grid.At(r, c).Number() : 0.0; };
    stations.push_back({station.Number(), area(1), area(2), std::nullopt, std::nullopt});
  }
  return stations;
}

}  // namespace

std::vector<HaulStation> HaulStationsOf(const std::vector<DesignSection>& sections) {
  std::vector<HaulStation> stations;
  for (const DesignSection& s : sections) {
    HaulStation h{s.Station, s.Areas.Cut(), s.Areas.Fill(), s.CentreDesignLevel - s.CentreGroundLevel, std::nullopt};
    if (!s.Outline.empty()) h.Width = s.Right.Point.Offset - s.Left.Point.Offset;
    stations.push_back(h);
  }
  return stations;
}

std::vector<HaulStation> ReadHaulStations(Worksheet& sheet) {
  std::vector<HaulStation> stations;
  if (IsDesignResultsSheet(sheet)) {
    stations = HaulStationsOf(ReadDesignResults(sheet));
  } else if (sheet.Value({1, 1}).AsText() == kVolumeSheetTitle) {
    stations = FromVolumeSheet(sheet);
  } else {
    throw HaulError("sheet " + sheet.Name() + " is neither a design results sheet (" + kDesignResultsTitle +
                    ") nor a volume sheet (" + kVolumeSheetTitle + ")");
  }
  if (stations.size() < 2) throw HaulError("sheet " + sheet.Name() + " has fewer than two stations");
  for (size_t k = 1; k < stations.size(); ++k) {
    if (!(stations[k].Station > stations[k - 1].Station))
      throw HaulError("sheet " + sheet.Name() + ": stations do not increase at " + StationText(stations[k].Station));
  }
  for (const HaulStation& s : stations) {
    if (s.Cut < 0 || s.Fill < 0) throw HaulError("sheet " + sheet.Name() + ": a negative area at " + StationText(s.Station));
  }
  return stations;
}

}  // namespace kestrel
