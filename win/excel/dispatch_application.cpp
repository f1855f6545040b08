// DispatchApplication: the host's sheets, switches, unit conversion, caller and file prompts by IDispatch.
#include "dispatch_application.h"

#include <string>

#include "host/host_error.h"
#include "platform/wide_text.h"

namespace kestrel {

DispatchApplication::DispatchApplication(IDispatch* host) : host_(host) {
  if (host_ != nullptr) host_->AddRef();
}

DispatchApplication::~DispatchApplication() {
  ReleaseSheets();
  if (host_ != nullptr) host_->Release();
}

Worksheet& DispatchApplication::ActiveSheet() { return Wrap(GetObject(host_, L"ActiveSheet")); }

Worksheet& DispatchApplication::AddSheet() {
  DispatchRef sheets = GetObject(host_, L"Sheets");
  DispatchArgs none;
  CallMethod(sheets.Get(), L"Add", none);
  return ActiveSheet();
}

std::vector<Worksheet*> DispatchApplication::Worksheets() {
  DispatchRef collection = GetObject(host_, L"Worksheets");
  Variant count;
  GetProperty(collection.Get(), L"Count", count);
  const long n = static_cast<long>(VariantToNumber(count.Get(), "Worksheets.Count"));
  std::vector<Worksheet*> sheets;
  for (long i = 1; i <= n; ++i) {
    DispatchArgs index;
    index.Add(LongArg(i));
    sheets.push_back(&Wrap(GetObject(collection.Get(), L"Item", index)));
  }
  return sheets;
}

Worksheet& DispatchApplication::Wrap(DispatchRef sheet) {
  IUnknown* identity = nullptr;
  if (FAILED(sheet.Get()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
    throw HostError("The host's sheet answers no IUnknown");
  }
  identity->Release();  // the DispatchWorksheet's reference keeps the identity valid
  for (auto& [known, wrapper] : sheets_) {
    if (known == identity) return *wrapper;
  }
  sheets_.emplace_back(identity, std::make_unique<DispatchWorksheet>(std::move(sheet), host_));
  return *sheets_.back().second;
}

void DispatchApplication::ReleaseSheets() { sheets_.clear(); }

bool DispatchApplication::ScreenUpdating() { return GetSwitch(L"ScreenUpdating"); }
void DispatchApplication::SetScreenUpdating(bool on) { SetSwitch(L"ScreenUpdating", on); }
bool DispatchApplication::DisplayAlerts() { return GetSwitch(L"DisplayAlerts"); }
void DispatchApplication::SetDisplayAlerts(bool on) { SetSwitch(L"DisplayAlerts", on); }

double DispatchApplication::InchesToPoints(double inches) {
  DispatchArgs args;
  args.Add(NumberArg(inches));
  Variant points;
  CallMethod(host_, L"InchesToPoints", args, &points);
  return VariantToNumber(points.Get(), "Application.InchesToPoints");
}

std::optional<CallerCell> DispatchApplication::Caller() {
  Variant caller;
  GetProperty(host_, L"Caller", caller);
  // Outside a worksheet function the host answers an error value or the name of a shape.
  if (caller.Get().vt != VT_DISPATCH || caller.Get().pdispVal == nullptr) return std::nullopt;
  IDispatch* range = caller.Get().pdispVal;
  DispatchRef sheet = GetObject(range, L"Worksheet");
  Variant name, row, column;
  GetProperty(sheet.Get(), L"Name", name);
  GetProperty(range, L"Row", row);
  GetProperty(range, L"Column", column);
  return CallerCell{VariantToText(name.Get(), "Application.Caller.Worksheet.Name"),
                    {static_cast<int>(VariantToNumber(row.Get(), "Application.Caller.Row")),
                     static_cast<int>(VariantToNumber(column.Get(), "Application.Caller.Column"))}};
}

HostView DispatchApplication::View() {
  HostView view;
  Variant book;
  GetProperty(host_, L"ActiveWorkbook", book);
  if (!ObjectOf(book.Get(), "Application.ActiveWorkbook")) {
    view.workbookOpen = view.worksheetActive = view.cellsSelected = false;
    return view;
  }
  Variant sheetValue;
  GetProperty(host_, L"ActiveSheet", sheetValue);
  DispatchRef sheet = ObjectOf(sheetValue.Get(), "Application.ActiveSheet");
  view.worksheetActive = HasMember(sheet.Get(), L"Range");
  if (view.worksheetActive) {
    Variant locked;
    GetProperty(sheet.Get(), L"ProtectContents", locked);
    view.sheetProtected = VariantToBool(locked.Get(), "Worksheet.ProtectContents");
  }
  Variant selectionValue;
  GetProperty(host_, L"Selection", selectionValue);
  DispatchRef selection = ObjectOf(selectionValue.Get(), "Application.Selection");
  view.cellsSelected = HasMember(selection.Get(), L"Address");
  return view;
}

std::optional<std::string> DispatchApplication::GetOpenFilename(std::string_view filter, std::string_view title) {
  DispatchArgs args;
  args.Add(TextArg(filter)).Add(LongArg(1)).Add(TextArg(title)).Add(MissingArg()).Add(BoolArg(false));
  Variant answer;
  CallMethod(host_, L"GetOpenFilename", args, &answer);
  return PromptAnswer(answer, "Application.GetOpenFilename");
}

std::optional<std::string> DispatchApplication::GetSaveAsFilename(std::string_view initialName,
                                                                  std::string_view filter, std::string_view title) {
  DispatchArgs args;
  args.Add(TextArg(initialName)).Add(TextArg(filter)).Add(MissingArg()).Add(TextArg(title));
  Variant answer;
  CallMethod(host_, L"GetSaveAsFilename", args, &answer);
  return PromptAnswer(answer, "Application.GetSaveAsFilename");
}

std::optional<std::string> DispatchApplication::PromptAnswer(Variant& answer, std::string_view what) {
  if (answer.Get().vt == VT_BOOL) {
    if (answer.Get().boolVal == VARIANT_FALSE) return std::nullopt;
    throw HostError(std::string(what) + " answered True");
  }
  return VariantToText(answer.Get(), what);
}

bool DispatchApplication::GetSwitch(std::wstring_view name) {
  Variant value;
  GetProperty(host_, name, value);
  return VariantToBool(value.Get(), "Application." + FromWide(name));
}

void DispatchApplication::SetSwitch(std::wstring_view name, bool on) {
  Variant value(BoolArg(on));
  PutProperty(host_, name, value.Get());
}

}  // namespace kestrel
