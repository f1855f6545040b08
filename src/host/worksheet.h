// Worksheet: the port through which every command reads and changes one sheet of the host.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/address.h"
#include "host/cell_value.h"

namespace kestrel {

// The host's alignment codes.
enum class HAlign { General = 1, Left = -4131, Center = -4108, Right = -4152, Fill = 5 };
enum class VAlign { Top = -4160, Center = -4108, Bottom = -4107 };

// Border items as the host numbers them.
enum class BorderEdge { Left = 7, Top = 8, Bottom = 9, Right = 10, InsideVertical = 11, InsideHorizontal = 12 };
enum class LineStyle { None = -4142, Continuous = 1 };

// A font change: only the members that are set are applied.
struct FontChange {
  std::optional<std::string> name;
  std::optional<double> size;
  std::optional<bool> bold;
  std::optional<long> color;  // the host's colour number (red in the low byte)
};

// A cell note (comment). boldLength: how many characters, from the first, are bold.
struct Note {
  std::string text;
  bool visible = false;
  double width = 0;
  double height = 0;
  int boldLength = 0;
  friend bool operator==(const Note&, const Note&) = default;
};

enum class Orientation { Portrait = 1, Landscape = 2 };

// A page-setup change: only the members that are set are applied. Margins in points.
struct PageSetupChange {
  std::optional<Orientation> orientation;
  std::optional<std::string> printTitleRows;  // "$1:$3"
  std::optional<double> leftMargin, rightMargin, topMargin, bottomMargin, headerMargin, footerMargin;
};

enum class SortHeader { No, Guess };

// Consecutive rows of one column showing the same number format.
struct FormatRun {
  int rows = 0;
  std::string format;  // neutral code, as NumberFormat gives it
  friend bool operator==(const FormatRun&, const FormatRun&) = default;
};

// The runs of rows first..last, for a host that gives the number format of a whole range at once
// when all its cells share one (`uniform` returns nothing when they differ): the range is halved
// until every part has one format. The calls grow with the number of runs, not of rows.
std::vector<FormatRun> FormatRunsByHalves(int first, int last,
                                          const std::function<std::optional<std::string>(int, int)>& uniform);

// One worksheet of the host. Every call may throw HostError. Reading and writing blocks is the
// cheap way: one call for a whole range instead of one per cell.
class Worksheet {
 public:
  virtual ~Worksheet() = default;

  virtual std::string Name() = 0;
  // The sheet's number of rows: kMaxRows, or 65,536 in a workbook kept in the old format (.xls).
  virtual int RowCount() = 0;

  // Reading.
  virtual CellValue Value(CellRef cell) = 0;
  virtual Grid Values(const RangeRef& range) = 0;
  virtual std::string Text(CellRef cell) = 0;  // the text the cell displays
  virtual std::vector<std::string> Texts(const RangeRef& range) = 0;  // row-major
  virtual std::string Formula(CellRef cell) = 0;  // "=A5-A4", or the constant as typed
  virtual std::string NumberFormat(CellRef cell) = 0;  // neutral code: "General", "@", "0.00"
  // The number formats of a column's rows first..last, top to bottom, as runs of equal formats:
  // {{40, "General"}, {2, "@"}, ...}. Hosts that cannot do better ask cell by cell.
  virtual std::vector<FormatRun> NumberFormats(int column, int firstRow, int lastRow);
  // The host's End toward the top from `from`: the last filled row of the column when
  // `from` is empty; row 1 when nothing above is filled.
  virtual int EndUp(CellRef from) = 0;

  // Writing. A text beginning with "=" is stored as a formula.
  virtual void SetValue(CellRef cell, const CellValue& value) = 0;
  virtual void SetValues(CellRef topLeft, const Grid& values) = 0;
  // A neutral format code, the same in every language of the host: "General", "@", "0.000",
  // "0.000_ ;[Red]-0.000 ".
  virtual void SetNumberFormat(const RangeRef& range, std::string_view code) = 0;

  // Structure: whole rows and columns shift everything below or right of them.
  virtual void InsertRows(int row, int count) = 0;
  virtual void DeleteRows(int row, int count) = 0;
  virtual void InsertColumns(int column, int count) = 0;
  virtual void DeleteColumns(int column, int count) = 0;
  // One call for many places, as the host's multi-area row ranges allow ("3:3,7:7"): one empty
  // row above each listed row, or each listed row deleted; rows are numbered as before the call.
  // Hosts without such ranges do it one row at a time from the bottom up, which gives the same.
  virtual void InsertRowsAbove(std::vector<int> rows);
  virtual void DeleteRowsAt(std::vector<int> rows);
  virtual void Select(const RangeRef& range) = 0;
  virtual RangeRef Selection() = 0;
  virtual void Merge(const RangeRef& range) = 0;
  // Stable ascending sort of the rows of `range` on one key column (an absolute column number):
  // numbers before texts, texts without regard to case, empty keys last.
  virtual void Sort(const RangeRef& range, int keyColumn, SortHeader header) = 0;
  // Substring replacement in every cell of the range, letters matched without regard to case and
  // full-width forms matching half-width ones ("ＫＺ＋" as "kz+"); a cell whose new content reads
  // as a number becomes that number.
  virtual void Replace(const RangeRef& range, std::string_view what, std::string_view replacement) = 0;

  // Formats.
  virtual void SetFont(const RangeRef& range, const FontChange& font) = 0;
  // Characters(start, length).Font.Superscript = True; start counts characters from 1.
  virtual void SetSuperscript(CellRef cell, int start, int length) = 0;
  virtual void SetAlignment(const RangeRef& range, std::optional<HAlign> horizontal,
                            std::optional<VAlign> vertical) = 0;
  virtual void SetWrapText(const RangeRef& range, bool wrap) = 0;
  virtual void SetColumnWidth(int firstColumn, int lastColumn, double width) = 0;
  virtual void SetRowHeight(int firstRow, int lastRow, double height) = 0;
  virtual void AutoFitColumns(int firstColumn, int lastColumn) = 0;
  virtual void SetBorder(const RangeRef& range, BorderEdge edge, LineStyle style) = 0;

  // Notes.
  virtual void ClearNotes(const RangeRef& range) = 0;
  // Removes any note of the cell and adds this one.
  virtual void SetNote(CellRef cell, const Note& note) = 0;
  virtual std::optional<Note> GetNote(CellRef cell) = 0;

  virtual void SetPageSetup(const PageSetupChange& change) = 0;
};

}  // namespace kestrel
