// SurveyedSection: the one reader of the measured-section sheet (after the initial sort).
//
// The sheet holds one surveyed point per row: A the point name, D its level, E the measured
// station, F the section station, G the offset (negative on the left). Sections follow one another
// separated by a row whose point name is empty. Example:
//
//   std::vector<SurveyedSection> sections = ReadSurveyedSections(sheet);
//   for (const SurveyedSection& s : sections) use(s.Station, s.StationText, s.Points);
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/worksheet.h"

namespace kestrel {

// Columns of the measured-section sheet.
struct SurveyColumns {
  static constexpr int PointName = 1;
  static constexpr int Level = 4;
  static constexpr int MeasuredStation = 5;
  static constexpr int Station = 6;
  static constexpr int Offset = 7;
  // Before the sort inserts Station, the offset as surveyed stands where Station goes.
  static constexpr int SurveyedOffset = 6;
  // The last column of a sorted row (H).
  static constexpr int Last = 8;
};

struct SurveyedPoint {
  int Row = 0;
  double Offset = 0;  // metres from the centre line, column G
  double Level = 0;   // column D
  // Whether G and D hold finite numbers (or texts that read as one). Where they do not, Offset
  // and Level are what the sheet's arithmetic makes of the cell (0), as the drawing reads them;
  // a design never takes such a point for ground.
  bool OffsetIsNumber = true;
  bool LevelIsNumber = true;
};

struct SurveyedSection {
  int StartRow = 0;
  int EndRow = 0;
  // The station as the sheet's arithmetic reads column F of the first row: empty is 0, a text
  // that reads as a number is that number, any other text 0 (StationIsNumber then false).
  double Station = 0;
  bool StationIsNumber = true;
  // The station cell's number format ("General", "@", ...) and the station as a label shows it:
  // "K12+235.689" for a number in General, else the text the cell displays.
  std::string StationFormat;
  std::string StationText;
  // The section's points in sheet order.
  std::vector<SurveyedPoint> Points;

  // Ground level at offset 0: a point on the centre line, else the line between the last point
  // left of it and the first point right of it (points in offset order); 0 when one side has none.
  double CentreLevel() const;
};

// Rows of one section, both inclusive.
struct SectionRows {
  int Start = 0;
  int End = 0;
};

// The row of the last filled cell of a column, searched upwards from the sheet's last row so that
// no data row is missed; 0 when the column is empty.
int LastFilledRow(Worksheet& sheet, int column);
// The last row of the survey: the last filled measured station (column E).
int LastSurveyRow(Worksheet& sheet);

// The sections of rows 1..last of a block read from column A: runs of rows with a point name.
// Empty runs (two separator rows together, an empty first row) give no section.
std::vector<SectionRows> SplitSectionRows(const Grid& blockFromA, int last);

// A cell as a number the way the sheet's arithmetic reads it: empty is 0, a text that reads as a
// number is that number, anything else 0.
double SheetNumber(const CellValue& value);
// A cell that holds a finite number, or a text that reads as one; nothing for anything else.
std::optional<double> FiniteNumber(const CellValue& value);

// Puts every section whose points are not in offset order into order (ascending by G, the host's
// key order), moving whole rows of A:G as the host's sort does. Sections of numeric offsets are
// ordered here and moved by one host sort of A to `scratchColumn` (right of G) keyed on the
// rows' new places; that column's values are put back afterwards, its formats go with the rows.
// A section holding texts or other values in G is left to a host sort of its own, and so is
// every section when the host refuses the sort of the whole block. A refused sort is skipped.
void SortSectionsByOffset(Worksheet& sheet, int scratchColumn);

// Every section of the sheet, read in one block and one read of the station column's number
// formats (plus, where the station is not shown as a station, one text read per section).
std::vector<SurveyedSection> ReadSurveyedSections(Worksheet& sheet);

}  // namespace kestrel
