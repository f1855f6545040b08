// The demo's road-geometry steps: saving the .ZM and .hp files and computing design elevations from them.
#include "demo_geometry.h"

#include <ostream>
#include <string>
#include <vector>

#include "host/system_clock.h"
#include "geometry/function_catalogue.h"
#include "geometry/profile_cache.h"
#include "geometry/profile_file.h"
#include "geometry/slope_file.h"
#include "util/number_text.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

MemoryWorksheet& NamedSheet(MemoryWorkbook& book, const char* name) {
  for (int i = 0; i < book.SheetCount(); ++i) {
    if (book.Sheet(i).SheetName() == name) {
      book.Activate(i);
      return book.Sheet(i);
    }
  }
  throw CliError(std::string("the sample has no sheet ") + name);
}

// The stations of the sorted survey's sections, in order: column F, one per run of rows.
std::vector<double> SectionStations(MemoryWorksheet& survey) {
  std::vector<double> stations;
  const std::optional<RangeRef> used = survey.UsedRange();
  if (!used) return stations;
  const Grid column = survey.Values(RangeRef::Block(1, 6, used->last.row, 6));
  for (int r = 0; r < column.Rows(); ++r) {
    const CellValue& v = column.At(r, 0);
    if (v.IsNumber() && (stations.empty() || stations.back() != v.Number())) stations.push_back(v.Number());
  }
  return stations;
}

}  // namespace

int RunGeometryDemo(CliContext& context, MemoryWorkbook& book, const std::filesystem::path& out, std::ostream& say,
                    int firstStep) {
  CommandContext command = context.Command();
  int step = firstStep;

  NamedSheet(book, "纵断面");
  const std::string zm = PathToUtf8(out / "profile.ZM");
  context.Ui().QueueSaveFile(zm);
  if (SaveProfileFile(command) != CommandOutcome::Completed) return kExitError;
  say << step++ << ". saved the vertical profile: " << zm << "\n";

  NamedSheet(book, "横坡");
  const std::string hp = PathToUtf8(out / "crossfall.hp");
  context.Ui().QueueSaveFile(hp);
  if (SaveSlopeFile(command) != CommandOutcome::Completed) return kExitError;
  say << step++ << ". saved the cross slope: " << hp << "\n";

  // The worksheet functions as a cell would call them, through the catalogue.
  SystemClock clock;
  FunctionContext call{context.GetSession().Geometry, clock, context.Shell(), nullptr};
  // A worksheet function answers a file it cannot read with a sentinel, which a cell would show;
  // the demo stops instead of printing it as a result.
  auto compute = [&](const char* name, FunctionArguments arguments, double sentinel, const std::string& file) {
    const double station = arguments[0].Value().Number();
    CellValue value = CallWorksheetFunction(*FindWorksheetFunction(name), arguments, call).Value();
    if (!value.IsNumber() || value.Number() == sentinel)
      throw CliError(std::string(name) + " gave " + value.AsText() + " at " + StationText(station) + " from " + file);
    return value;
  };
  const std::vector<double> stations = SectionStations(NamedSheet(book, "实测横断面"));
  Grid table(static_cast<int>(stations.size()) + 1, 4);
  table.At(0, 0) = "桩号";
  table.At(0, 1) = "设计高程";
  table.At(0, 2) = "左横坡";
  table.At(0, 3) = "右横坡";
  for (size_t k = 0; k < stations.size(); ++k) {
    const int r = static_cast<int>(k) + 1;
    table.At(r, 0) = stations[k];
    table.At(r, 1) = compute("GetH", {stations[k], zm}, kProfileUnreadable, zm);
    table.At(r, 2) = compute("GetHP", {stations[k], -1, hp}, kSlopeFileUnreadable, hp);
    table.At(r, 3) = compute("GetHP", {stations[k], 1, hp}, kSlopeFileUnreadable, hp);
  }
  MemoryWorksheet& design = book.AppendSheet("设计高程");
  design.SetValues({1, 1}, table);
  const int last = static_cast<int>(stations.size()) + 1;
  design.SetNumberFormat(RangeRef::Block(2, 1, last, 1), "\"K\"0+000.000");
  design.SetNumberFormat(RangeRef::Block(2, 2, last, 2), "0.000");
  design.SetNumberFormat(RangeRef::Block(2, 3, last, 4), "0.00");
  say << step++ << ". design elevations and cross slopes of " << stations.size()
      << " sections with GetH and GetHP on sheet 设计高程";
  if (!stations.empty()) {
    const CellValue& first = table.At(1, 1);
    say << " (" << StationText(stations.front()) << ": "
        << (first.IsNumber() ? FormatDecimal(first.Number(), 3) + " m" : first.AsText()) << ")";
  }
  say << "\n";
  return kExitDone;
}

}  // namespace kestrel
