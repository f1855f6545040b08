// Reference adjustment in formula text: whole rows or columns inserted or deleted, formulas moved.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kestrel {

// Characters that may form a name, a number or a reference in a formula; bytes of UTF-8
// sequences count, so an unquoted sheet name in Chinese stays one word.
bool IsFormulaWordChar(char c);

// One side of a reference: "$B$5" (a cell), "$B" (a whole-column side), "5" (a whole-row side).
struct RefPart {
  int column = 0;  // 0: no column
  int row = 0;     // 0: no row
  bool absColumn = false;
  bool absRow = false;
  bool IsCell() const { return column && row; }
  bool IsColumn() const { return column && !row; }
  bool IsRow() const { return !column && row; }
};

// The side a word of a formula stands for, any case ("b5" is B5); nothing when it is none.
std::optional<RefPart> ParseRefPart(std::string_view word);
// The side moved by rows and columns as copying a formula moves it: relative parts move,
// $-absolute parts stay. False when it leaves the sheet.
bool MoveRefPart(RefPart& part, int rows, int columns);
// The side as the host writes it ("$B$5", "B5", "$B", "5") into `out`, which has room for 16
// characters; returns how many it wrote.
size_t WriteRefPart(const RefPart& part, char* out);

enum class RefAxis { Rows, Columns };

// `count` whole rows (or columns) inserted in front of `at`, or deleted from `at` on.
//   RefShift{RefAxis::Rows, 5, 2, true}: two rows inserted at row 5; the old row 5 becomes row 7.
struct RefShift {
  RefAxis axis = RefAxis::Rows;
  int at = 1;
  int count = 1;
  bool insert = true;
};

// Where the span [first, last] of rows (or columns) lies after the change, as the host moves a
// range: an insertion at or above `first` moves it, one inside it widens it; a deletion shrinks
// it. Nothing when the whole span was deleted, or pushed off the end of the sheet.
//   ShiftSpan(5, 20, {Rows, 3, 4, false}) == {3, 16}
std::optional<std::pair<int, int>> ShiftSpan(int first, int last, const RefShift& shift);

// The formula with every reference into `changedSheet` adjusted for the change: relative and
// $-absolute references both move, ranges shrink or grow, a reference whose cells were all
// deleted becomes #REF!. Text inside double quotes is never touched. An unqualified reference
// points into the formula's own sheet, so it moves only when `onChangedSheet`.
//   ShiftReferences("=SUM(D5:D20)-A4", {Rows, 3, 4, false}, "Sheet1", true) == "=SUM(D3:D16)-#REF!"
std::string ShiftReferences(std::string_view formula, const RefShift& shift, std::string_view changedSheet,
                            bool onChangedSheet);

// The formula as it reads after being moved by (rows, columns), as copying it does: relative
// parts move, $-absolute parts stay; a reference moved off the sheet becomes #REF!.
//   OffsetReferences("=A5+$B$5*B$4", -2, 0) == "=A3+$B$5*B$4"
std::string OffsetReferences(std::string_view formula, int rows, int columns);

}  // namespace kestrel
