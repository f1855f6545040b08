// The road as the workbook holds it: the exchange content read from the survey and results
// sheets, and an imported road written out as a survey sheet, a station-coordinate sheet and a
// profile sheet.
#pragma once

#include <optional>
#include <vector>

#include "host/worksheet.h"
#include "exchange/road_exchange.h"

namespace kestrel {

// A station-coordinate table from a sheet (or a CSV read as one): columns A station, B X
// northing, C Y easting, D azimuth (optional); headers and blank rows are skipped.
std::vector<StationCoordinate> TableFromSheet(Worksheet& sheet);

// The road of a sorted survey sheet: every section once in station order with its measured
// points (offset order), the centre ground levels as the ground profile, the design profile's
// PVIs, and, for a section with a design result at its station, the design line, the areas
// and the average-end volumes.
RoadExchange RoadFromSurvey(Worksheet& survey, PlanAlignment alignment, const VerticalProfile* profile,
                            const std::vector<DesignSection>& design);

// A sorted survey sheet, as the draw data reads it: per section one row per ground point in
// offset order (A name "P1".., B and C the point's plan position when the road has an alignment,
// D level, E and F station, G offset), sections in station order separated by an empty row.
// Returns the sections written.
int WriteSurveySheet(Worksheet& sheet, const RoadExchange& road);
// The station-coordinate sheet: a header row, then 桩号, X, Y, 方位角 (decimal degrees) at every
// section's station, or at every element's ends without sections.
void WriteStationSheet(Worksheet& sheet, const RoadExchange& road);
// The profile sheet as "保存竖曲线文件" reads it: station, elevation, radius per PVI from row 1.
void WriteProfileSheet(Worksheet& sheet, const VerticalProfile& profile);

}  // namespace kestrel
