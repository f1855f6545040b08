// The roadbed earthwork quantity and distribution table (路基土石方数量计算表) on a worksheet,
// with live formulas: a number changed in the sheet recalculates every quantity that follows
// from it; only the haul decisions (what goes where, how far) are values.
#pragma once

#include <vector>

#include "host/worksheet.h"
#include "haul/haul_table.h"

namespace kestrel {

inline constexpr const char* kHaulSheetTitle = "路基土石方数量计算表";

// The table's columns. Areas m², distances m, volumes m³ (the cut by class in the bank, every
// other volume compacted).
enum HaulColumn {
  kHaulStation = 1,  // A 桩号
  kHaulCutArea,      // B 挖方面积
  kHaulFillArea,     // C 填方面积
  kHaulMeanCut,      // D 平均挖方面积
  kHaulMeanFill,     // E 平均填方面积
  kHaulDistance,     // F 距离 (less bridges and tunnels)
  kHaulHeight,       // G 中桩填挖高 (fill +, cut −)
  kHaulWidth,        // H 坡口宽度
  kHaulBankCut,      // I 挖方总数量 (bank)
  kHaulFirstClass,   // J..O the six classes (bank)
  kHaulCut = kHaulFirstClass + 6,  // P 挖方(压实方)
  kHaulFill,         // Q 填方总数量
  kHaulFillSoil,     // R 填方土方: what is not rock
  kHaulFillRock,     // S 填方石方: the rock share of what is used in place and hauled in
  kHaulInPlace,      // T 本桩利用
  kHaulDeficit,      // U 填缺
  kHaulSurplus,      // V 挖余
  kHaulIn,           // W 纵向调入
  kHaulInDistance,   // X 调入运距
  kHaulOut,          // Y 纵向调出
  kHaulOutDistance,  // Z 调出运距
  kHaulBorrow,       // AA 借方
  kHaulBorrowDistance,  // AB 借方运距
  kHaulWaste,        // AC 废方
  kHaulWasteDistance,   // AD 废方运距
  kHaulOverhaul,     // AE 超运量 (m³·km)
  kHaulRemarks,      // AF 备注
  kHaulLastColumn = kHaulRemarks
};
inline constexpr int kHaulFactorRow = 4;    // the conversion factors, above their class columns
inline constexpr int kHaulFirstRow = 5;     // the first station

// Where everything lands: a row per station, a 本页合计 row after every RowsPerPage stations,
// then 合计, the summary per kilometre and the costs.
struct HaulSheetRows {
  std::vector<int> Station;    // sheet row of each station
  std::vector<int> PageTotal;  // sheet rows of 本页合计
  int Total = 0;               // 合计
  int KilometreFirst = 0;      // first row of the summary per kilometre (after its header row)
  int Kilometres = 0;
  int CostFirst = 0;           // first row of the prices and costs
};
HaulSheetRows HaulSheetRowsOf(const HaulTable& table);

// Writes the whole table on the sheet (one block write for the body). Host errors propagate.
//   WriteHaulSheet(sheet, ComputeHaulTable(ReadHaulStations(results), request));
void WriteHaulSheet(Worksheet& sheet, const HaulTable& table);

// The cost rows' cells, for readers of the sheet: the total cost is in column B of this row.
inline constexpr int kHaulCostRows = 9;

}  // namespace kestrel
