// FakeExcel: an in-process stand-in for the spreadsheet host's object model, for the Wine tests.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "workbook/memory_workbook.h"

namespace kestrel::testing {

class FakeObject;
class FakeWorksheet;

// A prompt the host was asked to show, with its arguments as the call passed them ("<missing>"
// for an omitted optional argument).
// What the fake host's window shows instead of the book's active worksheet.
enum class FakeShows { Worksheet, ChartSheet, NoWorkbook };

struct FakePrompt {
  std::wstring member;  // "GetOpenFilename" or "GetSaveAsFilename"
  std::vector<std::wstring> arguments;
};

// Application, Sheets, Worksheet, Workbook, Range, Font, Characters, Border, Comment, Shape, TextFrame and
// PageSetup objects, reached late-bound by member name (IDispatch) exactly as a macro reaches the
// host, over a MemoryWorkbook that holds the cells. Each object answers only the members the
// add-in uses, refuses arguments it does not model (a Sort without MatchCase:=False, a Replace
// that leaves LookAt to the user's last choice, an address longer than 255 characters, an
// AddComment on a cell that has a note, a Select on a sheet that is not active) with the host's
// error code 0x800A03EC and a description, and counts every call as "Class.Member".
//
//   MemoryWorkbook book;
//   FakeExcel excel(book);
//   DispatchApplication app(excel.Application());
//   app.ActiveSheet().Value({1, 1});      // Application.ActiveSheet, Worksheet.Range, Range.Value2
//   excel.Calls("Range.Value2") == 1
class FakeExcel {
 public:
  explicit FakeExcel(MemoryWorkbook& book);
  ~FakeExcel();
  FakeExcel(const FakeExcel&) = delete;
  FakeExcel& operator=(const FakeExcel&) = delete;

  // The Application object; the caller does not own the pointer (it lives as long as the fake).
  IDispatch* Application();
  MemoryWorkbook& Book() { return book_; }

  // Calls by "Class.Member" (Invoke only), name look-ups, and both in total.
  long Calls(const std::string& member) const;
  long TotalCalls() const { return total_; }
  long NameLookups() const { return lookups_; }
  const std::map<std::string, long>& CallCounts() const { return counts_; }
  void ResetCounts();
  // "Range.Value2 12, Range.Sort 1, ..." sorted by count, largest first.
  std::string CountReport() const;

  // Every call of "Class.Member" from now on is refused with this code and description.
  void Fail(const std::string& member, HRESULT code, const std::wstring& description);
  void ClearFaults() { faults_.clear(); }

  // The book's full name, as Worksheet.Parent.FullName answers it; with none (the default) a
  // sheet's Parent is refused, as for a sheet without a book.
  void SetFullName(std::wstring fullName) { fullName_ = std::move(fullName); }
  const std::wstring& FullName() const { return fullName_; }
  // The book's name as external addresses give it: the file name of the full name, or "Book1"
  // while the book has none.
  std::wstring BookName() const;

  // What the window shows; a worksheet (the book's active sheet) by default. A chart sheet has no
  // Range; with no workbook ActiveWorkbook, ActiveSheet and Selection are Nothing and Sheets.Add
  // is refused.
  void Show(FakeShows shows) { shows_ = shows; }
  FakeShows Shows() const { return shows_; }
  // A protected sheet refuses every change of its cells (values, formats, structure, sort,
  // replace, merge, notes), as the host does with 0x800A03EC.
  void SetProtected(bool on) { protected_ = on; }
  bool Protected() const { return protected_; }
  // A shape selected: Selection is the shape, which has no Address.
  void SelectShape(bool on) { shapeSelected_ = on; }
  bool ShapeSelected() const { return shapeSelected_; }

  // The language of the machine's user (LOCALE_USER_DEFAULT of a call): US English (1033) by
  // default, Chinese (2052) or German (1031); see fake_locale.h for what it changes.
  void SetUserLocale(LCID locale) { userLocale_ = locale; }
  LCID UserLocale() const { return userLocale_; }
  // Every LCID the calls were made in.
  const std::set<LCID>& LocalesSeen() const { return locales_; }
  void NoteLocale(LCID locale) { locales_.insert(locale); }

  // A workbook in the old format (.xls, compatibility mode): 65,536 rows, and the host refuses an
  // address below them. Off by default (1,048,576 rows).
  void SetCompatibilityMode(bool on) { rowCount_ = on ? 65536 : kMaxRows; }
  int RowCount() const { return rowCount_; }

  // What the next file prompt answers: a path, or nothing for the Boolean False of a cancel.
  void QueueFileAnswer(std::optional<std::wstring> path) { answers_.push_back(std::move(path)); }
  const std::vector<FakePrompt>& Prompts() const { return prompts_; }

  // ---- For the fake's own objects ----
  struct Fault {
    HRESULT code;
    std::wstring description;
  };
  // Counts the call and answers its armed fault, if any.
  const Fault* Record(const std::string& member);
  void RecordLookup() { ++lookups_; }
  // The one Worksheet object of a sheet of the book (a new reference).
  IDispatch* SheetObject(MemoryWorksheet& sheet);
  std::optional<std::wstring> NextFileAnswer(FakePrompt prompt);

 private:
  MemoryWorkbook& book_;
  FakeObject* application_ = nullptr;
  std::map<MemoryWorksheet*, FakeWorksheet*> sheets_;
  std::map<std::string, long> counts_;
  long total_ = 0;
  long lookups_ = 0;
  std::map<std::string, Fault> faults_;
  std::vector<std::optional<std::wstring>> answers_;
  std::vector<FakePrompt> prompts_;
  std::wstring fullName_;
  int rowCount_ = kMaxRows;
  FakeShows shows_ = FakeShows::Worksheet;
  LCID userLocale_ = 1033;
  std::set<LCID> locales_;
  bool protected_ = false;
  bool shapeSelected_ = false;
};

}  // namespace kestrel::testing
