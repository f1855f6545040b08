// The results sheet of a design run, read back for the drawings, and the areas it gives a
// volume sheet.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "earthworks/design_section.h"
#include "host/worksheet.h"
#include "sections/section_sheets.h"

namespace kestrel {

class Application;

// A1 of the results sheet: how the drawings find it among a workbook's sheets.
inline constexpr const char* kDesignResultsTitle = "设计断面挖填面积表";

// The results sheet: the title in row 1, headers in row 2, one row per section from row 3.
// Levels and offsets in metres, areas in square metres.
enum DesignResultColumn {
  kResultStation = 1,   // A 桩号: the station, shown "K0+100.000"
  kResultGround,        // B 地面中桩高程: ground at the centre line
  kResultDesign,        // C 设计中桩高程: the profile's level
  kResultHeight,        // D 填高(+)挖深(-): design minus ground at the centre line
  kResultLeftDaylight,  // E 左侧坡脚/坡顶距: offset of the left daylight point (negative)
  kResultRightDaylight, // F 右侧坡脚/坡顶距
  kResultCut,           // G 挖方面积
  kResultFill,          // H 填方面积
  kResultCutLeft,       // I 左侧挖方
  kResultFillLeft,      // J 左侧填方
  kResultCutRight,      // K 右侧挖方
  kResultFillRight,     // L 右侧填方
  kResultStrip,         // M 清表面积: topsoil strip, 0 without a depth
  kResultRemarks,       // N 备注: "左侧地面线水平延长" / "右侧地面线水平延长" when a side's ground was extended
  kResultOutline,       // O 设计线: the design line "offset,level" pairs joined by ";" (left to right)
  kResultLastColumn = kResultOutline
};
inline constexpr int kResultFirstRow = 3;

// Writes the whole sheet (one block write for the rows) with its number formats and widths.
void WriteDesignResults(Worksheet& sheet, const std::vector<DesignSection>& sections);

// Whether a sheet is a results sheet (its A1 is the title).
bool IsDesignResultsSheet(Worksheet& sheet);
// The sections back from a results sheet: station, levels, daylights, areas, outline; the
// remarks give the GroundExtended flags. Rows end at the first empty station.
std::vector<DesignSection> ReadDesignResults(Worksheet& sheet);

// The sections of a workbook's results sheet: the first results sheet in tab order (the latest
// run's, as a new sheet goes in front); none without one.
std::vector<DesignSection> ReadWorkbookDesignResults(Application& workbook);
// The same for the cross-section sheets, read through the host's ports (so from Excel as from a
// file); a workbook without a results sheet has no outline at any station.
std::unique_ptr<DesignResults> WorkbookDesignResults(Application& workbook);
// The outlines of a design run's sections, by station (within 1 mm), for the drawings.
std::unique_ptr<DesignResults> DesignResultsOf(std::vector<DesignSection> sections);

// The design line as the sheet holds it, and back: "-8,10;-4,12;0,12".
std::string OutlineText(const std::vector<SectionPoint>& outline);
std::vector<SectionPoint> OutlineFromText(const std::string& text);

// Fills a volume sheet's area columns from row 4, one row per section, stations in column A:
// the design areas (B cut, C fill) of variants 4 and 6, the areas of variant 2 (B, C). The
// sheet's formulas then give the distances and volumes.
void FillVolumeAreas(Worksheet& volumeSheet, const std::vector<DesignSection>& sections);

}  // namespace kestrel
