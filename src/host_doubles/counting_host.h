// Counting decorators of the Application and Worksheet ports, with fault injection for error paths.
#pragma once

#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/application.h"
#include "host/worksheet.h"

namespace kestrel {

// The port operations, one per method of Application and Worksheet, as the decorators count them.
enum class HostCall {
  Name, RowCount, Value, Values, Text, Texts, Formula, NumberFormat, NumberFormats, EndUp, SetValue, SetValues, SetNumberFormat,
  InsertRows, InsertRowsAbove, DeleteRowsAt, DeleteRows, InsertColumns, DeleteColumns, Select, Selection,
  Merge, Sort, Replace, SetFont, SetSuperscript, SetAlignment, SetWrapText, SetColumnWidth, SetRowHeight,
  AutoFitColumns, SetBorder, ClearNotes, SetNote, GetNote, SetPageSetup, ActiveSheet, AddSheet,
  ScreenUpdating, SetScreenUpdating, DisplayAlerts, SetDisplayAlerts, InchesToPoints, View, Caller,
  Worksheets
};
inline constexpr int kHostCallCount = static_cast<int>(HostCall::Worksheets) + 1;
// The method's name: "SetValues" for HostCall::SetValues.
std::string_view HostCallName(HostCall call);

// Counts port calls by operation and in total, and throws HostError where a test asks for a
// fault. A failing call is counted and never reaches the decorated object.
//
//   MemoryWorkbook book;
//   CountingApplication app(book);
//   app.Counter().FailOnOperation(HostCall::InsertRows);
//   app.ActiveSheet().InsertRows(2, 1);          // throws HostError; the sheet is unchanged
//   app.Counter().Calls(HostCall::InsertRows) == 1
class CallCounter {
 public:
  // Records one call; throws HostError when a fault is armed for it.
  void Record(HostCall operation);

  long Calls(HostCall operation) const { return counts_[static_cast<int>(operation)]; }
  long TotalCalls() const { return total_; }
  // Every call in order.
  const std::vector<HostCall>& Log() const { return log_; }
  // Forgets the counts, the log and the refusal; armed faults stay.
  void ResetCounts();

  // The first call that was refused (by an armed fault or by the decorated host): its text, and
  // the total of calls when it came. The application's switches (screen updating, alerts) do not
  // count: their refusal leaves the work as it was. Nothing while every call has gone through.
  struct Refusal {
    std::string text;
    long atCall = 0;
  };
  const std::optional<Refusal>& FirstRefusal() const { return refusal_; }
  void NoteRefusal(HostCall operation, const std::string& text);

  // The n-th call from now (1: the very next one) throws, once.
  void FailOnCall(long n);
  // Every call of the operation throws, until ClearFaults.
  void FailOnOperation(HostCall operation);
  void ClearFaults();

 private:
  std::array<long, kHostCallCount> counts_{};
  std::vector<HostCall> log_;
  long total_ = 0;
  std::optional<long> failAt_;  // a value of total_
  std::optional<Refusal> refusal_;
  std::bitset<kHostCallCount> failing_;
};

class CountingWorksheet : public Worksheet {
 public:
  CountingWorksheet(Worksheet& inner, CallCounter& counter) : inner_(inner), counter_(counter) {}
  Worksheet& Inner() { return inner_; }

  std::string Name() override;
  int RowCount() override;
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
  void InsertRowsAbove(std::vector<int> rows) override;
  void DeleteRowsAt(std::vector<int> rows) override;
  void Select(const RangeRef& range) override;
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
  Worksheet& inner_;
  CallCounter& counter_;
};

// Decorates any Application; the sheets it hands out are CountingWorksheets sharing its counter
// (one wrapper per sheet, alive as long as the application).
class CountingApplication : public Application {
 public:
  explicit CountingApplication(Application& inner) : inner_(inner) {}
  CallCounter& Counter() { return counter_; }

  Worksheet& ActiveSheet() override;
  Worksheet& AddSheet() override;
  std::vector<Worksheet*> Worksheets() override;
  bool ScreenUpdating() override;
  void SetScreenUpdating(bool on) override;
  bool DisplayAlerts() override;
  void SetDisplayAlerts(bool on) override;
  double InchesToPoints(double inches) override;
  std::optional<CallerCell> Caller() override;
  HostView View() override;

 private:
  Worksheet& Wrap(Worksheet& sheet);

  Application& inner_;
  CallCounter counter_;
  std::map<Worksheet*, std::unique_ptr<CountingWorksheet>> wrappers_;
};

}  // namespace kestrel
