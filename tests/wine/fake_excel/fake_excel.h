// FakeExcel: an in-process stand-in for the spreadsheet host's object model, for the Wine tests.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "addin/host/memory_workbook.h"

namespace kestrel::testing {

class FakeObject;
class FakeWorksheet;

// A prompt the host was asked to show, with its arguments as the call passed them ("<missing>"
// for an omitted optional argument).
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
};

}  // namespace kestrel::testing
