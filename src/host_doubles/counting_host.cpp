// Counting decorators of the host ports: every call is recorded, then checked for an armed fault.
#include "host_doubles/counting_host.h"

#include "host/host_error.h"

namespace kestrel {

std::string_view HostCallName(HostCall call) {
  switch (call) {
    case HostCall::Name:
      return "Name";
    case HostCall::RowCount:
      return "RowCount";
    case HostCall::Value:
      return "Value";
    case HostCall::Values:
      return "Values";
    case HostCall::Text:
      return "Text";
    case HostCall::Texts:
      return "Texts";
    case HostCall::Formula:
      return "Formula";
    case HostCall::NumberFormat:
      return "NumberFormat";
    case HostCall::NumberFormats:
      return "NumberFormats";
    case HostCall::EndUp:
      return "EndUp";
    case HostCall::SetValue:
      return "SetValue";
    case HostCall::SetValues:
      return "SetValues";
    case HostCall::SetNumberFormat:
      return "SetNumberFormat";
    case HostCall::InsertRows:
      return "InsertRows";
    case HostCall::InsertRowsAbove:
      return "InsertRowsAbove";
    case HostCall::DeleteRowsAt:
      return "DeleteRowsAt";
    case HostCall::DeleteRows:
      return "DeleteRows";
    case HostCall::InsertColumns:
      return "InsertColumns";
    case HostCall::DeleteColumns:
      return "DeleteColumns";
    case HostCall::Select:
      return "Select";
    case HostCall::Selection:
      return "Selection";
    case HostCall::Merge:
      return "Merge";
    case HostCall::Sort:
      return "Sort";
    case HostCall::Replace:
      return "Replace";
    case HostCall::SetFont:
      return "SetFont";
    case HostCall::SetSuperscript:
      return "SetSuperscript";
    case HostCall::SetAlignment:
      return "SetAlignment";
    case HostCall::SetWrapText:
      return "SetWrapText";
    case HostCall::SetColumnWidth:
      return "SetColumnWidth";
    case HostCall::SetRowHeight:
      return "SetRowHeight";
    case HostCall::AutoFitColumns:
      return "AutoFitColumns";
    case HostCall::SetBorder:
      return "SetBorder";
    case HostCall::ClearNotes:
      return "ClearNotes";
    case HostCall::SetNote:
      return "SetNote";
    case HostCall::GetNote:
      return "GetNote";
    case HostCall::SetPageSetup:
      return "SetPageSetup";
    case HostCall::ActiveSheet:
      return "ActiveSheet";
    case HostCall::AddSheet:
      return "AddSheet";
    case HostCall::ScreenUpdating:
      return "ScreenUpdating";
    case HostCall::SetScreenUpdating:
      return "SetScreenUpdating";
    case HostCall::DisplayAlerts:
      return "DisplayAlerts";
    case HostCall::SetDisplayAlerts:
      return "SetDisplayAlerts";
    case HostCall::InchesToPoints:
      return "InchesToPoints";
    case HostCall::View:
      return "View";
    case HostCall::Caller:
      return "Caller";
    case HostCall::Worksheets:
      return "Worksheets";
  }
  return "?";
}

void CallCounter::Record(HostCall operation) {
  ++total_;
  ++counts_[static_cast<int>(operation)];
  log_.push_back(operation);
  if (failAt_ && *failAt_ == total_) {
    failAt_.reset();
    throw HostError("injected fault at call " + std::to_string(total_) + " (" + std::string(HostCallName(operation)) +
                    ")");
  }
  if (failing_.test(static_cast<int>(operation)))
    throw HostError("injected fault in " + std::string(HostCallName(operation)));
}

void CallCounter::ResetCounts() {
  if (failAt_) *failAt_ -= total_;  // keeps an armed fault the same number of calls away
  counts_.fill(0);
  log_.clear();
  total_ = 0;
  refusal_.reset();
}

void CallCounter::NoteRefusal(HostCall operation, const std::string& text) {
  using enum HostCall;
  const bool switches = operation == ScreenUpdating || operation == SetScreenUpdating || operation == DisplayAlerts ||
                        operation == SetDisplayAlerts;
  if (!refusal_ && !switches) refusal_ = Refusal{text, total_};
}

void CallCounter::FailOnCall(long n) { failAt_ = total_ + n; }
void CallCounter::FailOnOperation(HostCall operation) { failing_.set(static_cast<int>(operation)); }

void CallCounter::ClearFaults() {
  failAt_.reset();
  failing_.reset();
}

// Every forwarder records its operation first: a fault stops the call before the host sees it.
namespace {

template <class Call>
decltype(auto) Forward(CallCounter& counter, HostCall operation, Call&& call) {
  try {
    counter.Record(operation);
    return call();
  } catch (const HostError& e) {
    counter.NoteRefusal(operation, e.what());
    throw;
  }
}

}  // namespace

std::string CountingWorksheet::Name() {
  return Forward(counter_, HostCall::Name, [&] { return inner_.Name(); });
}
int CountingWorksheet::RowCount() {
  return Forward(counter_, HostCall::RowCount, [&] { return inner_.RowCount(); });
}
CellValue CountingWorksheet::Value(CellRef cell) {
  return Forward(counter_, HostCall::Value, [&] { return inner_.Value(cell); });
}
Grid CountingWorksheet::Values(const RangeRef& range) {
  return Forward(counter_, HostCall::Values, [&] { return inner_.Values(range); });
}
std::string CountingWorksheet::Text(CellRef cell) {
  return Forward(counter_, HostCall::Text, [&] { return inner_.Text(cell); });
}
std::vector<std::string> CountingWorksheet::Texts(const RangeRef& range) {
  return Forward(counter_, HostCall::Texts, [&] { return inner_.Texts(range); });
}
std::string CountingWorksheet::Formula(CellRef cell) {
  return Forward(counter_, HostCall::Formula, [&] { return inner_.Formula(cell); });
}
std::string CountingWorksheet::NumberFormat(CellRef cell) {
  return Forward(counter_, HostCall::NumberFormat, [&] { return inner_.NumberFormat(cell); });
}
std::vector<FormatRun> CountingWorksheet::NumberFormats(int column, int firstRow, int lastRow) {
  return Forward(counter_, HostCall::NumberFormats, [&] { return inner_.NumberFormats(column, firstRow, lastRow); });
}
int CountingWorksheet::EndUp(CellRef from) {
  return Forward(counter_, HostCall::EndUp, [&] { return inner_.EndUp(from); });
}
void CountingWorksheet::SetValue(CellRef cell, const CellValue& value) {
  return Forward(counter_, HostCall::SetValue, [&] { return inner_.SetValue(cell, value); });
}
void CountingWorksheet::SetValues(CellRef topLeft, const Grid& values) {
  return Forward(counter_, HostCall::SetValues, [&] { return inner_.SetValues(topLeft, values); });
}
void CountingWorksheet::SetNumberFormat(const RangeRef& range, std::string_view code) {
  return Forward(counter_, HostCall::SetNumberFormat, [&] { return inner_.SetNumberFormat(range, code); });
}
void CountingWorksheet::InsertRows(int row, int count) {
  return Forward(counter_, HostCall::InsertRows, [&] { return inner_.InsertRows(row, count); });
}
void CountingWorksheet::InsertRowsAbove(std::vector<int> rows) {
  return Forward(counter_, HostCall::InsertRowsAbove, [&] { return inner_.InsertRowsAbove(std::move(rows)); });
}
void CountingWorksheet::DeleteRowsAt(std::vector<int> rows) {
  return Forward(counter_, HostCall::DeleteRowsAt, [&] { return inner_.DeleteRowsAt(std::move(rows)); });
}
void CountingWorksheet::DeleteRows(int row, int count) {
  return Forward(counter_, HostCall::DeleteRows, [&] { return inner_.DeleteRows(row, count); });
}
void CountingWorksheet::InsertColumns(int column, int count) {
  return Forward(counter_, HostCall::InsertColumns, [&] { return inner_.InsertColumns(column, count); });
}
void CountingWorksheet::DeleteColumns(int column, int count) {
  return Forward(counter_, HostCall::DeleteColumns, [&] { return inner_.DeleteColumns(column, count); });
}
void CountingWorksheet::Select(const RangeRef& range) {
  return Forward(counter_, HostCall::Select, [&] { return inner_.Select(range); });
}
RangeRef CountingWorksheet::Selection() {
  return Forward(counter_, HostCall::Selection, [&] { return inner_.Selection(); });
}
void CountingWorksheet::Merge(const RangeRef& range) {
  return Forward(counter_, HostCall::Merge, [&] { return inner_.Merge(range); });
}
void CountingWorksheet::Sort(const RangeRef& range, int keyColumn, SortHeader header) {
  return Forward(counter_, HostCall::Sort, [&] { return inner_.Sort(range, keyColumn, header); });
}
void CountingWorksheet::Replace(const RangeRef& range, std::string_view what, std::string_view replacement) {
  return Forward(counter_, HostCall::Replace, [&] { return inner_.Replace(range, what, replacement); });
}
void CountingWorksheet::SetFont(const RangeRef& range, const FontChange& font) {
  return Forward(counter_, HostCall::SetFont, [&] { return inner_.SetFont(range, font); });
}
void CountingWorksheet::SetSuperscript(CellRef cell, int start, int length) {
  return Forward(counter_, HostCall::SetSuperscript, [&] { return inner_.SetSuperscript(cell, start, length); });
}
void CountingWorksheet::SetAlignment(const RangeRef& range, std::optional<HAlign> horizontal, std::optional<VAlign> vertical) {
  return Forward(counter_, HostCall::SetAlignment, [&] { return inner_.SetAlignment(range, horizontal, vertical); });
}
void CountingWorksheet::SetWrapText(const RangeRef& range, bool wrap) {
  return Forward(counter_, HostCall::SetWrapText, [&] { return inner_.SetWrapText(range, wrap); });
}
void CountingWorksheet::SetColumnWidth(int firstColumn, int lastColumn, double width) {
  return Forward(counter_, HostCall::SetColumnWidth, [&] { return inner_.SetColumnWidth(firstColumn, lastColumn, width); });
}
void CountingWorksheet::SetRowHeight(int firstRow, int lastRow, double height) {
  return Forward(counter_, HostCall::SetRowHeight, [&] { return inner_.SetRowHeight(firstRow, lastRow, height); });
}
void CountingWorksheet::AutoFitColumns(int firstColumn, int lastColumn) {
  return Forward(counter_, HostCall::AutoFitColumns, [&] { return inner_.AutoFitColumns(firstColumn, lastColumn); });
}
void CountingWorksheet::SetBorder(const RangeRef& range, BorderEdge edge, LineStyle style) {
  return Forward(counter_, HostCall::SetBorder, [&] { return inner_.SetBorder(range, edge, style); });
}
void CountingWorksheet::ClearNotes(const RangeRef& range) {
  return Forward(counter_, HostCall::ClearNotes, [&] { return inner_.ClearNotes(range); });
}
void CountingWorksheet::SetNote(CellRef cell, const Note& note) {
  return Forward(counter_, HostCall::SetNote, [&] { return inner_.SetNote(cell, note); });
}
std::optional<Note> CountingWorksheet::GetNote(CellRef cell) {
  return Forward(counter_, HostCall::GetNote, [&] { return inner_.GetNote(cell); });
}
void CountingWorksheet::SetPageSetup(const PageSetupChange& change) {
  return Forward(counter_, HostCall::SetPageSetup, [&] { return inner_.SetPageSetup(change); });
}

Worksheet& CountingApplication::Wrap(Worksheet& sheet) {
  auto& wrapper = wrappers_[&sheet];
  if (!wrapper) wrapper = std::make_unique<CountingWorksheet>(sheet, counter_);
  return *wrapper;
}

Worksheet& CountingApplication::ActiveSheet() {
  return Wrap(Forward(counter_, HostCall::ActiveSheet, [&]() -> Worksheet& { return inner_.ActiveSheet(); }));
}
Worksheet& CountingApplication::AddSheet() {
  return Wrap(Forward(counter_, HostCall::AddSheet, [&]() -> Worksheet& { return inner_.AddSheet(); }));
}
std::vector<Worksheet*> CountingApplication::Worksheets() {
  std::vector<Worksheet*> sheets =
      Forward(counter_, HostCall::Worksheets, [&]() -> std::vector<Worksheet*> { return inner_.Worksheets(); });
  for (Worksheet*& sheet : sheets) sheet = &Wrap(*sheet);
  return sheets;
}
bool CountingApplication::ScreenUpdating() {
  return Forward(counter_, HostCall::ScreenUpdating, [&] { return inner_.ScreenUpdating(); });
}
void CountingApplication::SetScreenUpdating(bool on) {
  return Forward(counter_, HostCall::SetScreenUpdating, [&] { return inner_.SetScreenUpdating(on); });
}
bool CountingApplication::DisplayAlerts() {
  return Forward(counter_, HostCall::DisplayAlerts, [&] { return inner_.DisplayAlerts(); });
}
void CountingApplication::SetDisplayAlerts(bool on) {
  return Forward(counter_, HostCall::SetDisplayAlerts, [&] { return inner_.SetDisplayAlerts(on); });
}
double CountingApplication::InchesToPoints(double inches) {
  return Forward(counter_, HostCall::InchesToPoints, [&] { return inner_.InchesToPoints(inches); });
}
std::optional<CallerCell> CountingApplication::Caller() {
  return Forward(counter_, HostCall::Caller, [&] { return inner_.Caller(); });
}

HostView CountingApplication::View() {
  return Forward(counter_, HostCall::View, [&] { return inner_.View(); });
}

}  // namespace kestrel
