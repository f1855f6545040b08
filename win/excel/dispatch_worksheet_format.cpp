// DispatchWorksheet: fonts, alignment, sizes, borders, cell notes and page setup through the host.
#include "dispatch_worksheet.h"

#include <string>

#include "util/unicode.h"

namespace kestrel {
namespace {

void Put(IDispatch* object, const wchar_t* property, VARIANT value) {
  Variant v(value);
  PutProperty(object, property, v.Get());
}

// The host counts characters in UTF-16 units; the port counts code points.
long Utf16Length(std::string_view utf8) { return static_cast<long>(Utf8ToUtf16(utf8).size()); }

// shape.TextFrame.Characters(start, length).Font, start from 1, in UTF-16 units.
DispatchRef NoteCharactersFont(IDispatch* shape, long start, long length) {
  DispatchRef frame = GetObject(shape, L"TextFrame");
  DispatchArgs span;
  span.Add(LongArg(start)).Add(LongArg(length));
  DispatchRef characters = GetObject(frame.Get(), L"Characters", span);
  return GetObject(characters.Get(), L"Font");
}

}  // namespace

void DispatchWorksheet::SetFont(const RangeRef& range, const FontChange& font) {
  DispatchRef target = GetObject(Range(range).Get(), L"Font");
  if (font.name) Put(target.Get(), L"Name", TextArg(*font.name));
  if (font.size) Put(target.Get(), L"Size", NumberArg(*font.size));
  if (font.bold) Put(target.Get(), L"Bold", BoolArg(*font.bold));
  if (font.color) Put(target.Get(), L"Color", LongArg(*font.color));
}

void DispatchWorksheet::SetSuperscript(CellRef cell, int start, int length) {
  DispatchArgs span;
  span.Add(LongArg(start)).Add(LongArg(length));
  DispatchRef characters = GetObject(Range(cell).Get(), L"Characters", span);
  DispatchRef font = GetObject(characters.Get(), L"Font");
  Put(font.Get(), L"Superscript", BoolArg(true));
}

void DispatchWorksheet::SetAlignment(const RangeRef& range, std::optional<HAlign> horizontal,
                                     std::optional<VAlign> vertical) {
  if (!horizontal && !vertical) return;
  DispatchRef target = Range(range);
  if (horizontal) Put(target.Get(), L"HorizontalAlignment", LongArg(static_cast<long>(*horizontal)));
  if (vertical) Put(target.Get(), L"VerticalAlignment", LongArg(static_cast<long>(*vertical)));
}

void DispatchWorksheet::SetWrapText(const RangeRef& range, bool wrap) {
  Put(Range(range).Get(), L"WrapText", BoolArg(wrap));
}

void DispatchWorksheet::SetColumnWidth(int firstColumn, int lastColumn, double width) {
  Put(Range(RangeRef::WholeColumns(firstColumn, lastColumn)).Get(), L"ColumnWidth", NumberArg(width));
}

void DispatchWorksheet::SetRowHeight(int firstRow, int lastRow, double height) {
  Put(Range(RangeRef::WholeRows(firstRow, lastRow)).Get(), L"RowHeight", NumberArg(height));
}

void DispatchWorksheet::AutoFitColumns(int firstColumn, int lastColumn) {
  DispatchRef columns = GetObject(Range(RangeRef::WholeColumns(firstColumn, lastColumn)).Get(), L"EntireColumn");
  DispatchArgs none;
  CallMethod(columns.Get(), L"AutoFit", none);
}

void DispatchWorksheet::SetBorder(const RangeRef& range, BorderEdge edge, LineStyle style) {
  DispatchRef borders = GetObject(Range(range).Get(), L"Borders");
  DispatchArgs item;
  item.Add(LongArg(static_cast<long>(edge)));
  DispatchRef border = GetObject(borders.Get(), L"Item", item);
  Put(border.Get(), L"LineStyle", LongArg(static_cast<long>(style)));
}

void DispatchWorksheet::ClearNotes(const RangeRef& range) {
  DispatchArgs none;
  CallMethod(Range(range).Get(), L"ClearComments", none);
}

void DispatchWorksheet::SetNote(CellRef cell, const Note& note) {
  DispatchRef target = Range(cell);
  DispatchArgs none;
  CallMethod(target.Get(), L"ClearComments", none);  // AddComment fails on a cell that has a note
  DispatchArgs text;
  text.Add(TextArg(note.text));
  Variant added;
  CallMethod(target.Get(), L"AddComment", text, &added);
  DispatchRef comment = ObjectOf(added.Get(), "Range.AddComment");
  if (!comment) comment = GetObject(target.Get(), L"Comment");
  Put(comment.Get(), L"Visible", BoolArg(note.visible));
  DispatchRef shape = GetObject(comment.Get(), L"Shape");
  Put(shape.Get(), L"Width", NumberArg(static_cast<float>(note.width)));
  Put(shape.Get(), L"Height", NumberArg(static_cast<float>(note.height)));
  // A new note's text is not bold; only the leading run is made bold.
  if (note.boldLength > 0) {
    const long bold = Utf16Length(CodePointSubstr(note.text, 0, static_cast<size_t>(note.boldLength)));
    DispatchRef font = NoteCharactersFont(shape.Get(), 1, bold);
    Put(font.Get(), L"Bold", BoolArg(true));
  }
}

std::optional<Note> DispatchWorksheet::GetNote(CellRef cell) {
  Variant found;
  GetProperty(Range(cell).Get(), L"Comment", found);
  DispatchRef comment = ObjectOf(found.Get(), "Range.Comment");
  if (!comment) return std::nullopt;
  Note note;
  Variant value;
  DispatchArgs none;
  CallMethod(comment.Get(), L"Text", none, &value);
  note.text = VariantToText(value.Get(), "Comment.Text");
  GetProperty(comment.Get(), L"Visible", value);
  note.visible = VariantToBool(value.Get(), "Comment.Visible");
  DispatchRef shape = GetObject(comment.Get(), L"Shape");
  GetProperty(shape.Get(), L"Width", value);
  note.width = VariantToNumber(value.Get(), "Comment.Shape.Width");
  GetProperty(shape.Get(), L"Height", value);
  note.height = VariantToNumber(value.Get(), "Comment.Shape.Height");
  // The bold leading run, by halving: the host answers Null for a run of mixed boldness.
  const std::u16string units = Utf8ToUtf16(note.text);
  long low = 0, high = static_cast<long>(units.size());
  while (low < high) {
    const long middle = (low + high + 1) / 2;
    DispatchRef font = NoteCharactersFont(shape.Get(), 1, middle);
    GetProperty(font.Get(), L"Bold", value);
    const bool allBold = value.Get().vt == VT_BOOL && value.Get().boolVal != VARIANT_FALSE;
    if (allBold) low = middle; else high = middle - 1;
  }
  note.boldLength = static_cast<int>(CodePointCount(Utf16ToUtf8(units.substr(0, static_cast<size_t>(low)))));
  return note;
}

void DispatchWorksheet::SetPageSetup(const PageSetupChange& change) {
  DispatchRef page = GetObject(Sheet(), L"PageSetup");
  if (change.orientation) Put(page.Get(), L"Orientation", LongArg(static_cast<long>(*change.orientation)));
  if (change.printTitleRows) Put(page.Get(), L"PrintTitleRows", TextArg(*change.printTitleRows));
  const std::pair<const wchar_t*, const std::optional<double>*> margins[] = {
      {L"LeftMargin", &change.leftMargin},     {L"RightMargin", &change.rightMargin},
      {L"TopMargin", &change.topMargin},       {L"BottomMargin", &change.bottomMargin},
      {L"HeaderMargin", &change.headerMargin}, {L"FooterMargin", &change.footerMargin}};
  for (const auto& [name, value] : margins) {
    if (*value) Put(page.Get(), name, NumberArg(**value));
  }
}

}  // namespace kestrel
