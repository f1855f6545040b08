// The fake host's object classes, each answering the members the add-in calls on it.
#pragma once

#include <vector>

#include "workbook/memory_worksheet.h"
#include "fake_object.h"

namespace kestrel::testing {

class FakeApplicationObject final : public FakeObject {
 public:
  explicit FakeApplicationObject(FakeExcel& excel);

 protected:
  void Call(FakeCall& call) override;

 private:
  void Prompt(FakeCall& call, std::initializer_list<const wchar_t*> parameters);
};

class FakeSheets final : public FakeObject {
 public:
  explicit FakeSheets(FakeExcel& excel);

 protected:
  void Call(FakeCall& call) override;
};

// Application.Worksheets: Count, and Item(index) from 1 in tab order.
class FakeWorksheets final : public FakeObject {
 public:
  explicit FakeWorksheets(FakeExcel& excel);

 protected:
  void Call(FakeCall& call) override;
};

class FakeWorksheet final : public FakeObject {
 public:
  FakeWorksheet(FakeExcel& excel, MemoryWorksheet& sheet);
  MemoryWorksheet& Sheet() { return sheet_; }

 protected:
  void Call(FakeCall& call) override;

 private:
  MemoryWorksheet& sheet_;
};

// A sheet's Rows, for their Count only.
class FakeRows final : public FakeObject {
 public:
  explicit FakeRows(FakeExcel& excel);

 protected:
  void Call(FakeCall& call) override;
};

// What stands where a worksheet or a range is expected: a chart sheet, a selected shape. They
// answer their own members only (no Range, no Address).
class FakeOther final : public FakeObject {
 public:
  FakeOther(FakeExcel& excel, const char* className, std::vector<std::wstring> members);

 protected:
  void Call(FakeCall& call) override;
};

// A sheet's Parent: the book, with its FullName only.
class FakeWorkbook final : public FakeObject {
 public:
  explicit FakeWorkbook(FakeExcel& excel);

 protected:
  void Call(FakeCall& call) override;
};

// A range of one or more areas of one sheet.
class FakeRange final : public FakeObject {
 public:
  FakeRange(FakeExcel& excel, MemoryWorksheet& sheet, std::vector<RangeRef> areas);
  MemoryWorksheet& Sheet() { return sheet_; }
  const std::vector<RangeRef>& Areas() const { return areas_; }
  // "3:3,7:7", "A1:H20"; refuses what the host refuses (more than 255 characters, a bad area).
  static std::vector<RangeRef> ParseAddress(const std::wstring& address);

 protected:
  void Call(FakeCall& call) override;

 private:
  const RangeRef& Single(const FakeCall& call) const;  // refuses a multi-area range
  CellRef Cell(const FakeCall& call) const;           // refuses more than one cell
  void GetValues(FakeCall& call);
  void PutValues(FakeCall& call);
  void Structure(FakeCall& call, bool insert);
  void Sort(FakeCall& call);
  void Replace(FakeCall& call);
  // The areas' absolute addresses joined by the separator; each prefixed by the book and sheet
  // (Address's External:=True) when asked.
  std::wstring Address(wchar_t separator, bool withBook = false);
  CellValue Typed(const FakeCall& call, const VARIANT& value);

  MemoryWorksheet& sheet_;
  std::vector<RangeRef> areas_;
};

// What a Characters object or a Font applies to.
struct FakeTarget {
  enum Kind { Range, CellCharacters, NoteCharacters } kind = Range;
  std::vector<RangeRef> areas;  // Range
  CellRef cell;                 // the characters' cell
  long start = 1, length = 0;   // characters, from 1, in UTF-16 units
};

class FakeFont final : public FakeObject {
 public:
  FakeFont(FakeExcel& excel, MemoryWorksheet& sheet, FakeTarget target);

 protected:
  void Call(FakeCall& call) override;

 private:
  void NoteBold(FakeCall& call);
  MemoryWorksheet& sheet_;
  FakeTarget target_;
};

class FakeCharacters final : public FakeObject {
 public:
  FakeCharacters(FakeExcel& excel, MemoryWorksheet& sheet, FakeTarget target);

 protected:
  void Call(FakeCall& call) override;

 private:
  MemoryWorksheet& sheet_;
  FakeTarget target_;
};

// A range's Borders collection: its Item(Index) is one edge's Border.
class FakeBorders final : public FakeObject {
 public:
  FakeBorders(FakeExcel& excel, MemoryWorksheet& sheet, std::vector<RangeRef> areas);

 protected:
  void Call(FakeCall& call) override;

 private:
  MemoryWorksheet& sheet_;
  std::vector<RangeRef> areas_;
};

class FakeBorder final : public FakeObject {
 public:
  FakeBorder(FakeExcel& excel, MemoryWorksheet& sheet, std::vector<RangeRef> areas, BorderEdge edge);

 protected:
  void Call(FakeCall& call) override;

 private:
  MemoryWorksheet& sheet_;
  std::vector<RangeRef> areas_;
  BorderEdge edge_;
};

// Comment, its Shape and the shape's TextFrame: three views of one cell's note.
class FakeNotePart final : public FakeObject {
 public:
  enum Part { Comment, Shape, TextFrame };
  FakeNotePart(FakeExcel& excel, MemoryWorksheet& sheet, CellRef cell, Part part);

 protected:
  void Call(FakeCall& call) override;

 private:
  Note Current() const;
  MemoryWorksheet& sheet_;
  CellRef cell_;
  Part part_;
};

class FakePageSetup final : public FakeObject {
 public:
  FakePageSetup(FakeExcel& excel, MemoryWorksheet& sheet);

 protected:
  void Call(FakeCall& call) override;

 private:
  MemoryWorksheet& sheet_;
};

}  // namespace kestrel::testing
