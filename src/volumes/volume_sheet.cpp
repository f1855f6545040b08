// The volume sheet builder: the steps of the table in order, then the recorded stations.
#include "volumes/volume_sheet.h"

#include <algorithm>
#include <string>

#include "host/application.h"
#include "host/host_error.h"
#include "host/ui.h"
#include "volumes/volume_formulas.h"
#include "volumes/volume_layout.h"

namespace kestrel {
namespace {

constexpr const char* kTitle = "土石挖填方量计算表";
constexpr const char* kFontName = "仿宋";

// One font change at a time, as the steps set them.
FontChange FontName(const char* name) {
  FontChange f;
  f.name = name;
  return f;
}
FontChange FontSize(double size) {
  FontChange f;
  f.size = size;
  return f;
}
FontChange Bold() {
  FontChange f;
  f.bold = true;
  return f;
}

// "(m2)" and "(m3)" headers carry their unit's digit as the 7th character.
bool EndsWithAreaOrVolumeUnit(std::string_view text) {
  return text.ends_with("(m2)") || text.ends_with("(m3)");
}

void SetPage(Application& host, Worksheet& sheet, const VolumeLayout& layout) {
  PageSetupChange page;
  page.orientation = layout.orientation;
  page.printTitleRows = "$1:$3";
  if (layout.narrowMargins) {
    const double side = host.InchesToPoints(0.25);
    const double edge = host.InchesToPoints(0.75);
    const double band = host.InchesToPoints(0.3);
    page.leftMargin = page.rightMargin = side;
    page.topMargin = page.bottomMargin = edge;
    page.headerMargin = page.footerMargin = band;
  }
  sheet.SetPageSetup(page);
}

void WriteTitle(Worksheet& sheet, int lastColumn) {
  const RangeRef titleRow = RangeRef::Block(kTitleRow, 1, kTitleRow, lastColumn);
  sheet.SetFont(titleRow, FontSize(18));
  sheet.SetFont(RangeRef::Block(kTitleRow, 1, 3, lastColumn), Bold());
  sheet.Merge(titleRow);
  sheet.SetValue({kTitleRow, 1}, kTitle);
}

}  // namespace

bool IsVolumeSheet(Worksheet& sheet) { return sheet.Value({kTitleRow, 1}) == CellValue(kTitle); }

namespace {

// Both header rows go in one call, before the merges (so no merge ever meets a second value)
// and before the superscripts (which a later write of the cell would drop): the same cells as
// writing group after group.
void WriteHeaders(Worksheet& sheet, const VolumeLayout& layout) {
  Grid texts(2, layout.LastColumn());
  for (const HeaderGroup& group : layout.headers) {
    texts.At(0, group.column - 1) = group.text;
    if (group.pair) {
      texts.At(1, group.column - 1) = "挖方";
      texts.At(1, group.column) = "填方";
    }
  }
  sheet.SetValues({kHeaderRow, 1}, texts);
  for (const HeaderGroup& group : layout.headers) {
    const int c = group.column;
    sheet.Merge(group.pair ? RangeRef::Block(kHeaderRow, c, kHeaderRow, c + 1)
                           : RangeRef::Block(kHeaderRow, c, kHeaderRow + 1, c));
  }
  for (const HeaderGroup& group : layout.headers) {
    if (EndsWithAreaOrVolumeUnit(group.text)) sheet.SetSuperscript({kHeaderRow, group.column}, 7, 1);
  }
}

// The stations of the recorded sections, one per section row; a list longer than the table
// stops at the row above the totals.
void WriteStations(Worksheet& sheet, const DrawnSections& sections, int lastRow) {
  const int sectionRows = lastRow - kFirstSectionRow;
  const int count = std::min(static_cast<int>(sections.SectionList.size()), sectionRows);
  if (count <= 0) return;
  Grid stations(count, 1);
  for (int i = 0; i < count; ++i) stations.At(i, 0) = sections.SectionList[i].Station;
  sheet.SetValues({kFirstSectionRow, 1}, stations);
}

void BuildSheet(Application& host, const VolumeSheetRequest& request, const DrawnSections& sections,
                const VolumeLayout& layout) {
  const int lastRow = request.LastRow;
  host.AddSheet();
  Worksheet& sheet = host.ActiveSheet();
  const int lastColumn = layout.LastColumn();

  SetPage(host, sheet, layout);
  const RangeRef table = RangeRef::WholeColumns(1, lastColumn);
  sheet.SetFont(table, FontName(kFontName));
  sheet.SetAlignment(table, HAlign::Center, VAlign::Center);
  WriteTitle(sheet, lastColumn);

  sheet.SetRowHeight(kTitleRow, kTitleRow, 50);
  sheet.SetRowHeight(kHeaderRow, lastRow, 25);  // fails for a last row beyond the sheet
  for (const WidthSpan& span : layout.widths) sheet.SetColumnWidth(span.first, span.last, span.width);

  WriteHeaders(sheet, layout);
  sheet.SetWrapText(RangeRef::Block(kHeaderRow, 1, kHeaderRow, lastColumn), true);

  sheet.Merge(RangeRef::Block(lastRow, 1, lastRow, layout.TotalsLabelEnd()));
  sheet.SetValue({lastRow, 1}, "合计:");
  sheet.SetFont(RangeRef::WholeRows(lastRow, lastRow), Bold());

  FillVolumeFormulas(sheet, lastRow, layout.variant);

  sheet.SetNumberFormat(RangeRef::Block(kFirstSectionRow, 1, lastRow - 1, 1), kStationNumberFormat);
  sheet.SetNumberFormat(RangeRef::Block(kFirstSectionRow, 2, lastRow, layout.LastVolumeColumn()),
                        kVolumeNumberFormat);
  if (layout.smallBodyFont) {
    sheet.SetFont(RangeRef::Block(kFirstSectionRow, 1, lastRow, layout.LastVolumeColumn()), FontSize(10));
  }

  DrawVolumeBorders(sheet, lastRow, layout.variant);

  if (request.FillStations) WriteStations(sheet, sections, lastRow);
}

}  // namespace

CommandOutcome DrawVolumeSheet(CommandContext& context, const VolumeSheetRequest& request,
                               const DrawnSections& sections) {
  const VolumeLayout& layout = VolumeLayoutOf(request.Variant);
  Application& host = context.host;
  try {
    BuildSheet(host, request, sections, layout);
  } catch (const HostError&) {
    context.ui.MessageBox("有错误，提示有错误！", "提示", MessageButtons::Ok, MessageIcon::None);
    return CommandOutcome::Stopped;
  }
  return CommandOutcome::Completed;
}

void DrawVolumeBorders(Worksheet& sheet, int lastRow, int variant) {
  const RangeRef grid = RangeRef::Block(kHeaderRow, 1, lastRow, VolumeLayoutOf(variant).LastColumn());
  for (BorderEdge edge : {BorderEdge::Left, BorderEdge::Top, BorderEdge::Bottom, BorderEdge::Right,
                          BorderEdge::InsideVertical, BorderEdge::InsideHorizontal}) {
    try {
      sheet.SetBorder(grid, edge, LineStyle::Continuous);
    } catch (const HostError&) {
    }
  }
}

}  // namespace kestrel
