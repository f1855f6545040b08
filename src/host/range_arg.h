// RangeArg: a worksheet range handed to a worksheet function: a block of one sheet of one book.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/address.h"
#include "host/cell_value.h"
#include "host/worksheet.h"

namespace kestrel {

// A view, not a copy: every read goes to the sheet at the time of the call. The book is named
// by the caller (the workbook's name on the host, unique among its open books; the file path in
// the command-line tool),
// so that caches can tell two books' "Sheet1!A1:C3" apart.
//
//   RangeArg table(book.Active(), RangeRef::Parse("A1:C3").value(), "road.xlsx");
//   table.Columns() == 3;  table.Values().At(0, 0)  // the value of A1
//   table.Key()           // "road.xlsx" + sheet name + "$A$1:$C$3", one text
// Copies share the book's name, so that copying a range argument allocates nothing.
class RangeArg {
 public:
  RangeArg(Worksheet& sheet, RangeRef range, std::string book = "")
      : RangeArg(sheet, range, std::make_shared<const std::string>(std::move(book))) {}
  // A book name the caller keeps and hands to many ranges (a host's open book).
  RangeArg(Worksheet& sheet, RangeRef range, std::shared_ptr<const std::string> book)
      : sheet_(&sheet), range_(range), book_(std::move(book)) {}

  Worksheet& Sheet() const { return *sheet_; }
  const RangeRef& Ref() const { return range_; }
  const std::string& Book() const { return *book_; }
  int Rows() const { return range_.Rows(); }
  int Columns() const { return range_.Columns(); }
  bool IsSingleCell() const { return Rows() == 1 && Columns() == 1; }

  // The rows [first, first + count) of the range, counted from 0 and clipped to its end.
  RangeArg RowBlock(int first, int count) const;

  // One host call each.
  Grid Values() const { return sheet_->Values(range_); }
  CellValue FirstValue() const { return sheet_->Value(range_.first); }
  // The range's Text as the host gives it: the text every cell shows, when they all show the
  // same; nothing when they differ.
  std::optional<std::string> Text() const;
  // A single cell's Formula: "=A5-A4", or the constant as typed; nothing for several cells, where
  // the host gives an array instead of one text.
  std::optional<std::string> Formula() const;
  // The absolute A1 address: "$A$1:$C$3", "$B$5" for one cell.
  std::string Address() const;
  // Book, sheet and address in one text: equal keys name the same cells.
  std::string Key() const;
  // Key() == key, without building the key (the sheet's name is still asked for).
  bool HasKey(std::string_view key) const;

 private:
  Worksheet* sheet_;
  RangeRef range_;
  std::shared_ptr<const std::string> book_;
};

}  // namespace kestrel
