// DispatchWorksheet: values, blocks, searches and structure through the host's Range objects.
#include "dispatch_worksheet.h"

#include <string>

#include "host/host_error.h"
#include "cell_variant.h"
#include "row_areas.h"

namespace kestrel {
namespace {

// The host's constants.
constexpr long kXlUp = -4162, kXlDown = -4121, kXlToLeft = -4159, kXlToRight = -4161;
constexpr long kXlAscending = 1, kXlGuess = 0, kXlNo = 2, kXlTopToBottom = 1, kXlPinYin = 1, kXlSortNormal = 0;
constexpr long kXlPart = 2, kXlByRows = 1;

std::string TextProperty(IDispatch* object, const wchar_t* property, std::string_view what) {
  Variant value;
  GetProperty(object, property, value);
  return VariantToText(value.Get(), what);
}

}  // namespace

DispatchWorksheet::DispatchWorksheet(DispatchRef sheet, IDispatch* application)
    : sheet_(std::move(sheet)), application_(application) {}

DispatchWorksheet::DispatchWorksheet(DispatchRef range, RangeRef block, std::string name, IDispatch* application)
    : range_(std::move(range)), block_(block), name_(std::move(name)), application_(application) {}

IDispatch* DispatchWorksheet::Sheet() {
  if (!sheet_ && range_) sheet_ = GetObject(range_.Get(), L"Worksheet");
  return sheet_.Get();
}

DispatchRef DispatchWorksheet::Range(const std::string& address) {
  DispatchArgs args;
  args.Add(TextArg(address));
  return GetObject(Sheet(), L"Range", args);
}

std::string DispatchWorksheet::Name() { return name_ ? *name_ : TextProperty(Sheet(), L"Name", "Worksheet.Name"); }

int DispatchWorksheet::RowCount() {
  if (rowCount_ == 0) {
    DispatchRef rows = GetObject(Sheet(), L"Rows");
    Variant count;
    GetProperty(rows.Get(), L"Count", count);
    rowCount_ = static_cast<int>(VariantToNumber(count.Get(), "Worksheet.Rows.Count"));
  }
  return rowCount_;
}

CellValue DispatchWorksheet::Value(CellRef cell) {
  Variant value;
  GetProperty(Range(cell).Get(), L"Value2", value);
  return CellFromVariant(value.Get(), "the value of " + CellA1(cell));
}

Grid DispatchWorksheet::Values(const RangeRef& range) {
  Variant value;
  GetProperty(range_ && range == block_ ? range_.Get() : Range(range).Get(), L"Value2", value);
  return GridFromVariant(value.Get(), range.Rows(), range.Columns(), "the values of " + range.ToA1());
}

std::string DispatchWorksheet::Text(CellRef cell) {
  return TextProperty(Range(cell).Get(), L"Text", "the text of " + CellA1(cell));
}

std::vector<std::string> DispatchWorksheet::Texts(const RangeRef& range) {
  std::vector<std::string> texts;
  for (int r = range.first.row; r <= range.last.row; ++r) {
    for (int c = range.first.column; c <= range.last.column; ++c) texts.push_back(Text({r, c}));
  }
  return texts;
}

std::string DispatchWorksheet::Formula(CellRef cell) {
  return TextProperty(Range(cell).Get(), L"Formula", "the formula of " + CellA1(cell));
}

std::string DispatchWorksheet::NumberFormat(CellRef cell) {
  return TextProperty(Range(cell).Get(), L"NumberFormat", "the number format of " + CellA1(cell));
}

std::vector<FormatRun> DispatchWorksheet::NumberFormats(int column, int firstRow, int lastRow) {
  return FormatRunsByHalves(firstRow, lastRow, [&](int first, int last) -> std::optional<std::string> {
    const RangeRef block = RangeRef::Block(first, column, last, column);
    Variant value;
    GetProperty(Range(block).Get(), L"NumberFormat", value);
    if (value.Get().vt == VT_NULL) return std::nullopt;
    return VariantToText(value.Get(), "the number format of " + block.ToA1());
  });
}

int DispatchWorksheet::EndUp(CellRef from) {
  DispatchArgs direction;
  direction.Add(LongArg(kXlUp));
  DispatchRef end = GetObject(Range(from).Get(), L"End", direction);
  Variant row;
  GetProperty(end.Get(), L"Row", row);
  return static_cast<int>(VariantToNumber(row.Get(), "Range.End(xlUp).Row"));
}

void DispatchWorksheet::SetValue(CellRef cell, const CellValue& value) {
  Variant v(VariantFromCell(value));
  PutProperty(Range(cell).Get(), L"Value", v.Get());
}

void DispatchWorksheet::SetValues(CellRef topLeft, const Grid& values) {
  if (values.Rows() == 0 || values.Columns() == 0) return;
  const RangeRef block = RangeRef::Block(topLeft.row, topLeft.column, topLeft.row + values.Rows() - 1,
                                         topLeft.column + values.Columns() - 1);
  Variant v(VariantFromGrid(values));
  PutProperty(Range(block).Get(), L"Value", v.Get());
}

void DispatchWorksheet::SetNumberFormat(const RangeRef& range, std::string_view code) {
  Variant v(TextArg(code));
  PutProperty(Range(range).Get(), L"NumberFormat", v.Get());
}

void DispatchWorksheet::Structure(const std::string& address, const wchar_t* entire, const wchar_t* method,
                                  long shift) {
  DispatchRef whole = GetObject(Range(address).Get(), entire);
  DispatchArgs args;
  args.Named(L"Shift", LongArg(shift));
  CallMethod(whole.Get(), method, args);
}

void DispatchWorksheet::InsertRows(int row, int count) {
  if (count < 1) return;
  Structure(RangeRef::WholeRows(row, row + count - 1).ToA1(), L"EntireRow", L"Insert", kXlDown);
}

void DispatchWorksheet::DeleteRows(int row, int count) {
  if (count < 1) return;
  Structure(RangeRef::WholeRows(row, row + count - 1).ToA1(), L"EntireRow", L"Delete", kXlUp);
}

void DispatchWorksheet::InsertColumns(int column, int count) {
  if (count < 1) return;
  Structure(RangeRef::WholeColumns(column, column + count - 1).ToA1(), L"EntireColumn", L"Insert", kXlToRight);
}

void DispatchWorksheet::DeleteColumns(int column, int count) {
  if (count < 1) return;
  Structure(RangeRef::WholeColumns(column, column + count - 1).ToA1(), L"EntireColumn", L"Delete", kXlToLeft);
}

void DispatchWorksheet::InsertRowsAbove(std::vector<int> rows) {
  for (const std::string& address : RowAreaAddresses(std::move(rows))) {
    Structure(address, L"EntireRow", L"Insert", kXlDown);
  }
}

void DispatchWorksheet::DeleteRowsAt(std::vector<int> rows) {
  for (const std::string& address : RowAreaAddresses(std::move(rows))) {
    Structure(address, L"EntireRow", L"Delete", kXlUp);
  }
}

void DispatchWorksheet::Select(const RangeRef& range) {
  DispatchArgs none;
  CallMethod(Range(range).Get(), L"Select", none);
}

RangeRef DispatchWorksheet::Selection() {
  DispatchRef selection = GetObject(application_, L"Selection");
  std::string address = TextProperty(selection.Get(), L"Address", "Selection.Address");
  std::optional<RangeRef> first = RangeRef::Parse(address.substr(0, address.find(',')));
  if (!first) throw HostError("The selection " + address + " is not a range of cells");
  return *first;
}

void DispatchWorksheet::Merge(const RangeRef& range) {
  DispatchArgs none;
  CallMethod(Range(range).Get(), L"Merge", none);
}

void DispatchWorksheet::Sort(const RangeRef& range, int keyColumn, SortHeader header) {
  DispatchRef key = Range(CellRef{range.first.row, keyColumn});
  DispatchArgs args;
  args.Named(L"Key1", ObjectArg(key.Get()))
      .Named(L"Order1", LongArg(kXlAscending))
      .Named(L"Header", LongArg(header == SortHeader::Guess ? kXlGuess : kXlNo))
      .Named(L"MatchCase", BoolArg(false))
      .Named(L"Orientation", LongArg(kXlTopToBottom))
      .Named(L"SortMethod", LongArg(kXlPinYin))
      .Named(L"DataOption1", LongArg(kXlSortNormal));
  CallMethod(Range(range).Get(), L"Sort", args);
}

void DispatchWorksheet::Replace(const RangeRef& range, std::string_view what, std::string_view replacement) {
  // Every argument that decides the result is given: the host otherwise reuses the choices of the
  // user's last Find or Replace (whole cells only, case, full- and half-width, formats).
  DispatchArgs args;
  args.Named(L"What", TextArg(what))
      .Named(L"Replacement", TextArg(replacement))
      .Named(L"LookAt", LongArg(kXlPart))
      .Named(L"SearchOrder", LongArg(kXlByRows))
      .Named(L"MatchCase", BoolArg(false))
      .Named(L"MatchByte", BoolArg(false))
      .Named(L"SearchFormat", BoolArg(false))
      .Named(L"ReplaceFormat", BoolArg(false));
  CallMethod(Range(range).Get(), L"Replace", args);
}

}  // namespace kestrel
