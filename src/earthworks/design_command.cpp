// RunDesign: from the survey sheet and the design files to the results and volume sheets.
#include "earthworks/design_command.h"

#include <algorithm>
#include <string>

#include "host/application.h"
#include "sections/drawn_sections.h"
#include "earthworks/design_results.h"
#include "sections/surveyed_section.h"
#include "volumes/volume_sheet.h"

namespace kestrel {

std::vector<DesignSection> DesignSections(const std::vector<GroundSection>& ground, const DesignInputs& inputs) {
  std::vector<DesignSection> sections;
  sections.reserve(ground.size());
  for (const GroundSection& g : ground) sections.push_back(DesignSectionAt(g, RoadAt(inputs, g.Station), inputs.Template));
  return sections;
}

int SectionsWithGroundExtended(const std::vector<DesignSection>& sections) {
  return static_cast<int>(std::count_if(sections.begin(), sections.end(), [](const DesignSection& s) {
    return s.Left.GroundExtended || s.Right.GroundExtended;
  }));
}

std::vector<GroundSection> MeasuredSections(Worksheet& sheet) {
  std::vector<GroundSection> sections;
  for (const SurveyedSection& surveyed : ReadSurveyedSections(sheet)) {
    GroundSection& g = sections.emplace_back();
    g.Station = surveyed.Station;
    for (const SurveyedPoint& p : surveyed.Points) {
      // A ground line is made of measured points only: a level or offset that is not a number
      // is never read as 0.
      if (!p.OffsetIsNumber || !p.LevelIsNumber)
        throw DesignError("row " + std::to_string(p.Row) + " of sheet " + sheet.Name() + ": the " +
                          (p.OffsetIsNumber ? "level (column D)" : "offset (column G)") +
                          " is not a number; correct or remove the point");
      g.Points.push_back({p.Offset, p.Level});
    }
    std::stable_sort(g.Points.begin(), g.Points.end(),
                     [](const SectionPoint& a, const SectionPoint& b) { return a.Offset < b.Offset; });
  }
  return sections;
}

namespace {

// The sorted survey to design on: never a sheet the design or the volume command made.
std::vector<GroundSection> SurveyToDesign(Worksheet& sheet) {
  if (IsDesignResultsSheet(sheet))
    throw DesignError("sheet " + sheet.Name() + " holds design results, not a sorted survey (choose the survey sheet)");
  if (IsVolumeSheet(sheet))
    throw DesignError("sheet " + sheet.Name() + " is a volume sheet, not a sorted survey (choose the survey sheet)");
  std::vector<GroundSection> ground = MeasuredSections(sheet);
  if (ground.empty()) throw DesignError("sheet " + sheet.Name() + " holds no measured section (sort it first)");
  return ground;
}

}  // namespace

CommandOutcome RunDesign(CommandContext& context, const DesignRequest& request, std::vector<DesignSection>* results) {
  Application& host = context.host;
  const DesignInputs inputs = LoadDesignInputs(request.Files);
  const std::vector<GroundSection> ground = SurveyToDesign(host.ActiveSheet());
  std::vector<DesignSection> sections = DesignSections(ground, inputs);

  host.AddSheet();
  WriteDesignResults(host.ActiveSheet(), sections);
  CommandOutcome outcome = CommandOutcome::Completed;
  if (request.Volume) {
    const int lastRow = std::max(6, static_cast<int>(sections.size()) + 4);
    // The design's own stations and areas fill the table, never a draw-data run's.
    outcome = DrawVolumeSheet(context, {request.Variant, lastRow, false}, DrawnSections{});
    if (outcome == CommandOutcome::Completed) FillVolumeAreas(host.ActiveSheet(), sections);
  }
  if (results) *results = std::move(sections);
  return outcome;
}

}  // namespace kestrel
