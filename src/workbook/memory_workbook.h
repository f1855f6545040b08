// MemoryWorkbook: the Application port over worksheets held in memory (tests and the CLI).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/application.h"
#include "workbook/memory_worksheet.h"

namespace kestrel {

// A workbook of MemoryWorksheets in tab order, one of them active. It starts with one sheet,
// "Sheet1". A change of rows or columns on one sheet also adjusts the references to it that
// other sheets' formulas hold.
//
//   MemoryWorkbook book;
//   Worksheet& added = book.AddSheet();       // "Sheet2", in front of Sheet1, now active
//   book.Sheet(0).Name() == "Sheet2"
class MemoryWorkbook : public Application {
 public:
  MemoryWorkbook();
  MemoryWorkbook(const MemoryWorkbook&) = delete;
  MemoryWorkbook& operator=(const MemoryWorkbook&) = delete;

  Worksheet& ActiveSheet() override { return Active(); }
  // In front of the active sheet, named "SheetN" with the next number not used yet.
  Worksheet& AddSheet() override;
  std::vector<Worksheet*> Worksheets() override;

  bool ScreenUpdating() override { return screenUpdating_; }
  void SetScreenUpdating(bool on) override { screenUpdating_ = on; }
  bool DisplayAlerts() override { return displayAlerts_; }
  void SetDisplayAlerts(bool on) override { displayAlerts_ = on; }
  double InchesToPoints(double inches) override { return inches * 72; }
  std::optional<CallerCell> Caller() override { return caller_; }
  HostView View() override { return view_; }

  // ---- Model only ----
  MemoryWorksheet& Active() { return *sheets_[active_]; }
  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  // 0-based, in tab order.
  MemoryWorksheet& Sheet(int index);
  MemoryWorksheet* FindSheet(std::string_view name);
  int ActiveIndex() const { return active_; }
  void Activate(int index);
  // Appends a sheet after the last one, with the given name (a workbook file's sheets in their
  // order); the active sheet stays. Throws std::invalid_argument for a name already used.
  MemoryWorksheet& AppendSheet(std::string name);

  // What View answers, for the checks before a command: a test sets a protected sheet, a chart
  // sheet, no workbook or an object selected (the model itself goes on working).
  void SetView(HostView view) { view_ = view; }

  // The cell whose formula a worksheet function is called from; nothing outside a calculation.
  void SetCaller(std::optional<CallerCell> caller) { caller_ = std::move(caller); }

  // Counts the changes to the workbook's content: every call through the port that writes to a
  // sheet (values, formats, structure, sort, replace, notes, page set-up) and every sheet added,
  // renamed or hidden. Loading cells, cached results, the selection, the active sheet and the
  // application's switches are no change. Compare two readings to learn whether anything changed.
  //   const auto before = book.Revision();  ...  book.Revision() != before
  std::uint64_t Revision() const { return revision_; }

 private:
  friend class MemoryWorksheet;
  void OnStructureChanged(const MemoryWorksheet& changed, const RefShift& shift);

  std::vector<std::unique_ptr<MemoryWorksheet>> sheets_;
  int active_ = 0;
  int nextNumber_ = 1;  // the number of the next default sheet name
  bool screenUpdating_ = true;
  bool displayAlerts_ = true;
  std::optional<CallerCell> caller_;
  HostView view_;
  std::uint64_t revision_ = 0;
};

}  // namespace kestrel
