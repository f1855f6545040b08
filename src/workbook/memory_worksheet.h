// MemoryWorksheet: a worksheet held in memory that behaves as the host's does, for tests and the CLI.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/formula_refs.h"
#include "workbook/memory_rows.h"
#include "workbook/memory_style.h"
#include "host/worksheet.h"

namespace kestrel {

class MemoryWorkbook;

// A new sheet's page setup; margins in points (0.7, 0.75 and 0.3 inch).
struct PageSetup {
  Orientation orientation = Orientation::Portrait;
  std::string printTitleRows;  // "$1:$3"; empty for none
  double leftMargin = 50.4, rightMargin = 50.4;
  double topMargin = 54, bottomMargin = 54;
  double headerMargin = 21.6, footerMargin = 21.6;
};

inline constexpr double kStandardColumnWidth = 8.43;  // characters of the standard font
inline constexpr double kStandardRowHeight = 15;      // points

// One stored cell as a workbook writer or the calculator sees it. The pointers point into the
// sheet and stay valid until the sheet changes.
struct CellView {
  CellRef at;
  const CellValue* value = nullptr;      // the constant, or the formula's cached result
  const std::string* formula = nullptr;  // "=A5-A4"; null for a constant
  StyleId style = kInheritStyle;         // the effective style: its own, else its row's, else its column's
  bool ownStyle = false;
  const std::vector<TextRun>* superscripts = nullptr;  // null when the cell has none
  const Note* note = nullptr;
};

// What the calculator reads of a stored cell: no style.
struct CellContent {
  CellRef at;
  const CellValue* value = nullptr;      // the constant, or the formula's cached result
  const std::string* formula = nullptr;  // null for a constant
};

// A column with a width or a format of its own; style kInheritStyle when it has no format.
struct ColumnFormat {
  int column = 1;
  std::optional<double> width;
  StyleId style = kInheritStyle;
  friend bool operator==(const ColumnFormat&, const ColumnFormat&) = default;
};

// A row with a height or a format of its own; style kInheritStyle when it has no format.
struct RowFormat {
  int row = 1;
  std::optional<double> height;
  StyleId style = kInheritStyle;
  friend bool operator==(const RowFormat&, const RowFormat&) = default;
};

// Cells are sparse: a sheet has kMaxRows rows and kMaxColumns columns, of which only cells
// holding something are stored, and formats given to whole columns or rows are stored once per
// column or row. A cell's format is its own, else its row's, else its column's.
//
//   MemoryWorksheet sheet;
//   sheet.SetValue({1, 1}, "12.50");          // read as a number, as the host reads what is typed
//   sheet.SetValue({2, 1}, "=A1*2");          // a formula; Value() gives its cached result
//   sheet.SetNumberFormat(RangeRef::WholeColumns(1, 1), "0.00");
//   sheet.Text({1, 1}) == "12.50"
//   sheet.InsertRows(1, 1);                   // the formula moves to A3 and reads "=A2*2"
class MemoryWorksheet : public Worksheet {
 public:
  explicit MemoryWorksheet(std::string name = "Sheet1");

  std::string Name() override { return name_; }
  int RowCount() override { return kMaxRows; }

  CellValue Value(CellRef cell) override;
  Grid Values(const RangeRef& range) override;
  std::string Text(CellRef cell) override;
  std::vector<std::string> Texts(const RangeRef& range) override;
  std::string Formula(CellRef cell) override;
  std::string NumberFormat(CellRef cell) override;
  std::vector<FormatRun> NumberFormats(int column, int firstRow, int lastRow) override;
  int EndUp(CellRef from) override;

  void SetValue(CellRef cell, const CellValue& value) override;
  void SetValues(CellRef topLeft, const Grid& values) override;
  void SetNumberFormat(const RangeRef& range, std::string_view code) override;

  void InsertRows(int row, int count) override;
  void DeleteRows(int row, int count) override;
  void InsertColumns(int column, int count) override;
  void DeleteColumns(int column, int count) override;
  void Select(const RangeRef& range) override;
  RangeRef Selection() override { return selection_; }
  void Merge(const RangeRef& range) override;
  void Sort(const RangeRef& range, int keyColumn, SortHeader header) override;
  void Replace(const RangeRef& range, std::string_view what, std::string_view replacement) override;

  void SetFont(const RangeRef& range, const FontChange& font) override;
  void SetSuperscript(CellRef cell, int start, int length) override;
  void SetAlignment(const RangeRef& range, std::optional<HAlign> horizontal, std::optional<VAlign> vertical) override;
  void SetWrapText(const RangeRef& range, bool wrap) override;
  void SetColumnWidth(int firstColumn, int lastColumn, double width) override;
  void SetRowHeight(int firstRow, int lastRow, double height) override;
  void AutoFitColumns(int firstColumn, int lastColumn) override;
  void SetBorder(const RangeRef& range, BorderEdge edge, LineStyle style) override;

  void ClearNotes(const RangeRef& range) override;
  void SetNote(CellRef cell, const Note& note) override;
  std::optional<Note> GetNote(CellRef cell) override;

  void SetPageSetup(const PageSetupChange& change) override;

  // ---- Model only: set-up and inspection for tests, not part of the port. ----

  const std::string& SheetName() const { return name_; }
  // Renames the sheet; formulas that name it are not rewritten.
  void Rename(std::string name) {
    name_ = std::move(name);
    Touch();
  }
  // The result a recalculation gives the formula in `cell`; throws std::invalid_argument when
  // the cell holds no formula.
  void SetCachedValue(CellRef cell, const CellValue& value);
  // Stores a cell exactly as a workbook file holds it: a text stays a text whatever it reads
  // as; with a formula, value is its cached result.
  void LoadCell(CellRef cell, CellValue value, std::string formula = "");
  // A hidden sheet keeps state that the user does not see (the host's sheet visibility).
  bool Hidden() const { return hidden_; }
  void SetHidden(bool hidden) {
    hidden_ = hidden;
    Touch();
  }
  CellStyle EffectiveStyle(CellRef cell) const;
  // The cell's edges as drawn: its own edge, else the facing edge of the neighbouring cell.
  CellBorders Borders(CellRef cell) const;
  const std::vector<RangeRef>& Merges() const { return merges_; }
  double ColumnWidth(int column) const;
  double RowHeight(int row) const;
  const PageSetup& Page() const { return page_; }
  std::vector<TextRun> SuperscriptRuns(CellRef cell) const;
  // Cells holding a value, a formula, a format of their own, a note or superscript runs, row by
  // row. Formats given to whole rows or columns make no cell used.
  std::vector<CellRef> UsedCells() const;
  // The smallest block holding every used cell; nothing for a sheet without one.
  std::optional<RangeRef> UsedRange() const;
  // Formula cells of the sheet.
  int FormulaCount() const { return rows_.FormulaCount(); }
  // Counts the changes that moved cells: rows or columns inserted or deleted, a range sorted.
  // What a file holds beside the cells (hyperlinks, validation) is placed by cell, so a writer
  // compares two readings to learn whether that still fits.
  std::uint64_t CellMoves() const { return cellMoves_; }

  // Inspection for writers and the calculator: style numbers are this sheet's own.
  //   sheet.VisitCells(*sheet.UsedRange(), [&](const CellView& c) { ... sheet.StyleById(c.style) ... });
  // The stored cells of the block, row by row; `visit` must not change the sheet.
  void VisitCells(const RangeRef& block, const std::function<void(const CellView&)>& visit) const;
  // For the calculator, as VisitCells but without working out styles.
  void VisitContents(const RangeRef& block, const std::function<void(const CellContent&)>& visit) const;
  // The row's cells as stored; null for a row that holds none. Valid until the sheet changes.
  const MemoryRow* StoredRow(int row) const;
  // The formula cells, row by row, without visiting the rows of the sheet that hold none.
  void VisitFormulas(const std::function<void(CellRef, const std::string& formula)>& visit) const;
  // The cell as stored; nothing for a cell that holds nothing at all.
  std::optional<CellView> StoredCell(CellRef cell) const;
  // The number of the style the cell shows (its own, else its row's, else its column's);
  // kInheritStyle stands for the default style.
  StyleId StyleIdAt(CellRef cell) const;
  const CellStyle& StyleById(StyleId id) const { return styles_.Get(id); }
  // Ascending by column and by row.
  std::vector<ColumnFormat> ColumnFormats() const;
  std::vector<RowFormat> RowFormats() const;

 private:
  friend class MemoryWorkbook;
  using StyleChange = std::function<void(CellStyle&)>;
  struct ColumnData {
    StyleId style = kInheritStyle;
    std::optional<double> width;
  };

  // Address checks: anything outside the sheet throws HostError.
  // Counts one change in the workbook's revision (none for a sheet outside a workbook).
  void Touch();
  static void Check(CellRef cell);
  static void Check(const RangeRef& range);
  static void CheckRows(int first, int last);
  static void CheckColumns(int first, int last);

  const MemoryCell* FindCell(int row, int column) const;
  // The last row whose cell in `column` is filled, 0 when none is (End from below every stored
  // row). The rows are scanned from the bottom up once for all columns, only as far as a
  // question needs, and the scan holds until the rows change.
  int LastFilledRow(int column);
  StyleId ColumnStyle(int column) const;
  StyleId StyleIdOf(const MemoryRow* row, const MemoryCell* cell, int column) const;
  const CellStyle& StyleOf(const MemoryRow* row, const MemoryCell* cell, int column) const;
  CellView ViewOf(int row, const MemoryRow& r, const MemoryCell& cell) const;
  const CellStyle& StyleAt(int row, int column) const;
  std::string DisplayText(const CellValue& value, const CellStyle& style) const;

  // Stores a value as the host stores what is typed: "=..." becomes a formula, a text that
  // reads as a number becomes the number, unless the cell's format is text ("@").
  void Put(int row, int column, const CellValue& value);
  void PutInRow(int rowNumber, MemoryRow& row, int column, const CellValue& value);
  // Sets the cell's content (constant, or formula with an empty cached value); drops the
  // superscript runs as the host does when a cell is rewritten. The caller removes a row left
  // blank.
  void WriteInRow(int rowNumber, MemoryRow& row, int column, CellValue value, std::string formula);

  // Applies `change` to the format of every cell of the range, keeping whole-column and
  // whole-row formats at column and row level.
  void ChangeStyle(const RangeRef& range, const StyleChange& change);
  // Applies `change` only to formats already stored in the range (no cell gains one).
  void ChangeStoredStyles(const RangeRef& range, const StyleChange& change);
  StyleId WithoutBorders(StyleId id);

  // Moves merges, the selection, print titles and formula references after a change of
  // structure, and tells the workbook so that other sheets' formulas follow.
  void AfterStructureChange(const RefShift& shift);
  // Adjusts references into `sheet` held by this sheet's formulas.
  void ShiftForeignReferences(std::string_view sheet, const RefShift& shift);
  bool HasContentFrom(RefAxis axis, int first) const;

  std::string name_;
  MemoryWorkbook* book_ = nullptr;
  StyleTable styles_;
  MemoryRowStore rows_;
  std::map<int, ColumnData> columns_;
  std::vector<RangeRef> merges_;
  std::uint64_t cellMoves_ = 0;
  RangeRef selection_ = RangeRef::Cell(1, 1);
  PageSetup page_;
  bool hidden_ = false;
  struct FilledScan {
    std::uint64_t changes = ~std::uint64_t{0};  // the rows' count of changes it was made at
    int above = 0;                              // the rows below this one are scanned
    std::vector<int> lastFilled;                // by column, 0 until a filled cell is scanned
  } filledScan_;
};

}  // namespace kestrel
