// DrawSectionData: sections placed, their CAD command columns written, the section list recorded.
#include "sections/draw_data.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "host/application.h"
#include "host/host_error.h"
#include "host/worksheet.h"
#include "sections/form_set.h"
#include "sections/initial_sort.h"
#include "sections/sections_state.h"
#include "sections/surveyed_section.h"
#include "util/number_text.h"

namespace kestrel {
namespace {

struct Placement {
  double baseX, baseY;
  bool matched;
};

Placement PlaceSection(double station, int unmatched, const DrawRequest& request, const DictionaryState& dictionary) {
  if (request.UseDictionary) {
    for (const DicRecord& record : dictionary.StationDictionary) {
      if (record.Station == station) return {record.OriginX, record.OriginY - record.OriginLevel, true};
    }
  }
  return {unmatched * request.ColumnSpacing, unmatched * request.RowSpacing, false};
}

// The labels of one section for modes 0 and 1: the centre, then the left and the right end.
void SectionLabels(const SectionDrawing& section, const DrawRequest& settings, int digits, DrawingPlan& plan) {
  const bool offsets = settings.LabelOffsets;
  auto offsetText = [&](double g) { return offsets ? FormatDecimal(g, digits) : std::string("NoD"); };
  if (section.CentreLevel != 0) {
    plan.labels.push_back({section.BaseX, section.BaseY + section.CentreLevel, FormatDecimal(section.CentreLevel, digits),
                           offsets ? std::string("0") : std::string("NoD"), settings.LevelTextHeight});
  }
  const std::vector<SurveyedPoint>& points = section.Surveyed.Points;
  if (settings.LabelMode == 1 && !points.empty()) {
    for (const SurveyedPoint* p : {&points.front(), &points.back()}) {
      const PlanePoint at = section.Placed(*p);
      plan.labels.push_back({at.x, at.y, FormatDecimal(p->Level, digits), offsetText(p->Offset), settings.LevelTextHeight});
    }
  }
}

// The digits typed for the level labels, rounded half to even to a whole number; held within
// +-1000 before the cast (FormatDecimal shows every digit a number has by 340), so that 1e12
// typed means "every digit".
int LabelDigits(double typed) {
  constexpr double kMost = 1000;
  if (std::isnan(typed)) return 0;
  return static_cast<int>(RoundHalfEven(std::clamp(typed, -kMost, kMost), 0));
}

struct HeaderNote {
  CellRef cell;
  const char* title;
  const char* body;
  int height;
};

// The output block: H to O. Column H (where the initial sort keeps the survey's seventh column)
// is cleared with it; I to O are written where the command leaves them.
constexpr int kBlockFirst = 8, kBlockLast = 15;
constexpr int kPolylines = 9, kStations = 10, kDesignLevels = 11, kCentreLevels = 12, kStationLabels = 13,
              kCentrePoints = 14, kLevelLabels = 15;

// The notes speak of the columns by these letters: K for the design levels, J for the stations.
const HeaderNote kNotes[] = {
    {{1, SurveyColumns::Station}, "检查每个断面数据：",
     "*每个断面与断面之间的数据用空行隔开\r\n*把该列每个断面桩号改为正确桩号（使之与设计图相符）", 50},
    {{1, kPolylines}, "在Cad图里面绘制横断面线：",
     "*在Cad中（新建图层），复制该列数据，先输入Pl命令，再右键粘贴该列数据在cad命令栏里面绘制出所有横断面图", 50},
    {{1, kStations}, "显示实测桩号：",
     "该列显示为实测横断面桩号，可以导出到其他<竖曲线计算软件>或者使用内置GetH函数，算出每个横断面设计中桩高程，填入K列",
     50},
    {{1, kDesignLevels}, "输入设计中桩高程：",
     "将对应J列每个断面的设计中桩高程填入该列\r\n*方法：复制J列桩号，通过内置GetH函数或者其他软件算出设计中桩高程", 50},
    {{1, kCentreLevels}, "显示实测横断面中桩高程：", "该列显示对应J列桩号的实测横断面中桩高程", 50},
    {{1, kStationLabels}, "在Cad图里面绘制断面相应桩号：",
     "*在Cad中（新建图层），复制该列数据直接右键粘贴到cad命令栏里面\r\n*核对每一条断面线桩号是否与设计断面一一对应\r\n"
     "*通过对F列数据自定义格式，可控制桩号格式。",
     68},
    {{1, kCentrePoints}, "在Cad图里面绘制断面相应中桩高程：",
     " *在Cad中（新建临时图层），先输入PL命令，再右键粘贴该列数据在cad上面绘制出每个断面的设计中桩位置\r\n"
     "*在cad中以断面设计中桩高程点为基点，带基点复制断面线到相应设计图里面",
     80},
    {{1, kLevelLabels}, "在Cad图里面绘制断面线上点高程：", " *在Cad中（新建图层），复制该列数据直接右键粘贴到cad命令栏里面",
     50},
};

// Steps 4 to 8: the output columns, the notes and the tidy-up; each step that the host refuses
// is skipped and the next one runs. The block H:O is cleared and written in its final layout
// (what deleting H:P, writing I:Q and deleting I:J would leave there), so that the user's
// columns to its right stay where they are instead of sliding into it.
void WriteDrawingColumns(Worksheet& sheet, const DrawingPlan& plan, const SectionsState& sections) {
  auto step = [](auto&& action) {
    try {
      action();
    } catch (const HostError&) {
    }
  };
  const int last = plan.lastDataRow;
  const int count = static_cast<int>(plan.sections.size());

  // An earlier run's output, and the survey's seventh column in H: values and notes go.
  step([&] {
    const int width = kBlockLast - kBlockFirst + 1;
    int used = 0;
    // End from a filled bottom cell would stop at the top of its block: the bottom row is read
    // first, and the top row for columns where End finds nothing.
    const int rows = sheet.RowCount();
    const Grid bottom = sheet.Values(RangeRef::Block(rows, kBlockFirst, rows, kBlockLast));
    std::optional<Grid> top;
    for (int c = 0; c < width && used < rows; ++c) {
      if (!bottom.At(0, c).IsEmpty()) {
        used = rows;
      } else if (int row = sheet.EndUp({rows, kBlockFirst + c}); row > 1) {
        used = std::max(used, row);
      } else {
        if (!top) top = sheet.Values(RangeRef::Block(1, kBlockFirst, 1, kBlockLast));
        if (!top->At(0, c).IsEmpty()) used = std::max(used, 1);
      }
    }
    if (used > 0) sheet.SetValues({1, kBlockFirst}, Grid(used, width));
    sheet.ClearNotes(RangeRef::WholeColumns(kBlockFirst, kBlockLast));
  });

  // J, L to N: row i belongs to section i.
  step([&] {
    if (count == 0) return;
    Grid stations(count, 1);
    Grid cells(count, 3);  // L to N; K stays empty for the user's design levels
    for (int i = 0; i < count; ++i) {
      const SectionDrawing& s = plan.sections[i];
      stations.At(i, 0) = s.Surveyed.Station;
      if (s.CentreLevel != 0) cells.At(i, 0) = FormatDecimal(s.CentreLevel, 3);
      cells.At(i, 1) = StationLabelCommand(s, plan.stationTextHeight);
      cells.At(i, 2) = "=\"" + GeneralText(s.BaseX) + ",\" & " + GeneralText(s.BaseY) + "+K" +
                       std::to_string(i + 1);
    }
    sheet.SetValues({1, kStations}, stations);
    sheet.SetValues({1, kCentreLevels}, cells);
  });

  // I: the polylines, as text.
  step([&] {
    sheet.SetNumberFormat(RangeRef::WholeColumns(kPolylines, kPolylines), "@");
    Grid lines(last, 1);
    for (int r = 1; r <= last; ++r) lines.At(r - 1, 0) = PolylineCell(plan, r);
    if (last > 0) sheet.SetValues({1, kPolylines}, lines);
  });

  // O: the level labels.
  step([&] {
    sheet.SetAlignment(RangeRef::WholeColumns(kLevelLabels, kLevelLabels), HAlign::Fill, std::nullopt);
    Grid labels(static_cast<int>(sections.LabelCommands.size()), 1);
    for (size_t k = 0; k < sections.LabelCommands.size(); ++k) labels.At(static_cast<int>(k), 0) = sections.LabelCommands[k];
    if (labels.Rows() > 0) sheet.SetValues({1, kLevelLabels}, labels);
  });

  step([&] { sheet.ClearNotes(RangeRef::WholeColumns(SurveyColumns::Station, SurveyColumns::Station)); });
  for (const HeaderNote& n : kNotes) SetHeaderNote(sheet, n.cell, n.title, n.body, 200, n.height);
  step([&] {
    FontChange font;
    font.size = 9;
    font.color = -10477568;
    sheet.SetFont(RangeRef::WholeColumns(kPolylines, kLevelLabels), font);
  });
  step([&] { sheet.AutoFitColumns(kPolylines, kCentrePoints); });
  step([&] { sheet.Select(RangeRef::Cell(1, kPolylines)); });
}

}  // namespace

LabelText StationLabelText(const SectionDrawing& section, double textHeight) {
  return MakeLabelText(section.LabelX, section.LabelY, FormatDecimal(textHeight, 3), section.Surveyed.StationText);
}

std::string StationLabelCommand(const SectionDrawing& section, double textHeight) {
  return TextCommand(StationLabelText(section, textHeight));
}

std::string PolylineCell(const DrawingPlan& plan, int row) {
  const int index = plan.rowSection[row - 1];
  if (index < 0) return "  pl";
  const SectionDrawing& s = plan.sections[index];
  const PlanePoint p = s.Placed(s.Surveyed.Points[row - s.Surveyed.StartRow]);
  return GeneralText(p.x) + "," + GeneralText(p.y);
}

SectionRecord SectionDrawing::Record() const {
  return {Surveyed.StartRow, Surveyed.EndRow, Surveyed.Station, Surveyed.StationText, CentreLevel, BaseX, BaseY, Matched};
}

DrawingPlan PlanDrawing(Worksheet& sheet, const DrawRequest& settings, const DictionaryState& dictionary) {
  DrawingPlan plan;
  plan.withOffsets = settings.LabelOffsets;
  plan.stationTextHeight = settings.StationTextHeight;
  plan.levelTextHeight = settings.LevelTextHeight;
  plan.lastDataRow = LastSurveyRow(sheet);
  plan.rowSection.assign(plan.lastDataRow, -1);
  const int digits = LabelDigits(settings.LevelDigits);
  int unmatched = 1;
  for (SurveyedSection& surveyed : ReadSurveyedSections(sheet)) {
    SectionDrawing s;
    s.CentreLevel = surveyed.CentreLevel();
    const Placement place = PlaceSection(surveyed.Station, unmatched, settings, dictionary);
    s.BaseX = place.baseX;
    s.BaseY = place.baseY;
    s.Matched = place.matched;
    if (!s.Matched) ++unmatched;
    s.LabelX = settings.StationLabelDX + s.BaseX;
    s.LabelY = settings.StationLabelDY + s.BaseY;
    for (int row = surveyed.StartRow; row <= surveyed.EndRow; ++row)
      plan.rowSection[row - 1] = static_cast<int>(plan.sections.size());
    s.Surveyed = std::move(surveyed);
    if (settings.LabelMode == 0 || settings.LabelMode == 1) SectionLabels(s, settings, digits, plan);
    plan.sections.push_back(std::move(s));
  }
  if (settings.LabelMode == 2) {
    for (const SectionDrawing& s : plan.sections) {
      for (const SurveyedPoint& p : s.Surveyed.Points) {
        const PlanePoint at = s.Placed(p);
        plan.labels.push_back({at.x, at.y, FormatDecimal(p.Level, digits),
                               plan.withOffsets ? FormatDecimal(p.Offset, digits) : std::string("NoD"),
                               settings.LevelTextHeight});
      }
    }
  }
  return plan;
}

namespace {

// The active sheet, or nothing when the host refuses it.
Worksheet* ActiveSheetOf(Application& host) {
  try {
    return &host.ActiveSheet();
  } catch (const HostError&) {
    return nullptr;
  }
}

CommandOutcome DrawSheet(Worksheet& sheet, const DrawRequest& request, SectionsState& sections, DrawingPlan& drawn) {
  try {
    // Each section's points from left to right; the sort works in column H, which the output
    // block clears.
    SortSectionsByOffset(sheet, kBlockFirst);
    DrawingPlan plan = PlanDrawing(sheet, request, sections);
    sections.SectionList.clear();
    for (const SectionDrawing& s : plan.sections) sections.SectionList.push_back(s.Record());
    sections.SectionCount = static_cast<int>(plan.sections.size());
    sections.LabelCommands.clear();
    for (const LevelLabel& label : plan.labels) sections.LabelCommands.push_back(LevelLabelCommand(label, plan.withOffsets));
    WriteDrawingColumns(sheet, plan, sections);
    drawn = std::move(plan);
  } catch (const HostError&) {
    return CommandOutcome::Stopped;
  }
  return CommandOutcome::Completed;
}

}  // namespace

CommandOutcome DrawSectionData(CommandContext& context, FormSet& dialog, SectionsState& sections) {
  DrawingPlan plan;
  return DrawSectionData(context, dialog, sections, plan);
}

CommandOutcome DrawSectionData(CommandContext& context, FormSet& dialog, SectionsState& sections, DrawingPlan& plan) {
  Worksheet* sheet = ActiveSheetOf(context.host);
  if (sheet == nullptr) return CommandOutcome::Stopped;
  std::optional<DrawRequest> request = dialog.Ask(context.dialogs, &context.host);
  if (!request) return CommandOutcome::Cancelled;
  return DrawSheet(*sheet, *request, sections, plan);
}

CommandOutcome DrawSections(CommandContext& context, const DrawRequest& request, SectionsState& sections,
                            DrawingPlan& plan) {
  Worksheet* sheet = ActiveSheetOf(context.host);
  if (sheet == nullptr) return CommandOutcome::Stopped;
  return DrawSheet(*sheet, request, sections, plan);
}

}  // namespace kestrel
