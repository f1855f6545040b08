// The table's quantities: volumes split by class and converted, used in place, then distributed.
#include "haul/haul_table.h"

#include <algorithm>

namespace kestrel {

std::string HaulRequestProblem(const HaulRequest& request) {
  const HaulPrices& p = request.Prices;
  if (!(p.FreeHaul >= 0)) return "the free haul distance must not be negative";
  if (!(p.Overhaul >= 0) || !(p.Borrow >= 0) || !(p.Waste >= 0)) return "prices must not be negative";
  for (double f : request.Factors)
    if (!(f > 0)) return "conversion factors must be greater than 0";
  if (!(request.Volumes.FrustumRatio == 0 || request.Volumes.FrustumRatio > 1))
    return "the frustum ratio must be greater than 1 (or 0 for never)";
  for (const StationRange& r : request.Volumes.Excluded)
    if (!(r.From < r.To)) return "an excluded range must run from a lower station to a higher one";
  if (request.RowsPerPage < 1) return "rows per page must be at least 1";
  return ClassRangesProblem(request.Classes);
}

HaulTable ComputeHaulTable(const std::vector<HaulStation>& stations, const HaulRequest& request) {
  if (std::string problem = HaulRequestProblem(request); !problem.empty()) throw HaulError(problem);
  HaulTable table;
  table.Stations = stations;
  table.Request = request;
  table.Segments = SegmentVolumes(stations, request.Volumes);
  std::vector<HaulPlace> places;
  for (size_t k = 0; k < table.Segments.size(); ++k) {
    const SegmentVolume& s = table.Segments[k];
    HaulRow row;
    const double from = stations[k].Station, to = stations[k + 1].Station;
    row.Position = (from + to) / 2;
    row.Shares = ClassSharesAt(request.Classes, row.Position);
    row.BankCut = s.Cut.Volume;
    double rock = 0;
    for (int c = 0; c < kSoilClasses; ++c) {
      const double compacted = row.BankCut * row.Shares[c] / 100 / request.Factors[c];
      row.Cut += compacted;
      if (IsRockClass(c)) rock += compacted;
    }
    row.RockShare = row.Cut > 0 ? rock / row.Cut : 0;
    row.Fill = s.Fill.Volume;
    row.InPlace = std::min(row.Cut, row.Fill);
    row.Deficit = row.Fill - row.InPlace;
    row.Surplus = row.Cut - row.InPlace;
    places.push_back({row.Position, row.Surplus, row.Deficit});
    table.Rows.push_back(row);
  }
  table.Hauls = DistributeHaul(places, request.Barriers, request.Prices);
  for (size_t k = 0; k < table.Rows.size(); ++k) {
    table.Rows[k].Borrow = table.Hauls.Borrowed[k];
    table.Rows[k].Waste = table.Hauls.Wasted[k];
  }
  for (const Haul& h : table.Hauls.Hauls) {
    HaulRow &from = table.Rows[h.From], &to = table.Rows[h.To];
    from.HaulOutDistance += h.Volume * h.Distance;  // volume-weighted, divided below
    from.HaulOut += h.Volume;
    from.Overhaul += h.Volume * std::max(0.0, h.Distance - request.Prices.FreeHaul) / 1000;
    to.HaulInDistance += h.Volume * h.Distance;
    to.HaulIn += h.Volume;
    to.RockHauledIn += h.Volume * from.RockShare;
  }
  for (HaulRow& row : table.Rows) {
    row.FillRock = row.InPlace * row.RockShare + row.RockHauledIn;
    if (row.HaulOut > 0) row.HaulOutDistance /= row.HaulOut;
    if (row.HaulIn > 0) row.HaulInDistance /= row.HaulIn;
  }
  return table;
}

}  // namespace kestrel
