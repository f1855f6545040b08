// A1-style cell and range addresses, as the host understands them (rows 1..1048576; a sheet of a
// workbook in the old format has fewer: Worksheet::RowCount).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

// One cell, 1-based.
struct CellRef {
  int row = 1;
  int column = 1;
  friend bool operator==(const CellRef&, const CellRef&) = default;
};

// A rectangle of cells, corners inclusive. "F:F" is rows 1..kMaxRows of column F; "7:7" is
// columns 1..kMaxColumns of row 7.
//   RangeRef r = RangeRef::Parse("A1:H20").value();   // r.Rows() == 20, r.Columns() == 8
struct RangeRef {
  CellRef first;
  CellRef last;

  static RangeRef Cell(int row, int column) { return {{row, column}, {row, column}}; }
  static RangeRef Block(int row1, int col1, int row2, int col2) { return {{row1, col1}, {row2, col2}}; }
  static RangeRef WholeRows(int row1, int row2) { return {{row1, 1}, {row2, kMaxColumns}}; }
  static RangeRef WholeColumns(int col1, int col2) { return {{1, col1}, {kMaxRows, col2}}; }

  // "A1", "$B$2", "A1:C3", "F:F", "B:D", "7:7", "2:14"; nothing for anything else.
  static std::optional<RangeRef> Parse(std::string_view a1);

  int Rows() const { return last.row - first.row + 1; }
  int Columns() const { return last.column - first.column + 1; }
  bool IsWholeColumns() const { return first.row == 1 && last.row == kMaxRows; }
  bool IsWholeRows() const { return first.column == 1 && last.column == kMaxColumns; }
  bool Contains(CellRef c) const {
    return c.row >= first.row && c.row <= last.row && c.column >= first.column && c.column <= last.column;
  }
  // "A1:C3", "A1" for one cell, "F:F" and "7:7" for whole columns and rows.
  std::string ToA1() const;
  friend bool operator==(const RangeRef&, const RangeRef&) = default;
};

// "A" -> 1, "Z" -> 26, "AA" -> 27; 0 for anything that is not a column name in range.
int ColumnIndex(std::string_view letters);
// 1 -> "A", 27 -> "AA".
std::string ColumnLetters(int column);
// "B5"; with absolute true "$B$5".
std::string CellA1(CellRef cell, bool absolute = false);

}  // namespace kestrel
