// FakeExcel and its Application, Sheets and Worksheet objects.
#include "fake_excel.h"

#include <algorithm>
#include <sstream>

#include "fake_objects.h"

namespace kestrel::testing {

FakeExcel::FakeExcel(MemoryWorkbook& book) : book_(book), application_(new FakeApplicationObject(*this)) {}

FakeExcel::~FakeExcel() {
  for (auto& [sheet, object] : sheets_) object->Release();
  application_->Release();
}

IDispatch* FakeExcel::Application() { return application_; }

long FakeExcel::Calls(const std::string& member) const {
  auto found = counts_.find(member);
  return found == counts_.end() ? 0 : found->second;
}

void FakeExcel::ResetCounts() {
  counts_.clear();
  total_ = 0;
  lookups_ = 0;
}

std::string FakeExcel::CountReport() const {
  std::vector<std::pair<std::string, long>> sorted(counts_.begin(), counts_.end());
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  std::ostringstream out;
  out << total_ << " calls (+" << lookups_ << " name look-ups):";
  for (const auto& [member, count] : sorted) out << " " << member << " " << count << ",";
  std::string text = out.str();
  if (!text.empty() && text.back() == ',') text.pop_back();
  return text;
}

void FakeExcel::Fail(const std::string& member, HRESULT code, const std::wstring& description) {
  faults_[member] = Fault{code, description};
}

const FakeExcel::Fault* FakeExcel::Record(const std::string& member) {
  ++counts_[member];
  ++total_;
  auto found = faults_.find(member);
  return found == faults_.end() ? nullptr : &found->second;
}

IDispatch* FakeExcel::SheetObject(MemoryWorksheet& sheet) {
  FakeWorksheet*& object = sheets_[&sheet];
  if (object == nullptr) object = new FakeWorksheet(*this, sheet);
  object->AddRef();
  return object;
}

std::optional<std::wstring> FakeExcel::NextFileAnswer(FakePrompt prompt) {
  prompts_.push_back(std::move(prompt));
  if (answers_.empty()) return std::nullopt;
  std::optional<std::wstring> answer = answers_.front();
  answers_.erase(answers_.begin());
  return answer;
}

// Application ----------------------------------------------------------------------------------

FakeApplicationObject::FakeApplicationObject(FakeExcel& excel)
    : FakeObject(excel, "Application",
                 {L"ActiveSheet", L"Sheets", L"ScreenUpdating", L"DisplayAlerts", L"InchesToPoints", L"Caller",
                  L"Selection", L"GetOpenFilename", L"GetSaveAsFilename", L"ActiveWorkbook", L"Worksheets"}) {}

void FakeApplicationObject::Call(FakeCall& call) {
  MemoryWorkbook& book = Excel().Book();
  const std::wstring& m = call.member;
  const FakeShows shows = Excel().Shows();
  const bool property = m == L"ActiveSheet" || m == L"ActiveWorkbook" || m == L"Selection";
  if (property && call.IsPut()) throw FakeRefusal{m + L" is read-only"};
  if (property && shows == FakeShows::NoWorkbook) {
    SetObject(call.result, nullptr);  // Nothing
  } else if (m == L"ActiveWorkbook") {
    SetObject(call.result, new FakeWorkbook(Excel()));
  } else if (m == L"ActiveSheet" && shows == FakeShows::ChartSheet) {
    SetObject(call.result, new FakeOther(Excel(), "Chart", {L"Name", L"ProtectContents", L"ChartType"}));
  } else if (m == L"Selection" && (shows == FakeShows::ChartSheet || Excel().ShapeSelected())) {
    SetObject(call.result, new FakeOther(Excel(), "Shape", {L"Name", L"Width", L"Height"}));
  } else if (m == L"ActiveSheet") {
    SetObject(call.result, Excel().SheetObject(book.Active()));
  } else if (m == L"Sheets") {
    SetObject(call.result, new FakeSheets(Excel()));
  } else if (m == L"Worksheets") {
    if (shows == FakeShows::NoWorkbook) throw FakeRefusal{L"Worksheets needs a workbook"};
    SetObject(call.result, new FakeWorksheets(Excel()));
  } else if (m == L"ScreenUpdating" || m == L"DisplayAlerts") {
    const bool screen = m == L"ScreenUpdating";
    if (call.IsPut()) {
      const bool on = BoolOf(call.PutValue(), m.c_str());
      screen ? book.SetScreenUpdating(on) : book.SetDisplayAlerts(on);
    } else {
      SetBool(call.result, screen ? book.ScreenUpdating() : book.DisplayAlerts());
    }
  } else if (m == L"InchesToPoints") {
    call.Allow(1, {L"Inches"});
    const VARIANT* inches = call.Arg(0, L"Inches");
    if (inches == nullptr) throw FakeRefusal{L"InchesToPoints needs Inches"};
    SetNumber(call.result, book.InchesToPoints(NumberOf(*inches, L"Inches")));
  } else if (m == L"Caller") {
    std::optional<CallerCell> caller = book.Caller();
    MemoryWorksheet* sheet = caller ? book.FindSheet(caller->sheet) : nullptr;
    if (sheet == nullptr) {  // not called from a worksheet function: the error value #REF!
      call.result->vt = VT_ERROR;
      call.result->scode = static_cast<SCODE>(0x800A07E7);
    } else {
      SetObject(call.result, new FakeRange(Excel(), *sheet, {RangeRef{caller->cell, caller->cell}}));
    }
  } else if (m == L"Selection") {
    SetObject(call.result, new FakeRange(Excel(), book.Active(), {book.Active().Selection()}));
  } else if (m == L"GetOpenFilename") {
    Prompt(call, {L"FileFilter", L"FilterIndex", L"Title", L"ButtonText", L"MultiSelect"});
  } else if (m == L"GetSaveAsFilename") {
    Prompt(call, {L"InitialFilename", L"FileFilter", L"FilterIndex", L"Title", L"ButtonText"});
  }
}

void FakeApplicationObject::Prompt(FakeCall& call, std::initializer_list<const wchar_t*> parameters) {
  call.Allow(parameters.size(), parameters);
  FakePrompt prompt{call.member, {}};
  size_t position = 0;
  for (const wchar_t* name : parameters) {
    const VARIANT* v = call.Arg(position++, name);
    if (v == nullptr) {
      prompt.arguments.push_back(L"<missing>");
    } else if (v->vt == VT_BSTR) {
      prompt.arguments.push_back(TextOf(*v, name));
    } else if (v->vt == VT_BOOL) {
      prompt.arguments.push_back(v->boolVal ? L"True" : L"False");
    } else {
      prompt.arguments.push_back(std::to_wstring(LongOf(*v, name)));
    }
  }
  std::optional<std::wstring> answer = Excel().NextFileAnswer(std::move(prompt));
  if (answer) {
    SetText(call.result, *answer);
  } else {
    SetBool(call.result, false);  // the user cancelled
  }
}

// Sheets ---------------------------------------------------------------------------------------

FakeSheets::FakeSheets(FakeExcel& excel) : FakeObject(excel, "Sheets", {L"Add"}) {}

void FakeSheets::Call(FakeCall& call) {
  call.Allow(0, {});  // Before, After, Count and Type are not modelled
  if (Excel().Shows() == FakeShows::NoWorkbook) throw FakeRefusal{L"Method 'Add' of object 'Sheets' failed"};
  SetObject(call.result, Excel().SheetObject(dynamic_cast<MemoryWorksheet&>(Excel().Book().AddSheet())));
}

// Worksheets -----------------------------------------------------------------------------------

FakeWorksheets::FakeWorksheets(FakeExcel& excel) : FakeObject(excel, "Worksheets", {L"Count", L"Item"}) {}

void FakeWorksheets::Call(FakeCall& call) {
  MemoryWorkbook& book = Excel().Book();
  if (call.IsPut()) throw FakeRefusal{call.member + L" is read-only"};
  if (call.member == L"Count") {
    SetNumber(call.result, book.SheetCount());
    return;
  }
  call.Allow(1, {L"Index"});
  const VARIANT* index = call.Arg(0, L"Index");
  if (index == nullptr) throw FakeRefusal{L"Item needs Index"};
  const long i = LongOf(*index, L"Index");  // names are not modelled
  if (i < 1 || i > book.SheetCount()) throw FakeRefusal{L"Subscript out of range"};
  SetObject(call.result, Excel().SheetObject(book.Sheet(i - 1)));
}

std::wstring FakeExcel::BookName() const {
  if (fullName_.empty()) return L"Book1";
  const size_t slash = fullName_.find_last_of(L"\\/");
  return slash == std::wstring::npos ? fullName_ : fullName_.substr(slash + 1);
}

// Worksheet ------------------------------------------------------------------------------------

FakeWorksheet::FakeWorksheet(FakeExcel& excel, MemoryWorksheet& sheet)
    : FakeObject(excel, "Worksheet", {L"Name", L"Range", L"PageSetup", L"Parent", L"Rows", L"ProtectContents"}),
      sheet_(sheet) {}

void FakeWorksheet::Call(FakeCall& call) {
  if (call.member == L"Name") {
    SetText(call.result, WideOf(sheet_.SheetName()));
  } else if (call.member == L"Range") {
    call.Allow(1, {L"Cell1"});  // Range(Cell1, Cell2) with two corners is not modelled
    const VARIANT* address = call.Arg(0, L"Cell1");
    if (address == nullptr) throw FakeRefusal{L"Range needs an address"};
    std::vector<RangeRef> areas = FakeRange::ParseAddress(TextOf(*address, L"Cell1"));
    for (const RangeRef& area : areas) {
      if (!area.IsWholeColumns() && area.last.row > Excel().RowCount()) {
        throw FakeRefusal{L"Method 'Range' of object '_Worksheet' failed"};
      }
    }
    SetObject(call.result, new FakeRange(Excel(), sheet_, std::move(areas)));
  } else if (call.member == L"PageSetup") {
    SetObject(call.result, new FakePageSetup(Excel(), sheet_));
  } else if (call.member == L"ProtectContents") {
    if (call.IsPut()) throw FakeRefusal{L"ProtectContents is read-only (the host protects through Protect)"};
    SetBool(call.result, Excel().Protected());
  } else if (call.member == L"Rows") {
    call.Allow(0, {});  // Rows(index) is not modelled
    SetObject(call.result, new FakeRows(Excel()));
  } else if (call.member == L"Parent") {
    if (Excel().FullName().empty()) throw FakeRefusal{L"The sheet has no book"};
    SetObject(call.result, new FakeWorkbook(Excel()));
  }
}

// Rows ------------------------------------------------------------------------------------------

FakeRows::FakeRows(FakeExcel& excel) : FakeObject(excel, "Rows", {L"Count"}) {}

void FakeRows::Call(FakeCall& call) {
  if (call.IsPut()) throw FakeRefusal{L"Count is read-only"};
  SetNumber(call.result, Excel().RowCount());
}

// Chart, Shape -----------------------------------------------------------------------------------

FakeOther::FakeOther(FakeExcel& excel, const char* className, std::vector<std::wstring> members)
    : FakeObject(excel, className, std::move(members)) {}

void FakeOther::Call(FakeCall& call) {
  if (call.member == L"Name") {
    SetText(call.result, WideOf(ClassName()) + L" 1");
  } else if (call.member == L"ProtectContents") {
    SetBool(call.result, false);
  } else {
    throw FakeRefusal{L"the fake does not model " + call.member};
  }
}

// Workbook -------------------------------------------------------------------------------------

FakeWorkbook::FakeWorkbook(FakeExcel& excel) : FakeObject(excel, "Workbook", {L"FullName"}) {}

void FakeWorkbook::Call(FakeCall& call) { SetText(call.result, Excel().FullName()); }

}  // namespace kestrel::testing
