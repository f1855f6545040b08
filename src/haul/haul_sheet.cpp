// Writing the quantity and distribution table: headers, one block of values and formulas, totals.
#include "haul/haul_sheet.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "util/number_text.h"
#include "volumes/volume_sheet.h"

namespace kestrel {
namespace {

constexpr int kTitleRow = 1, kHeaderRow = 2, kSubHeaderRow = 3;
constexpr const char* kPageTotal = "本页合计";

std::string At(int column, int row) { return ColumnLetters(column) + std::to_string(row); }
std::string Number(double v) { return GeneralText(v); }

// The columns a total adds up: distances of the road and every volume (not the mean haul
// distances, which do not add).
bool Summed(int column) {
  return column == kHaulDistance || (column >= kHaulBankCut && column <= kHaulIn) || column == kHaulOut ||
         column == kHaulBorrow || column == kHaulWaste || column == kHaulOverhaul;
}

// One kind's volume formula between rows p and r: area column `area`, by the form chosen.
std::string VolumeFormula(const PartVolume& part, int area, int mean, int p, int r) {
  const std::string a1 = At(area, p), a2 = At(area, r), length = At(kHaulDistance, r);
  switch (part.Form) {
    case VolumeForm::Frustum:
      return "=" + length + "/3*(" + a1 + "+" + a2 + "+SQRT(" + a1 + "*" + a2 + "))";
    case VolumeForm::Pyramid:
      return "=MAX(" + a1 + "," + a2 + ")*" + length + "/3";
    case VolumeForm::Prismoidal:
      return "=" + At(mean, r) + "*" + length + "-" + length + "/12*(ABS(" + At(kHaulHeight, p) + ")-ABS(" +
             At(kHaulHeight, r) + "))*(" + At(kHaulWidth, p) + "-" + At(kHaulWidth, r) + ")";
    case VolumeForm::AverageEndArea:
      break;
  }
  return "=" + At(mean, r) + "*" + length;
}

const char* FormName(VolumeForm form) {
  switch (form) {
    case VolumeForm::Frustum: return "棱台体";
    case VolumeForm::Pyramid: return "锥体";
    case VolumeForm::Prismoidal: return "棱柱体修正";
    case VolumeForm::AverageEndArea: break;
  }
  return "";
}

FontChange Font(std::optional<std::string> name, std::optional<double> size, std::optional<bool> bold) {
  FontChange font;
  font.name = std::move(name);
  font.size = size;
  font.bold = bold;
  return font;
}

std::string Rounded(double v, int digits) { return FormatDecimal(RoundHalfAway(v, digits), digits); }

// The remarks of a length: its forms, what bridges and tunnels took off, and its hauls out as
// arrows toward where they go: "→K0+340 120.000m³ 200m".
std::string Remarks(const HaulTable& table, size_t k) {
  const SegmentVolume& s = table.Segments[k];
  std::vector<std::string> parts;
  if (s.Excluded > 0) parts.push_back("扣除桥隧" + Rounded(s.Excluded, 3) + "m");
  if (s.Cut.Form != VolumeForm::AverageEndArea) parts.push_back(std::string("挖方") + FormName(s.Cut.Form));
  if (s.Fill.Form != VolumeForm::AverageEndArea) parts.push_back(std::string("填方") + FormName(s.Fill.Form));
  for (const Haul& h : table.Hauls.Hauls) {
    if (h.From != static_cast<int>(k)) continue;
    parts.push_back(std::string(h.To > h.From ? "→" : "←") + StationText(table.Stations[h.To + 1].Station) + " " +
                    Rounded(h.Volume, 3) + "m³ " + Rounded(h.Distance, 1) + "m");
  }
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "；") + part;
  return text;
}

void StationRow(Grid& grid, int g, const HaulTable& table, size_t i, int r, int p) {
  const HaulStation& st = table.Stations[i];
  grid.At(g, kHaulStation - 1) = st.Station;
  grid.At(g, kHaulCutArea - 1) = st.Cut;
  grid.At(g, kHaulFillArea - 1) = st.Fill;
  if (st.Height) grid.At(g, kHaulHeight - 1) = *st.Height;
  if (st.Width) grid.At(g, kHaulWidth - 1) = *st.Width;
  if (i == 0) return;
  const size_t k = i - 1;
  const SegmentVolume& s = table.Segments[k];
  const HaulRow& row = table.Rows[k];
  auto set = [&](int column, const CellValue& v) { grid.At(g, column - 1) = v; };
  set(kHaulMeanCut, "=(" + At(kHaulCutArea, p) + "+" + At(kHaulCutArea, r) + ")/2");
  set(kHaulMeanFill, "=(" + At(kHaulFillArea, p) + "+" + At(kHaulFillArea, r) + ")/2");
  set(kHaulDistance, "=" + At(kHaulStation, r) + "-" + At(kHaulStation, p) +
                         (s.Excluded > 0 ? "-" + Number(s.Excluded) : std::string()));
  set(kHaulBankCut, VolumeFormula(s.Cut, kHaulCutArea, kHaulMeanCut, p, r));
  std::string converted = "=";
  for (int c = 0; c < kSoilClasses; ++c) {
    const int column = kHaulFirstClass + c;
    set(column, "=" + At(kHaulBankCut, r) + "*" + Number(row.Shares[c]) + "/100");
    converted += (c ? "+" : "") + At(column, r) + "/" + ColumnLetters(column) + "$" + std::to_string(kHaulFactorRow);
  }
  set(kHaulCut, converted);
  set(kHaulFill, VolumeFormula(s.Fill, kHaulFillArea, kHaulMeanFill, p, r));
  const std::string cut = At(kHaulCut, r), fill = At(kHaulFill, r), inPlace = At(kHaulInPlace, r);
  // The rock used in place follows the cut's classes; the rock hauled in is the haul's value.
  std::string rockCut;
  for (int c = 0; c < kSoilClasses; ++c) {
    if (!IsRockClass(c)) continue;
    const int column = kHaulFirstClass + c;
    rockCut += (rockCut.empty() ? "" : "+") + At(column, r) + "/" + ColumnLetters(column) + "$" +
               std::to_string(kHaulFactorRow);
  }
  set(kHaulFillRock, "=IF(" + cut + ">0," + inPlace + "*(" + rockCut + ")/" + cut + ",0)" +
                         (row.RockHauledIn > 0 ? "+" + Number(row.RockHauledIn) : std::string()));
  set(kHaulFillSoil, "=" + fill + "-" + At(kHaulFillRock, r));
  set(kHaulInPlace, "=MIN(" + cut + "," + fill + ")");
  set(kHaulDeficit, "=" + fill + "-" + inPlace);
  set(kHaulSurplus, "=" + cut + "-" + inPlace);
  set(kHaulIn, row.HaulIn);
  if (row.HaulIn > 0) set(kHaulInDistance, row.HaulInDistance);
  set(kHaulOut, row.HaulOut);
  if (row.HaulOut > 0) set(kHaulOutDistance, row.HaulOutDistance);
  set(kHaulBorrow, "=" + At(kHaulDeficit, r) + "-" + At(kHaulIn, r));
  if (row.Borrow > 0) set(kHaulBorrowDistance, table.Request.BorrowDistance);
  set(kHaulWaste, "=" + At(kHaulSurplus, r) + "-" + At(kHaulOut, r));
  if (row.Waste > 0) set(kHaulWasteDistance, table.Request.WasteDistance);
  set(kHaulOverhaul, row.Overhaul);
  const std::string remarks = Remarks(table, k);
  if (!remarks.empty()) set(kHaulRemarks, remarks);
}

void WriteHeaders(Worksheet& sheet, const HaulTable& table) {
  Grid texts(3, kHaulLastColumn);
  struct Header {
    int column, lastColumn;
    const char* text;
  };
  const Header tall[] = {{kHaulStation, 0, "桩号"},           {kHaulDistance, 0, "距离(m)"},
                         {kHaulHeight, 0, "中桩填(+)挖(-)高(m)"}, {kHaulWidth, 0, "坡口宽度(m)"},
                         {kHaulCut, 0, "挖方折合压实方(m³)"},
                         {kHaulInPlace, 0, "本桩利用(m³)"},    {kHaulDeficit, 0, "填缺(m³)"},
                         {kHaulSurplus, 0, "挖余(m³)"},        {kHaulOverhaul, 0, "超运量(m³·km)"},
                         {kHaulRemarks, 0, "备注"}};
  const Header wide[] = {{kHaulCutArea, kHaulFillArea, "横断面面积(m²)"},
                         {kHaulMeanCut, kHaulMeanFill, "平均面积(m²)"},
                         {kHaulBankCut, kHaulFirstClass + 5, "挖方(天然密实方, m³)"},
                         {kHaulFill, kHaulFillRock, "填方(m³)"},
                         {kHaulIn, kHaulOutDistance, "纵向调配"},
                         {kHaulBorrow, kHaulBorrowDistance, "借方"},
                         {kHaulWaste, kHaulWasteDistance, "废方"}};
  for (const Header& h : tall) texts.At(1, h.column - 1) = h.text;
  for (const Header& h : wide) texts.At(1, h.column - 1) = h.text;
  const std::pair<int, const char*> below[] = {
      {kHaulCutArea, "挖方"},        {kHaulFillArea, "填方"},    {kHaulMeanCut, "挖方"},  {kHaulMeanFill, "填方"},
      {kHaulBankCut, "总数量"},      {kHaulFill, "总数量"},      {kHaulFillSoil, "土方"},
      {kHaulFillRock, "石方"},        {kHaulIn, "调入(m³)"},      {kHaulInDistance, "调入运距(m)"},
      {kHaulOut, "调出(m³)"},        {kHaulOutDistance, "调出运距(m)"}, {kHaulBorrow, "数量(m³)"},
      {kHaulBorrowDistance, "运距(m)"}, {kHaulWaste, "数量(m³)"}, {kHaulWasteDistance, "运距(m)"}};
  for (const auto& [column, text] : below) texts.At(2, column - 1) = text;
  for (int c = 0; c < kSoilClasses; ++c) texts.At(2, kHaulFirstClass + c - 1) = kSoilClassNames[c];
  texts.At(0, 0) = kHaulSheetTitle;
  sheet.SetValues({kTitleRow, 1}, texts);
  // The factors row: bank cubic metres per compacted cubic metre, by class.
  Grid factors(1, kHaulLastColumn);
  factors.At(0, 0) = "换算系数";
  factors.At(0, 1) = table.Request.RoadClass + "公路 (天然密实方/压实方)";
  for (int c = 0; c < kSoilClasses; ++c) factors.At(0, kHaulFirstClass + c - 1) = table.Request.Factors[c];
  sheet.SetValues({kHaulFactorRow, 1}, factors);

  sheet.Merge(RangeRef::Block(kTitleRow, 1, kTitleRow, kHaulLastColumn));
  for (const Header& h : tall) sheet.Merge(RangeRef::Block(kHeaderRow, h.column, kSubHeaderRow, h.column));
  for (const Header& h : wide) sheet.Merge(RangeRef::Block(kHeaderRow, h.column, kHeaderRow, h.lastColumn));
  sheet.Merge(RangeRef::Block(kHaulFactorRow, 2, kHaulFactorRow, kHaulBankCut));
}

}  // namespace

HaulSheetRows HaulSheetRowsOf(const HaulTable& table) {
  HaulSheetRows rows;
  const int perPage = table.Request.RowsPerPage;
  int r = kHaulFirstRow;
  const int count = static_cast<int>(table.Stations.size());
  for (int i = 0; i < count; ++i) {
    rows.Station.push_back(r++);
    if ((i + 1) % perPage == 0 || i + 1 == count) rows.PageTotal.push_back(r++);
  }
  rows.Total = r++;
  const double first = table.Stations.front().Station, last = table.Stations.back().Station;
  const int firstKm = static_cast<int>(std::floor(first / 1000)), lastKm = static_cast<int>(std::ceil(last / 1000));
  rows.Kilometres = std::max(1, lastKm - firstKm);
  r += 1;  // a blank row
  rows.KilometreFirst = r + 1;  // after its header row
  r = rows.KilometreFirst + rows.Kilometres + 1;
  rows.CostFirst = r;
  return rows;
}

void WriteHaulSheet(Worksheet& sheet, const HaulTable& table) {
  const HaulSheetRows rows = HaulSheetRowsOf(table);
  const int lastBodyRow = rows.CostFirst + kHaulCostRows - 1;
  const int top = kHaulFirstRow;
  Grid body(lastBodyRow - top + 1, kHaulLastColumn);
  const int count = static_cast<int>(table.Stations.size());
  int pageStart = rows.Station[0];
  size_t page = 0;
  for (int i = 0; i < count; ++i) {
    const int r = rows.Station[i];
    StationRow(body, r - top, table, i, r, i > 0 ? rows.Station[i - 1] : r);
    if (page < rows.PageTotal.size() && rows.PageTotal[page] == r + 1) {
      const int t = r + 1;
      body.At(t - top, 0) = kPageTotal;
      for (int c = 1; c <= kHaulLastColumn; ++c) {
        if (!Summed(c)) continue;
        const std::string letters = ColumnLetters(c);
        body.At(t - top, c - 1) = "=SUM(" + letters + std::to_string(pageStart) + ":" + letters + std::to_string(r) + ")";
      }
      pageStart = t + 1;
      ++page;
    }
  }
  const int lastTableRow = rows.Total - 1;
  const std::string stations = "$A$" + std::to_string(top) + ":$A$" + std::to_string(lastTableRow);
  body.At(rows.Total - top, 0) = "合计";
  for (int c = 1; c <= kHaulLastColumn; ++c) {
    if (!Summed(c)) continue;
    const std::string letters = ColumnLetters(c);
    body.At(rows.Total - top, c - 1) = "=SUMIF(" + stations + ",\"<>" + kPageTotal + "\"," + letters +
                                       std::to_string(top) + ":" + letters + std::to_string(lastTableRow) + ")";
  }
  // The summary per kilometre: a length counts in the kilometre that holds its end station.
  body.At(rows.KilometreFirst - 1 - top, 0) = "每公里汇总";
  const int firstKm = static_cast<int>(std::floor(table.Stations.front().Station / 1000));
  for (int k = 0; k < rows.Kilometres; ++k) {
    const int r = rows.KilometreFirst + k;
    const double from = (firstKm + k) * 1000.0, to = from + 1000;
    body.At(r - top, 0) = "K" + std::to_string(firstKm + k) + "～K" + std::to_string(firstKm + k + 1);
    for (int c = 1; c <= kHaulLastColumn; ++c) {
      if (!Summed(c)) continue;
      const std::string letters = ColumnLetters(c);
      const std::string values = letters + "$" + std::to_string(top) + ":" + letters + "$" + std::to_string(lastTableRow);
      body.At(r - top, c - 1) = "=SUMIFS(" + values + "," + stations + ",\">" + Number(from) + "\"," + stations +
                                ",\"<=" + Number(to) + "\")";
    }
  }
  // Prices and costs: the prices are cells the costs refer to.
  const HaulPrices& prices = table.Request.Prices;
  const int c0 = rows.CostFirst;
  auto cost = [&](int k, const char* label, const CellValue& value) {
    body.At(c0 + k - top, 0) = label;
    body.At(c0 + k - top, 1) = value;
  };
  auto b = [&](int k) { return At(2, c0 + k); };
  auto total = [&](int column) { return At(column, rows.Total); };
  cost(0, "免费运距(m)", prices.FreeHaul);
  cost(1, "超运距单价(元/m³·km)", prices.Overhaul);
  cost(2, "借方单价(元/m³)", prices.Borrow);
  cost(3, "废方单价(元/m³)", prices.Waste);
  cost(4, "经济运距(m)",
       prices.Overhaul > 0 ? CellValue("=" + b(0) + "+(" + b(2) + "+" + b(3) + ")/" + b(1) + "*1000") : CellValue("不限"));
  cost(5, "超运费(元)", "=" + total(kHaulOverhaul) + "*" + b(1));
  cost(6, "借方费(元)", "=" + total(kHaulBorrow) + "*" + b(2));
  cost(7, "废方费(元)", "=" + total(kHaulWaste) + "*" + b(3));
  cost(8, "调配总费用(元)", "=" + b(5) + "+" + b(6) + "+" + b(7));

  WriteHeaders(sheet, table);
  sheet.SetValues({top, 1}, body);

  const RangeRef all = RangeRef::WholeColumns(1, kHaulLastColumn);
  sheet.SetFont(all, Font("仿宋", 10, std::nullopt));
  sheet.SetAlignment(all, HAlign::Center, VAlign::Center);
  sheet.SetFont(RangeRef::Cell(kTitleRow, 1), Font(std::nullopt, 16, true));
  sheet.SetRowHeight(kTitleRow, kTitleRow, 36);
  sheet.SetWrapText(RangeRef::Block(kHeaderRow, 1, kSubHeaderRow, kHaulLastColumn), true);
  sheet.SetRowHeight(kHeaderRow, kSubHeaderRow, 30);
  sheet.SetColumnWidth(1, 1, 13);
  sheet.SetColumnWidth(2, kHaulLastColumn - 1, 9);
  sheet.SetColumnWidth(kHaulRemarks, kHaulRemarks, 40);
  sheet.SetAlignment(RangeRef::Block(top, kHaulRemarks, lastTableRow, kHaulRemarks), HAlign::Left, std::nullopt);
  sheet.SetNumberFormat(RangeRef::Block(top, 1, rows.Total - 1, 1), kStationNumberFormat);
  sheet.SetNumberFormat(RangeRef::Block(top, 2, rows.Total, kHaulWidth), "0.00");
  sheet.SetNumberFormat(RangeRef::Block(rows.KilometreFirst, kHaulDistance, rows.KilometreFirst + rows.Kilometres - 1,
                                        kHaulDistance),
                        "0.00");
  sheet.SetNumberFormat(RangeRef::Block(top, kHaulBankCut, rows.KilometreFirst + rows.Kilometres - 1, kHaulOverhaul), "0.000");
  for (int c : {kHaulInDistance, kHaulOutDistance, kHaulBorrowDistance, kHaulWasteDistance})
    sheet.SetNumberFormat(RangeRef::Block(top, c, rows.Total, c), "0.0");
  sheet.SetNumberFormat(RangeRef::Block(c0, 2, c0 + kHaulCostRows - 1, 2), "0.00");
  for (int r : rows.PageTotal) sheet.SetFont(RangeRef::Block(r, 1, r, kHaulLastColumn), Font(std::nullopt, std::nullopt, true));
  sheet.SetFont(RangeRef::Block(rows.Total, 1, rows.Total, kHaulLastColumn), Font(std::nullopt, std::nullopt, true));
  const RangeRef grid = RangeRef::Block(kHeaderRow, 1, rows.Total, kHaulLastColumn);
  for (BorderEdge edge : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right,
                          BorderEdge::InsideVertical, BorderEdge::InsideHorizontal})
    sheet.SetBorder(grid, edge, LineStyle::Continuous);
  PageSetupChange setup;
  setup.orientation = Orientation::Landscape;
  setup.printTitleRows = "$1:$4";
  sheet.SetPageSetup(setup);
}

}  // namespace kestrel
