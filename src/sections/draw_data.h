// DrawSectionData: the CAD command columns that draw every section, and the section list.
#pragma once

#include <string>
#include <vector>

#include "drawing/shapes.h"
#include "host/command_context.h"
#include "sections/drawn_sections.h"
#include "sections/level_labels.h"
#include "sections/surveyed_section.h"

namespace kestrel {

class Worksheet;
class FormSet;
struct DictionaryState;
struct SectionsState;

// What a drawing is asked for: the draw-data dialog's entries (DrawRequestFrom).
struct DrawRequest {
  double ColumnSpacing = 200;
  double RowSpacing = 0;
  double StationLabelDX = 0;
  double StationLabelDY = 20;
  double StationTextHeight = 1;
  double LevelTextHeight = 0.7;
  double LevelDigits = 3;      // rounded to a whole number where used
  int LabelMode = 1;           // 0 centre only, 1 left end, centre and right end, 2 every point
  bool LabelOffsets = false;   // labels carry the offset as well
  bool UseDictionary = false;  // sections found in the dictionary are placed in their frames
};

// Everything one run draws, computed once and rendered as sheet columns (and as DXF, script or
// picture elsewhere): the sections as the survey reader read them, each placed at its base point,
// the station label, the level labels in the order they are produced.
struct SectionDrawing {
  SurveyedSection Surveyed;  // its points in sheet order (by offset, after the per-section sort)
  double CentreLevel = 0;    // the ground at offset 0 (SurveyedSection::CentreLevel)
  // Where the section's zero point is drawn, and whether the dictionary placed it there.
  double BaseX = 0, BaseY = 0;
  bool Matched = false;
  // Station label: middle-centre text at (LabelX, LabelY).
  double LabelX = 0, LabelY = 0;

  // A point of the section in drawing coordinates: (BaseX + offset, BaseY + level).
  PlanePoint Placed(const SurveyedPoint& point) const { return {BaseX + point.Offset, BaseY + point.Level}; }
  // The section as the volume sheet and the saved state keep it.
  SectionRecord Record() const;
};

struct DrawingPlan {
  std::vector<SectionDrawing> sections;
  std::vector<LevelLabel> labels;
  bool withOffsets = false;
  double stationTextHeight = 1;
  double levelTextHeight = 0.7;
  int lastDataRow = 0;
  // Rows 1..lastDataRow: the point of the row, or none for a separator row.
  std::vector<int> rowSection;  // index into sections, -1 for a separator row
};

// Draws the active sheet as asked: the per-section sort, the placement, the output columns with
// their notes, the tidy-up; records SectionList, SectionCount and LabelCommands in the sections'
// state and hands back the plan the columns were written from (the drawing files render this one
// plan, so that they draw what the columns draw); the plan is set only on Completed.
CommandOutcome DrawSections(CommandContext& context, const DrawRequest& request, SectionsState& sections,
                            DrawingPlan& plan);

// The whole command: the settings dialog (kept by its owner between runs), then DrawSections;
// Cancelled when the dialog is.
CommandOutcome DrawSectionData(CommandContext& context, FormSet& dialog, SectionsState& sections);
CommandOutcome DrawSectionData(CommandContext& context, FormSet& dialog, SectionsState& sections, DrawingPlan& plan);

// The plan of a sheet's sections as asked (the sections must be sorted by offset already).
DrawingPlan PlanDrawing(Worksheet& sheet, const DrawRequest& request, const DictionaryState& dictionary);

// The station label of a section: its text middle-centre at the label point, the height with
// three decimals at most.
LabelText StationLabelText(const SectionDrawing& section, double textHeight);
// The station label command of a section: "-text j MC 200,20 1 0 K0+100.000".
std::string StationLabelCommand(const SectionDrawing& section, double textHeight);
// The polyline column's text of one row: "196,10", or "  pl" for a separator row.
std::string PolylineCell(const DrawingPlan& plan, int row);

}  // namespace kestrel
