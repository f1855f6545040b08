// RunDesign: from the survey sheet and the design files to the results and volume sheets.
#include "earthworks/design_command.h"

#include <algorithm>

#include "addin/host/application.h"
#include "sections/drawn_sections.h"
#include "volumes/volume_state.h"
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
    for (const SurveyedPoint& p : surveyed.Points) g.Points.push_back({p.Offset, p.Level});
    std::stable_sort(g.Points.begin(), g.Points.end(),
                     [](const SectionPoint& a, const SectionPoint& b) { return a.Offset < b.Offset; });
  }
  return sections;
}

CommandOutcome RunDesign(CommandContext& context, const DesignRequest& request, std::vector<DesignSection>* results) {
  Application* host = context.host;
  if (!host) return CommandOutcome::Cancelled;
  const DesignInputs inputs = LoadDesignInputs(request.Files);
  const std::vector<GroundSection> ground = MeasuredSections(host->ActiveSheet());
  if (ground.empty()) throw DesignError("the active sheet holds no measured section (sort it first)");
  std::vector<DesignSection> sections = DesignSections(ground, inputs);

  host->AddSheet();
  WriteDesignResults(host->ActiveSheet(), sections);
  CommandOutcome outcome = CommandOutcome::Completed;
  if (request.Volume) {
    const int lastRow = std::max(6, static_cast<int>(sections.size()) + 4);
    // The design's own stations and areas fill the table, never a draw-data run's.
    const VolumeState noStations;
    outcome = DrawVolumeSheet(context, noStations, DrawnSections{}, lastRow, request.Variant);
    if (outcome == CommandOutcome::Completed) FillVolumeAreas(host->ActiveSheet(), sections);
  }
  if (results) *results = std::move(sections);
  return outcome;
}

}  // namespace kestrel
