// The Worksheet port over one of the host's Worksheet objects, called late-bound through IDispatch.
#pragma once

#include <oaidl.h>

#include <optional>
#include <string>

#include "host/worksheet.h"
#include "dispatch_call.h"

namespace kestrel {

// Every operation is one short chain of host calls on a Range found by its A1 address
// (Range("A1:H20").Sort ..., Range("F:F").NumberFormat = "General"). Blocks of values travel as
// one 2-D array per call. Holds the sheet from creation until destroyed; `application` (the
// host's Application, for Selection) must outlive it.
//
//   DispatchWorksheet sheet(hostSheet, hostApplication);
//   Grid column = sheet.Values(RangeRef::Block(1, 5, 200, 5));   // Range("E1:E200").Value2
class DispatchWorksheet final : public Worksheet {
 public:
  DispatchWorksheet(DispatchRef sheet, IDispatch* application);
  // The sheet of one Range object, named as the range's external address gave it: the name is
  // answered without asking, the values of exactly that range come from the range itself
  // (Range.Value2), and the sheet (Range.Worksheet) is asked for only when anything else is wanted.
  DispatchWorksheet(DispatchRef range, RangeRef block, std::string name, IDispatch* application);

  IDispatch* Object() { return Sheet(); }

  std::string Name() override;
  // Rows.Count of the sheet, asked once.
  int RowCount() override;

  CellValue Value(CellRef cell) override;
  Grid Values(const RangeRef& range) override;
  std::string Text(CellRef cell) override;
  // Cell by cell: the host's Text of a block is Null unless every cell shows the same text.
  std::vector<std::string> Texts(const RangeRef& range) override;
  std::string Formula(CellRef cell) override;
  std::string NumberFormat(CellRef cell) override;
  // Range("F1:F4000").NumberFormat, which is Null where the cells differ: halved until each part
  // has one format.
  std::vector<FormatRun> NumberFormats(int column, int firstRow, int lastRow) override;
  int EndUp(CellRef from) override;

  void SetValue(CellRef cell, const CellValue& value) override;
  void SetValues(CellRef topLeft, const Grid& values) override;
  void SetNumberFormat(const RangeRef& range, std::string_view code) override;

  void InsertRows(int row, int count) override;
  void DeleteRows(int row, int count) override;
  void InsertColumns(int column, int count) override;
  void DeleteColumns(int column, int count) override;
  // One Range("3:3,7:7,...").EntireRow.Insert per address of at most 255 characters, the
  // bottom-most rows first.
  void InsertRowsAbove(std::vector<int> rows) override;
  void DeleteRowsAt(std::vector<int> rows) override;
  void Select(const RangeRef& range) override;
  // The first area of the host's Selection.
  RangeRef Selection() override;
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

 private:
  // The host's Worksheet object.
  IDispatch* Sheet();
  // Range(address) of this sheet.
  DispatchRef Range(const std::string& address);
  DispatchRef Range(const RangeRef& range) { return Range(range.ToA1()); }
  DispatchRef Range(CellRef cell) { return Range(CellA1(cell)); }
  // range.EntireRow or range.EntireColumn, then Insert or Delete with the given Shift.
  void Structure(const std::string& address, const wchar_t* entire, const wchar_t* method, long shift);

  DispatchRef sheet_;  // empty until first needed when the sheet is known by one of its ranges
  DispatchRef range_;  // that range, with its block and the sheet's name; empty otherwise
  RangeRef block_;
  std::optional<std::string> name_;
  IDispatch* application_;
  int rowCount_ = 0;  // 0 until asked
};

}  // namespace kestrel
