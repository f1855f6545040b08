// The quantity and distribution table computed: volumes by class, use in place, the least-cost
// longitudinal haul, borrow and waste, one row per length between two stations.
#pragma once

#include <string>
#include <vector>

#include "haul/haul_distribution.h"
#include "haul/haul_stations.h"
#include "haul/segment_volumes.h"
#include "haul/soil_classes.h"

namespace kestrel {

// What the user chooses for a distribution.
struct HaulRequest {
  VolumeRules Volumes;
  std::vector<ClassRange> Classes;
  std::string RoadClass = kHighRoadClass;
  ConversionFactors Factors{1.23, 1.16, 1.09, 0.92, 0.92, 0.92};  // the road class's unless changed
  HaulPrices Prices{20, 10, 15, 3};
  double BorrowDistance = 0;  // metres to the borrow pit, shown beside each borrow
  double WasteDistance = 0;   // metres to the spoil area
  std::vector<double> Barriers;  // stations no haul crosses
  int RowsPerPage = 20;          // station rows between two 本页合计 rows
};

// The request's own check: "" when it can be used, else the one line that says why.
std::string HaulRequestProblem(const HaulRequest& request);

// The length from the previous station to this one, in compacted m³ except the bank cut.
struct HaulRow {
  double Position = 0;    // the middle of the length: where its material is hauled from or to
  ClassShares Shares{};   // per cent of the cut by class
  double BankCut = 0;     // 挖方 in the bank (natural)
  double Cut = 0;         // the cut compacted: Σ class volume / factor
  double Fill = 0;        // 填方
  double RockShare = 0;   // the part of Cut that is rock (IV to VI), 0 to 1
  double RockHauledIn = 0;  // the rock in HaulIn: each haul's volume by its source's RockShare
  double FillRock = 0;    // the rock in Fill: RockShare of InPlace, and RockHauledIn (borrow is soil)
  double InPlace = 0;     // 本桩利用 = min(Cut, Fill)
  double Deficit = 0;     // 填缺
  double Surplus = 0;     // 挖余
  double HaulIn = 0, HaulInDistance = 0;    // 纵向调入 and its mean distance
  double HaulOut = 0, HaulOutDistance = 0;  // 纵向调出
  double Borrow = 0, Waste = 0;
  double Overhaul = 0;    // m³·km beyond the free haul of what leaves this length
};

struct HaulTable {
  std::vector<HaulStation> Stations;
  std::vector<SegmentVolume> Segments;  // one per station after the first
  std::vector<HaulRow> Rows;            // as Segments
  Distribution Hauls;                   // places are the rows
  HaulRequest Request;
};

// Computes the table. HaulError for a request that cannot be used.
HaulTable ComputeHaulTable(const std::vector<HaulStation>& stations, const HaulRequest& request);

}  // namespace kestrel
