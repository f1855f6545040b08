// The export of the active workbook's road, shared by the command line and the add-in: the centre
// line from the file or sheet the user names, the road of the survey sheet with its design, and
// the LandXML and IFC files written whole.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/application.h"
#include "earthworks/design_inputs.h"
#include "exchange/landxml_writer.h"
#include "exchange/road_exchange.h"

namespace kestrel {

// An input or a target that stops the export: one line that says why.
class ExportError : public std::runtime_error {
 public:
  explicit ExportError(const std::string& what) : std::runtime_error(what) {}
};

// The sheet a station-coordinate table is looked for under when no other source is named.
inline constexpr const char* kStationSheetName = "逐桩坐标表";

// Reads a CSV station-coordinate table (station, X, Y[, azimuth]); where the platform has no
// CSV reader it is null and a .csv source is refused.
using StationTableReader = std::function<std::vector<StationCoordinate>(const std::string& path)>;

// Whether a name is a LandXML file's (.xml, .landxml) or a CSV file's (.csv), without regard to case.
bool IsLandXmlFileName(const std::string& name);
bool IsCsvFileName(const std::string& name);

// The whole road of a LandXML file. ExportError "PATH: why" when it cannot be read.
RoadExchange ReadLandXmlPath(const std::string& path);

// The centre line from `source`: a LandXML file's alignment, a CSV table, a worksheet of the
// active workbook by name, or, when source is empty, the sheet 逐桩坐标表 (empty when there is
// none). `entry` names where the source was typed, for the message of a source that is none of
// these: "--alignment x.txt: no such file type or sheet (.csv, .xml or a sheet's name)".
//   PlanAlignment line = WorkbookAlignment(book, "--alignment", "", nullptr);  // 逐桩坐标表
PlanAlignment WorkbookAlignment(Application& book, const std::string& entry, const std::string& source,
                                const StationTableReader& readCsv);

// The road of the active sheet (a sorted survey) along a centre line that is not empty: the
// profile of files.Profile (when named), and the design of files.Template (needs the profile)
// or else the workbook's design results. ExportError for a file or station that fails.
RoadExchange WorkbookRoad(Application& book, PlanAlignment alignment, const DesignFiles& files);

// The road written as a LandXML 1.2 or an IFC 4.3 file, which appears whole or not at all.
// ExportError when it cannot be written.
void WriteLandXmlFile(const RoadExchange& road, const std::string& path, const ExchangeStamp& stamp);
void WriteIfcFile(const RoadExchange& road, const std::string& path, const ExchangeStamp& stamp);

}  // namespace kestrel
