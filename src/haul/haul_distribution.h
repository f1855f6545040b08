// The least-cost longitudinal distribution of surplus cut to deficit fill along a road.
#pragma once

#include <vector>

namespace kestrel {

// One place that gives or needs material, after its own cut was used in place: its position
// along the road (metres; the centroid of its length) and, in compacted cubic metres, the
// surplus it gives or the deficit it needs (one of the two is 0).
struct HaulPlace {
  double Position = 0;
  double Surplus = 0;
  double Deficit = 0;
};

// Prices per compacted cubic metre. A haul of distance d costs Overhaul x max(0, d - FreeHaul)
// / 1000 a cubic metre; Borrow and Waste are the prices of bringing in and putting away one.
struct HaulPrices {
  double FreeHaul = 0;  // metres hauled at no charge
  double Overhaul = 0;  // 元/(m³·km) beyond the free haul
  double Borrow = 0;    // 元/m³ borrowed
  double Waste = 0;     // 元/m³ wasted
};

// One haul: from the place that gives to the place that takes (indexes into the places).
struct Haul {
  int From = 0;
  int To = 0;
  double Volume = 0;    // m³
  double Distance = 0;  // metres between the two positions
};

struct Distribution {
  std::vector<Haul> Hauls;          // by giving place, then taking place
  std::vector<double> Wasted;       // per place
  std::vector<double> Borrowed;     // per place
  double OverhaulCost = 0, BorrowCost = 0, WasteCost = 0;
  double TotalCost() const { return OverhaulCost + BorrowCost + WasteCost; }
};

// The price of hauling one cubic metre this far.
double HaulUnitCost(double distance, const HaulPrices& prices);

// The economic haul limit: beyond it, wasting here and borrowing there costs less than hauling.
// FreeHaul + (Borrow + Waste) / Overhaul x 1000 metres; infinite without an overhaul price.
double EconomicHaulLimit(const HaulPrices& prices);

// The distribution of least total cost (overhaul, borrow and waste): every surplus is hauled or
// wasted, every deficit hauled or borrowed, and no haul crosses a barrier (a position along the
// road, such as a river without a bridge). Exact: a minimum-cost flow over a network whose paths
// cost exactly a haul's price (a free reach of FreeHaul each way, then paid lines), solved by
// successive shortest paths; the hauls are then paired in order along the road, which for a cost
// convex in the distance is the cheapest pairing of the same amounts.
//   places {0 m: surplus 100}, {150 m: deficit 60}, prices free 50 m, 10 元/(m³·km), borrow 5, waste 1
//   -> one haul of 60 m³ over 150 m (1 元/m³ each), 40 m³ wasted: cost 60 + 40 = 100
Distribution DistributeHaul(const std::vector<HaulPlace>& places, const std::vector<double>& barriers,
                            const HaulPrices& prices);

}  // namespace kestrel
