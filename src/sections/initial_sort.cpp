// InitialSort: the measured-section sheet from raw surveyed points (blocks in, blocks out).
#include "sections/initial_sort.h"

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "host/application.h"
#include "host/host_error.h"
#include "host/ui.h"
#include "sections/form_sort.h"
#include "sections/dictionary_state.h"
#include "sections/surveyed_section.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

using C = SurveyColumns;

// Column values of rows 1..last as one block (an empty vector for last 0).
std::vector<CellValue> ColumnValues(Worksheet& sheet, int column, int last) {
  std::vector<CellValue> values;
  if (last < 1) return values;
  Grid block = sheet.Values(RangeRef::Block(1, column, last, column));
  values.reserve(last);
  for (int r = 0; r < last; ++r) values.push_back(std::move(block.At(r, 0)));
  return values;
}

// A station cell passes when it is empty, a number, or a text that reads as one.
bool IsNumericStation(const CellValue& v) {
  if (v.IsEmpty() || v.IsNumber() || v.IsBoolean()) return true;
  return v.IsText() && StrictNumber(v.Text()).has_value();
}

double StationNumber(const CellValue& v) {
  if (v.IsNumber()) return v.Number();
  std::optional<double> strict = StrictNumber(v.AsText());
  return strict ? *strict : LeadingNumber(v.AsText());
}

// Two station cells of column F differ; an empty cell equals 0 and the empty text.
bool Differs(const CellValue& a, const CellValue& b) {
  auto key = [](const CellValue& v) -> CellValue { return v.IsEmpty() ? CellValue(0.0) : v; };
  CellValue x = key(a), y = key(b);
  if (x.IsText() && x.Text().empty()) x = CellValue(0.0);
  if (y.IsText() && y.Text().empty()) y = CellValue(0.0);
  return !(x == y);
}

bool AskToSortAgain(Ui& ui) {
  return ui.MessageBox("您好像已经初步整理过了,你还需要继续整理吗?\r\n\r\n继续整理将删除现有的已经整理好的F列桩号和空行!",
                       "提示", MessageButtons::YesNo, MessageIcon::Information) == MessageAnswer::Yes;
}

// Step 4 on Yes: the station column and the rows without a station go.
void UndoEarlierSort(Worksheet& sheet, int last) {
  sheet.DeleteColumns(C::Station, 1);
  std::vector<CellValue> stations = ColumnValues(sheet, C::MeasuredStation, last);
  std::vector<int> empty;
  for (int r = last; r >= 1; --r)
    if (stations[r - 1].AsText().empty()) empty.push_back(r);
  if (!empty.empty()) sheet.DeleteRowsAt(empty);
}

// Step 5: the first row whose station is not a number, or 0.
int FirstBadStation(const std::vector<CellValue>& stations) {
  for (size_t i = 0; i < stations.size(); ++i)
    if (!IsNumericStation(stations[i])) return static_cast<int>(i) + 1;
  return 0;
}

std::string BadStationMessage(int row, const std::string& value) {
  return "第" + std::to_string(row) + "行，桩号" + value +
         "不是数字格式，请将桩号设置成数字格式。例如：\r\nK12+235.689 需要用12235.689表示\r\n\r\n"
         "【是】 智能去掉桩号中的“ZK”“K”“+”“-”\r\n【否】 手动修改 ";
}

void CleanStations(Application& host, Worksheet& sheet) {
  host.SetDisplayAlerts(false);
  const RangeRef measuredStations = RangeRef::WholeColumns(C::MeasuredStation, C::MeasuredStation);
  try {
    for (const char* what : {"zk", "dk", "k", "+", "-"}) sheet.Replace(measuredStations, what, "");
  } catch (const HostError&) {
    // The command ends here, but the host's alerts must not stay off after it.
    try {
      host.SetDisplayAlerts(true);
    } catch (const HostError&) {
    }
    throw;
  }
  host.SetDisplayAlerts(true);
}

// Step 8: the section station of each row.
CellValue SectionStation(const CellValue& e, const SortRequest& request, const DictionaryState& dictionary) {
  if (e.AsText().empty()) return CellValue();
  const double station = StationNumber(e);
  if (!dictionary.DicFileName.empty() && request.UseDictionary) {
    for (const DicRecord& record : dictionary.StationDictionary) {
      if (std::fabs(station - record.Station) < std::fabs(request.MatchTolerance)) return record.Station;
    }
  }
  const double spacing = request.Spacing;
  return spacing * RoundHalfEven(station / spacing, 0);
}

void MarkOnePointSections(Worksheet& sheet, int last) {
  std::vector<CellValue> names = ColumnValues(sheet, C::PointName, last);
  for (int r = 3; r <= last; ++r) {
    if (names[r - 1].IsEmpty() && !names[r - 2].IsEmpty() && names[r - 3].IsEmpty()) {
      sheet.SetBorder(RangeRef::Block(r - 1, C::PointName, r - 1, C::Last), BorderEdge::Bottom, LineStyle::Continuous);
    }
  }
}

CommandOutcome SortSheet(CommandContext& context, Application& host, Worksheet& sheet, const SortRequest& request,
                         const DictionaryState& dictionary) {
  const int last = LastSurveyRow(sheet);
  if (!sheet.Value({1, C::Offset}).IsEmpty()) {
    if (!AskToSortAgain(context.ui)) return CommandOutcome::Stopped;
    UndoEarlierSort(sheet, last);
  }

  std::vector<CellValue> stations = ColumnValues(sheet, C::MeasuredStation, last);
  if (int bad = FirstBadStation(stations)) {
    const MessageAnswer answer = context.ui.MessageBox(BadStationMessage(bad, stations[bad - 1].AsText()), "提示",
                                                       MessageButtons::YesNo, MessageIcon::Information);
    if (answer == MessageAnswer::Yes) {
      CleanStations(host, sheet);
      return CommandOutcome::EndedAfterApprovedStep;
    }
    sheet.Select(RangeRef::Cell(bad, C::MeasuredStation));
    return CommandOutcome::Stopped;
  }
  if (last < 1) return CommandOutcome::Completed;

  // Offsets stored as text become numbers: the column is made General and written back.
  const RangeRef offsets = RangeRef::Block(1, C::SurveyedOffset, last, C::SurveyedOffset);
  sheet.SetNumberFormat(RangeRef::WholeColumns(C::SurveyedOffset, C::SurveyedOffset), "General");
  sheet.SetValues(offsets.first, sheet.Values(offsets));

  // The inserted column takes column E's format, as a host's insert does; stations are General,
  // so that draw data writes them as K12+220.000 whatever E shows.
  sheet.Select(RangeRef::WholeColumns(C::Station, C::Station));
  sheet.InsertColumns(C::Station, 1);
  sheet.SetNumberFormat(RangeRef::WholeColumns(C::Station, C::Station), "General");

  Grid sectionStations(last, 1);
  for (int r = 0; r < last; ++r) sectionStations.At(r, 0) = SectionStation(stations[r], request, dictionary);
  sheet.SetValues({1, C::Station}, sectionStations);

  sheet.Sort(RangeRef::Block(1, C::PointName, last, C::Last), C::Station, SortHeader::Guess);

  std::vector<CellValue> sorted = ColumnValues(sheet, C::Station, last);
  std::vector<int> separators;
  for (int r = last; r >= 2; --r)
    if (Differs(sorted[r - 1], sorted[r - 2])) separators.push_back(r);
  if (!separators.empty()) sheet.InsertRowsAbove(separators);

  MarkOnePointSections(sheet, LastSurveyRow(sheet));
  SetHeaderNote(sheet, {1, C::Station}, "检查每个断面数据：",
                "*每个断面与断面之间的数据用空行隔开\r\n*把该列每个断面桩号改为正确桩号（使之与设计图相符）", 200, 50);
  return CommandOutcome::Completed;
}

// The sheet the sort works on, then the request for it (the dialog), then the sort: a host that
// refuses a step ends the command there, and what was done stays.
CommandOutcome SortActiveSheet(CommandContext& context, const std::function<std::optional<SortRequest>()>& ask,
                               const DictionaryState& dictionary) {
  Application& host = context.host;
  try {
    Worksheet& sheet = host.ActiveSheet();
    std::optional<SortRequest> request = ask();
    if (!request) return CommandOutcome::Cancelled;
    return SortSheet(context, host, sheet, *request, dictionary);
  } catch (const HostError&) {
    return CommandOutcome::Stopped;
  }
}

}  // namespace

CommandOutcome SortSurvey(CommandContext& context, const SortRequest& request, const DictionaryState& dictionary) {
  return SortActiveSheet(context, [&] { return std::optional<SortRequest>(request); }, dictionary);
}

CommandOutcome InitialSort(CommandContext& context, FormSort& dialog, const DictionaryState& dictionary) {
  return SortActiveSheet(context, [&] { return dialog.Ask(context.dialogs, &context.host); }, dictionary);
}

void SetHeaderNote(Worksheet& sheet, CellRef cell, std::string_view title, std::string_view body, int width,
                   int height) {
  try {
    Note note;
    note.text = std::string(title) + "\r\n" + std::string(body);
    note.visible = false;
    note.width = static_cast<float>(width);
    note.height = static_cast<float>(height);
    note.boldLength = static_cast<int>(CodePointCount(title));
    sheet.SetNote(cell, note);
  } catch (const HostError&) {
  }
}

}  // namespace kestrel
