// Counting decorators of the host ports: every call is recorded, then checked for an armed fault.
#include "addin/host/counting_host.h"

#include "addin/host/host_error.h"

namespace kestrel {

void CallCounter::Record(std::string_view operation) {
  ++total_;
  auto it = counts_.find(operation);
  if (it == counts_.end()) it = counts_.emplace(std::string(operation), 0).first;
  ++it->second;
  log_.emplace_back(operation);
  if (failAt_ && *failAt_ == total_) {
    failAt_.reset();
    throw HostError("injected fault at call " + std::to_string(total_) + " (" + std::string(operation) + ")");
  }
  if (failing_.find(operation) != failing_.end())
    throw HostError("injected fault in " + std::string(operation));
}

long CallCounter::Calls(std::string_view operation) const {
  auto it = counts_.find(operation);
  return it == counts_.end() ? 0 : it->second;
}

void CallCounter::ResetCounts() {
  if (failAt_) *failAt_ -= total_;  // keeps an armed fault the same number of calls away
  counts_.clear();
  log_.clear();
  total_ = 0;
}

void CallCounter::FailOnCall(long n) { failAt_ = total_ + n; }
void CallCounter::FailOnOperation(std::string operation) { failing_.insert(std::move(operation)); }

void CallCounter::ClearFaults() {
  failAt_.reset();
  failing_.clear();
}

// Every forwarder records its operation first: a fault stops the call before the host sees it.
namespace {

template <class Call>
decltype(auto) Forward(CallCounter& counter, std::string_view operation, Call&& call) {
  counter.Record(operation);
  return call();
}

}  // namespace

std::string CountingWorksheet::Name() {
  return Forward(counter_, "Name", [&] { return inner_.Name(); });
}
CellValue CountingWorksheet::Value(CellRef cell) {
  return Forward(counter_, "Value", [&] { return inner_.Value(cell); });
}
Grid CountingWorksheet::Values(const RangeRef& range) {
  return Forward(counter_, "Values", [&] { return inner_.Values(range); });
}
std::string CountingWorksheet::Text(CellRef cell) {
  return Forward(counter_, "Text", [&] { return inner_.Text(cell); });
}
std::vector<std::string> CountingWorksheet::Texts(const RangeRef& range) {
  return Forward(counter_, "Texts", [&] { return inner_.Texts(range); });
}
std::string CountingWorksheet::Formula(CellRef cell) {
  return Forward(counter_, "Formula", [&] { return inner_.Formula(cell); });
}
std::string CountingWorksheet::NumberFormat(CellRef cell) {
  return Forward(counter_, "NumberFormat", [&] { return inner_.NumberFormat(cell); });
}
int CountingWorksheet::EndUp(CellRef from) {
  return Forward(counter_, "EndUp", [&] { return inner_.EndUp(from); });
}
void CountingWorksheet::SetValue(CellRef cell, const CellValue& value) {
  return Forward(counter_, "SetValue", [&] { return inner_.SetValue(cell, value); });
}
void CountingWorksheet::SetValues(CellRef topLeft, const Grid& values) {
  return Forward(counter_, "SetValues", [&] { return inner_.SetValues(topLeft, values); });
}
void CountingWorksheet::SetNumberFormat(const RangeRef& range, std::string_view formatLocal) {
  return Forward(counter_, "SetNumberFormat", [&] { return inner_.SetNumberFormat(range, formatLocal); });
}
void CountingWorksheet::InsertRows(int row, int count) {
  return Forward(counter_, "InsertRows", [&] { return inner_.InsertRows(row, count); });
}
void CountingWorksheet::InsertRowsAbove(std::vector<int> rows) {
  return Forward(counter_, "InsertRowsAbove", [&] { return inner_.InsertRowsAbove(std::move(rows)); });
}
void CountingWorksheet::DeleteRowsAt(std::vector<int> rows) {
  return Forward(counter_, "DeleteRowsAt", [&] { return inner_.DeleteRowsAt(std::move(rows)); });
}
void CountingWorksheet::DeleteRows(int row, int count) {
  return Forward(counter_, "DeleteRows", [&] { return inner_.DeleteRows(row, count); });
}
void CountingWorksheet::InsertColumns(int column, int count) {
  return Forward(counter_, "InsertColumns", [&] { return inner_.InsertColumns(column, count); });
}
void CountingWorksheet::DeleteColumns(int column, int count) {
  return Forward(counter_, "DeleteColumns", [&] { return inner_.DeleteColumns(column, count); });
}
void CountingWorksheet::Select(const RangeRef& range) {
  return Forward(counter_, "Select", [&] { return inner_.Select(range); });
}
RangeRef CountingWorksheet::Selection() {
  return Forward(counter_, "Selection", [&] { return inner_.Selection(); });
}
void CountingWorksheet::Merge(const RangeRef& range) {
  return Forward(counter_, "Merge", [&] { return inner_.Merge(range); });
}
void CountingWorksheet::Sort(const RangeRef& range, int keyColumn, SortHeader header) {
  return Forward(counter_, "Sort", [&] { return inner_.Sort(range, keyColumn, header); });
}
void CountingWorksheet::Replace(const RangeRef& range, std::string_view what, std::string_view replacement) {
  return Forward(counter_, "Replace", [&] { return inner_.Replace(range, what, replacement); });
}
void CountingWorksheet::SetFont(const RangeRef& range, const FontChange& font) {
  return Forward(counter_, "SetFont", [&] { return inner_.SetFont(range, font); });
}
void CountingWorksheet::SetSuperscript(CellRef cell, int start, int length) {
  return Forward(counter_, "SetSuperscript", [&] { return inner_.SetSuperscript(cell, start, length); });
}
void CountingWorksheet::SetAlignment(const RangeRef& range, std::optional<HAlign> horizontal, std::optional<VAlign> vertical) {
  return Forward(counter_, "SetAlignment", [&] { return inner_.SetAlignment(range, horizontal, vertical); });
}
void CountingWorksheet::SetWrapText(const RangeRef& range, bool wrap) {
  return Forward(counter_, "SetWrapText", [&] { return inner_.SetWrapText(range, wrap); });
}
void CountingWorksheet::SetColumnWidth(int firstColumn, int lastColumn, double width) {
  return Forward(counter_, "SetColumnWidth", [&] { return inner_.SetColumnWidth(firstColumn, lastColumn, width); });
}
void CountingWorksheet::SetRowHeight(int firstRow, int lastRow, double height) {
  return Forward(counter_, "SetRowHeight", [&] { return inner_.SetRowHeight(firstRow, lastRow, height); });
}
void CountingWorksheet::AutoFitColumns(int firstColumn, int lastColumn) {
  return Forward(counter_, "AutoFitColumns", [&] { return inner_.AutoFitColumns(firstColumn, lastColumn); });
}
void CountingWorksheet::SetBorder(const RangeRef& range, BorderEdge edge, LineStyle style) {
  return Forward(counter_, "SetBorder", [&] { return inner_.SetBorder(range, edge, style); });
}
void CountingWorksheet::ClearNotes(const RangeRef& range) {
  return Forward(counter_, "ClearNotes", [&] { return inner_.ClearNotes(range); });
}
void CountingWorksheet::SetNote(CellRef cell, const Note& note) {
  return Forward(counter_, "SetNote", [&] { return inner_.SetNote(cell, note); });
}
std::optional<Note> CountingWorksheet::GetNote(CellRef cell) {
  return Forward(counter_, "GetNote", [&] { return inner_.GetNote(cell); });
}
void CountingWorksheet::SetPageSetup(const PageSetupChange& change) {
  return Forward(counter_, "SetPageSetup", [&] { return inner_.SetPageSetup(change); });
}

Worksheet& CountingApplication::Wrap(Worksheet& sheet) {
  auto& wrapper = wrappers_[&sheet];
  if (!wrapper) wrapper = std::make_unique<CountingWorksheet>(sheet, counter_);
  return *wrapper;
}

Worksheet& CountingApplication::ActiveSheet() {
  return Wrap(Forward(counter_, "ActiveSheet", [&]() -> Worksheet& { return inner_.ActiveSheet(); }));
}
Worksheet& CountingApplication::AddSheet() {
  return Wrap(Forward(counter_, "AddSheet", [&]() -> Worksheet& { return inner_.AddSheet(); }));
}
bool CountingApplication::ScreenUpdating() {
  return Forward(counter_, "ScreenUpdating", [&] { return inner_.ScreenUpdating(); });
}
void CountingApplication::SetScreenUpdating(bool on) {
  return Forward(counter_, "SetScreenUpdating", [&] { return inner_.SetScreenUpdating(on); });
}
bool CountingApplication::DisplayAlerts() {
  return Forward(counter_, "DisplayAlerts", [&] { return inner_.DisplayAlerts(); });
}
void CountingApplication::SetDisplayAlerts(bool on) {
  return Forward(counter_, "SetDisplayAlerts", [&] { return inner_.SetDisplayAlerts(on); });
}
double CountingApplication::InchesToPoints(double inches) {
  return Forward(counter_, "InchesToPoints", [&] { return inner_.InchesToPoints(inches); });
}
std::optional<CallerCell> CountingApplication::Caller() {
  return Forward(counter_, "Caller", [&] { return inner_.Caller(); });
}

}  // namespace kestrel
