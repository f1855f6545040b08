// The volume sheet built the way its steps read, one cell at a time, with the column tables
// spelled out by hand: the oracle that the block-writing builder must match cell for cell.
#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "host/application.h"
#include "addin/session.h"

namespace kestrel {

struct ReferenceColumn {
  const char* letter;
  enum { Distance, Volume, Remaining } kind;
  const char* first;   // the area of a volume; the design area of a remaining area
  const char* second;  // the distance of a volume; the measured area of a remaining area
};

struct ReferenceVariant {
  const char* lastColumn;
  const char* totalsEnd;
  const char* lastVolumeColumn;
  std::vector<ReferenceColumn> formulas;
  // Merge, row-2 text, superscript or not, then "挖方"/"填方" for pairs.
  std::vector<std::tuple<const char*, const char*, bool>> headers;  // range, text, pair
  std::vector<std::tuple<int, int, double>> widths;
};

inline const ReferenceVariant& ReferenceVariantOf(int variant) {
  using C = ReferenceColumn;
  static const ReferenceVariant two{"G",
                                    "C",
                                    "F",
                                    {{"D", C::Distance, "", ""}, {"E", C::Volume, "B", "D"}, {"F", C::Volume, "C", "D"}},
                                    {{"A2:A3", "桩号", false},
                                     {"B2:C2", "实测面积(m2)", true},
                                     {"D2:D3", "距离(m)", false},
                                     {"E2:F2", "实测体积(m3)", true},
                                     {"G2:G3", "备注", false}},
                                    {{1, 1, 14}, {2, 3, 10}, {4, 6, 12}, {7, 7, 14}}};
  static const ReferenceVariant four{"K",
                                     "E",
                                     "J",
                                     {{"F", C::Distance, "", ""},
                                      {"G", C::Volume, "B", "F"},
                                      {"H", C::Volume, "C", "F"},
                                      {"I", C::Volume, "D", "F"},
                                      {"J", C::Volume, "E", "F"}},
                                     {{"A2:A3", "桩号", false},
                                      {"B2:C2", "设计面积(m2)", true},
                                      {"D2:E2", "实测面积(m2)", true},
                                      {"F2:F3", "距离(m)", false},
                                      {"G2:H2", "设计体积(m3)", true},
                                      {"I2:J2", "实测体积(m3)", true},
                                      {"K2:K3", "备注", false}},
                                     {{1, 1, 14}, {2, 5, 10}, {6, 13, 12}}};
  static const ReferenceVariant six{"O",
                                    "G",
                                    "N",
                                    {{"H", C::Distance, "", ""},
                                     {"I", C::Volume, "B", "H"},
                                     {"J", C::Volume, "C", "H"},
                                     {"K", C::Volume, "D", "H"},
                                     {"L", C::Volume, "E", "H"},
                                     {"M", C::Volume, "F", "H"},
                                     {"N", C::Volume, "G", "H"}},
                                    {{"A2:A3", "桩号", false},
                                     {"B2:C2", "设计面积(m2)", true},
                                     {"D2:E2", "实测面积(m2)", true},
                                     {"F2:G2", "剩余面积(m2)", true},
                                     {"H2:H3", "距离(m)", false},
                                     {"I2:J2", "设计体积(m3)", true},
                                     {"K2:L2", "实测体积(m3)", true},
                                     {"M2:N2", "剩余体积(m3)", true},
                                     {"O2:O3", "备注", false}},
                                    {{1, 1, 10}, {2, 8, 8}, {9, 15, 10}}};
  return variant == 2 ? two : variant == 4 ? four : six;
}

inline RangeRef ReferenceRange(const std::string& a1) { return *RangeRef::Parse(a1); }

// Builds the sheet on a new sheet of host; stations are written for the section rows only.
inline void ReferenceVolumeSheet(Application& host, const Session& session, int last, int variant,
                                 bool fillStations) {
  const ReferenceVariant& v = ReferenceVariantOf(variant);
  const std::string lastColumn = v.lastColumn;
  const std::string lastRow = std::to_string(last);
  auto at = [](const std::string& a1) { return ReferenceRange(a1).first; };
  auto n = [](int r) { return std::to_string(r); };
  host.AddSheet();
  Worksheet& sheet = host.ActiveSheet();

  PageSetupChange page;
  page.orientation = variant == 2 ? Orientation::Portrait : Orientation::Landscape;
  page.printTitleRows = "$1:$3";
  if (variant == 6) {
    page.leftMargin = host.InchesToPoints(0.25);
    page.rightMargin = host.InchesToPoints(0.25);
    page.topMargin = host.InchesToPoints(0.75);
    page.bottomMargin = host.InchesToPoints(0.75);
    page.headerMargin = host.InchesToPoints(0.3);
    page.footerMargin = host.InchesToPoints(0.3);
  }
  sheet.SetPageSetup(page);

  FontChange font;
  font.name = "仿宋";
  sheet.SetFont(ReferenceRange("A1:" + lastColumn + "1048576"), font);
  sheet.SetAlignment(ReferenceRange("A1:" + lastColumn + "1048576"), HAlign::Center, VAlign::Center);
  FontChange title;
  title.size = 18;
  sheet.SetFont(ReferenceRange("A1:" + lastColumn + "1"), title);
  FontChange bold;
  bold.bold = true;
  sheet.SetFont(ReferenceRange("A1:" + lastColumn + "3"), bold);
  sheet.Merge(ReferenceRange("A1:" + lastColumn + "1"));
  sheet.SetValue(at("A1"), "土石挖填方量计算表");
  sheet.SetRowHeight(1, 1, 50);
  sheet.SetRowHeight(2, last, 25);
  for (auto [first, lastWide, width] : v.widths) sheet.SetColumnWidth(first, lastWide, width);
  for (auto [range, text, pair] : v.headers) {
    RangeRef r = ReferenceRange(range);
    sheet.Merge(r);
    sheet.SetValue(r.first, text);
    if (std::string(text).find("(m") != std::string::npos && std::string(text) != "距离(m)")
      sheet.SetSuperscript(r.first, 7, 1);
    if (pair) {
      sheet.SetValue({3, r.first.column}, "挖方");
      sheet.SetValue({3, r.first.column + 1}, "填方");
    }
  }
  sheet.SetWrapText(ReferenceRange("A2:" + lastColumn + "2"), true);
  sheet.Merge(ReferenceRange("A" + lastRow + ":" + v.totalsEnd + lastRow));
  sheet.SetValue(at("A" + lastRow), "合计:");
  sheet.SetFont(ReferenceRange(lastRow + ":" + lastRow), bold);

  if (variant == 6) {
    for (int r = 4; r <= last - 1; ++r) {
      sheet.SetValue(at("F" + n(r)), "=B" + n(r) + "-D" + n(r));
      sheet.SetValue(at("G" + n(r)), "=C" + n(r) + "-E" + n(r));
    }
  }
  for (int r = 5; r <= last - 1; ++r) {
    for (const ReferenceColumn& c : v.formulas) {
      std::string text = c.kind == ReferenceColumn::Distance
                             ? "=A" + n(r) + "-A" + n(r - 1)
                             : "=(" + std::string(c.first) + n(r) + "+" + c.first + n(r - 1) + ")/2*" + c.second + n(r);
      sheet.SetValue(at(c.letter + n(r)), text);
    }
  }
  for (const ReferenceColumn& c : v.formulas)
    sheet.SetValue(at(c.letter + lastRow), "=SUM(" + std::string(c.letter) + "5:" + c.letter + n(last - 1) + ")");

  sheet.SetNumberFormat(ReferenceRange("A4:A" + n(last - 1)), "\"K\"0+000.000");
  sheet.SetNumberFormat(ReferenceRange("B4:" + std::string(v.lastVolumeColumn) + lastRow), "0.000_ ;[Red]-0.000 ");
  if (variant == 6) {
    FontChange small;
    small.size = 10;
    sheet.SetFont(ReferenceRange("A4:N" + lastRow), small);
  }
  for (BorderEdge e : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right,
                       BorderEdge::InsideVertical, BorderEdge::InsideHorizontal})
    sheet.SetBorder(ReferenceRange("A2:" + lastColumn + lastRow), e, LineStyle::Continuous);

  if (fillStations) {
    for (size_t i = 1; i <= session.Sections.SectionList.size() && static_cast<int>(i) + 3 < last; ++i)
      sheet.SetValue({static_cast<int>(i) + 3, 1}, session.Sections.SectionList[i - 1].Station);
  }
}

}  // namespace kestrel
