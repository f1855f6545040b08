// FakeRange: values, structure, sort, replace, formats and notes of one or more areas of a sheet.
#include "fake_objects.h"

#include "fake_locale.h"
#include "util/unicode.h"

#include <oleauto.h>

#include <algorithm>
#include <cwctype>
#include <utility>

namespace kestrel::testing {
namespace {

constexpr long kXlUp = -4162, kXlDown = -4121, kXlToLeft = -4159, kXlToRight = -4161;

std::wstring AbsoluteAddress(const RangeRef& r) {
  auto column = [](int c) { return L"$" + WideOf(ColumnLetters(c)); };
  auto cell = [&](CellRef c) { return column(c.column) + L"$" + std::to_wstring(c.row); };
  if (r.IsWholeRows()) return L"$" + std::to_wstring(r.first.row) + L":$" + std::to_wstring(r.last.row);
  if (r.IsWholeColumns()) return column(r.first.column) + L":" + column(r.last.column);
  if (r.first == r.last) return cell(r.first);
  return cell(r.first) + L":" + cell(r.last);
}

bool Overlap(const RangeRef& a, const RangeRef& b) {
  return a.first.row <= b.last.row && b.first.row <= a.last.row && a.first.column <= b.last.column &&
         b.first.column <= a.last.column;
}

}  // namespace

FakeRange::FakeRange(FakeExcel& excel, MemoryWorksheet& sheet, std::vector<RangeRef> areas)
    : FakeObject(excel, "Range",
                 {L"Value",     L"Value2",       L"Text",          L"Formula",
                  L"NumberFormat", L"NumberFormatLocal", L"End",     L"Row",
                  L"Column",    L"Address",      L"EntireRow",     L"EntireColumn",
                  L"Insert",    L"Delete",       L"Select",        L"Merge",
                  L"Sort",      L"Replace",      L"Font",          L"Characters",
                  L"HorizontalAlignment", L"VerticalAlignment", L"WrapText", L"ColumnWidth",
                  L"RowHeight", L"AutoFit",      L"Borders",       L"ClearComments",
                  L"AddComment", L"Comment",     L"Worksheet"}),
      sheet_(sheet),
      areas_(std::move(areas)) {}

std::vector<RangeRef> FakeRange::ParseAddress(const std::wstring& address) {
  if (address.size() > 255) throw FakeRefusal{L"Method 'Range' of object '_Worksheet' failed"};
  std::vector<RangeRef> areas;
  size_t start = 0;
  for (;;) {
    size_t comma = address.find(L',', start);
    std::wstring part = address.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    std::optional<RangeRef> area = RangeRef::Parse(Utf8Of(part));
    if (!area) throw FakeRefusal{L"Method 'Range' of object '_Worksheet' failed"};
    areas.push_back(*area);
    if (comma == std::wstring::npos) return areas;
    start = comma + 1;
  }
}

const RangeRef& FakeRange::Single(const FakeCall& call) const {
  if (areas_.size() != 1) throw FakeRefusal{call.member + L" cannot be used on multiple selections"};
  return areas_[0];
}

CellRef FakeRange::Cell(const FakeCall& call) const {
  const RangeRef& area = Single(call);
  if (area.first != area.last) throw FakeRefusal{call.member + L" is modelled for one cell only"};
  return area.first;
}

std::wstring FakeRange::Address(wchar_t separator, bool withBook) {
  std::wstring text, prefix;
  if (withBook) {
    // "[Book1]Sheet1!", quoted with apostrophes doubled when a name holds anything but letters,
    // digits, "_" and ".", as the host writes a reference into another book.
    std::wstring names = L"[" + Excel().BookName() + L"]" + WideOf(sheet_.SheetName());
    const bool plain = std::all_of(names.begin(), names.end(), [](wchar_t c) {
      return (c < 0x80 && std::iswalnum(c)) || c == L'_' || c == L'.' || c == L'[' || c == L']';
    });
    if (!plain) {
      std::wstring quoted = L"'";
      for (wchar_t c : names) quoted += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
      names = quoted + L"'";
    }
    prefix = names + L"!";
  }
  for (const RangeRef& area : areas_) {
    text += (text.empty() ? std::wstring() : std::wstring(1, separator)) + prefix + AbsoluteAddress(area);
  }
  return text;
}

void FakeRange::GetValues(FakeCall& call) {
  const RangeRef& area = Single(call);
  if (area.first == area.last) {
    SetCell(call.result, sheet_.Value(area.first));
    return;
  }
  Grid values = sheet_.Values(area);
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(area.Rows()), 1}, {static_cast<ULONG>(area.Columns()), 1}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  for (int r = 0; r < area.Rows(); ++r) {
    for (int c = 0; c < area.Columns(); ++c) {
      LONG index[2] = {r + 1, c + 1};
      VARIANT v;
      VariantInit(&v);
      SetCell(&v, values.At(r, c));
      SafeArrayPutElement(array, index, &v);
      VariantClear(&v);
    }
  }
  call.result->vt = VT_ARRAY | VT_VARIANT;
  call.result->parray = array;
}

// A value written to a cell: a text is read in the call's language, as the host reads what is typed.
CellValue FakeRange::Typed(const FakeCall& call, const VARIANT& value) {
  CellValue cell = CellOf(value);
  if (!cell.IsText()) return cell;
  const std::wstring neutral = NeutralTyped(WideOf(cell.Text()), LanguageOf(call.lcid, Excel().UserLocale()));
  if (neutral == L"#NAME?") return CellValue::Error(CellError::Name);
  return CellValue(Utf8Of(neutral));
}

void FakeRange::PutValues(FakeCall& call) {
  const VARIANT& value = call.PutValue();
  const RangeRef& area = Single(call);
  if (!(value.vt & VT_ARRAY)) {
    CellValue one = Typed(call, value);
    for (int r = area.first.row; r <= area.last.row; ++r) {
      for (int c = area.first.column; c <= area.last.column; ++c) sheet_.SetValue({r, c}, one);
    }
    return;
  }
  SAFEARRAY* array = value.parray;
  LONG low1 = 0, high1 = -1, low2 = 0, high2 = -1;
  if (value.vt != (VT_ARRAY | VT_VARIANT) || SafeArrayGetDim(array) != 2) {
    throw FakeRefusal{L"the fake takes blocks as two-dimensional arrays of variants"};
  }
  SafeArrayGetLBound(array, 1, &low1);
  SafeArrayGetUBound(array, 1, &high1);
  SafeArrayGetLBound(array, 2, &low2);
  SafeArrayGetUBound(array, 2, &high2);
  if (high1 - low1 + 1 != area.Rows() || high2 - low2 + 1 != area.Columns()) {
    throw FakeRefusal{L"the array's shape differs from the range's (the fake does not repeat or pad)"};
  }
  Grid grid(area.Rows(), area.Columns());
  for (int r = 0; r < area.Rows(); ++r) {
    for (int c = 0; c < area.Columns(); ++c) {
      LONG index[2] = {low1 + r, low2 + c};
      VARIANT v;
      VariantInit(&v);
      SafeArrayGetElement(array, index, &v);
      grid.At(r, c) = Typed(call, v);
      VariantClear(&v);
    }
  }
  sheet_.SetValues(area.first, grid);
}

void FakeRange::Structure(FakeCall& call, bool insert) {
  call.Allow(insert ? 2 : 1, {L"Shift", L"CopyOrigin"});
  const bool rows = std::all_of(areas_.begin(), areas_.end(), [](const RangeRef& a) { return a.IsWholeRows(); });
  const bool columns = std::all_of(areas_.begin(), areas_.end(), [](const RangeRef& a) { return a.IsWholeColumns(); });
  if (rows == columns) throw FakeRefusal{L"the fake inserts and deletes entire rows or entire columns only"};
  if (const VARIANT* shift = call.Arg(0, L"Shift")) {
    const long expected = rows ? (insert ? kXlDown : kXlUp) : (insert ? kXlToRight : kXlToLeft);
    if (LongOf(*shift, L"Shift") != expected) throw FakeRefusal{L"a Shift the fake does not model"};
  }
  for (size_t i = 0; i < areas_.size(); ++i) {
    for (size_t j = i + 1; j < areas_.size(); ++j) {
      if (Overlap(areas_[i], areas_[j])) throw FakeRefusal{L"This command cannot be used on overlapping selections"};
    }
  }
  // The areas are numbered as before the call: the host works from the bottom (or right) up.
  std::vector<RangeRef> order = areas_;
  std::sort(order.begin(), order.end(), [rows](const RangeRef& a, const RangeRef& b) {
    return rows ? a.first.row > b.first.row : a.first.column > b.first.column;
  });
  for (const RangeRef& a : order) {
    if (rows) {
      insert ? sheet_.InsertRows(a.first.row, a.Rows()) : sheet_.DeleteRows(a.first.row, a.Rows());
    } else {
      insert ? sheet_.InsertColumns(a.first.column, a.Columns()) : sheet_.DeleteColumns(a.first.column, a.Columns());
    }
  }
}

void FakeRange::Sort(FakeCall& call) {
  if (!call.positional.empty()) throw FakeRefusal{L"the fake takes Sort's arguments by name"};
  call.Allow(0, {L"Key1", L"Order1", L"Header", L"MatchCase", L"Orientation", L"SortMethod", L"DataOption1"});
  const RangeRef& area = Single(call);
  const VARIANT* key = call.Arg(99, L"Key1");
  FakeRange* keyRange = key != nullptr && key->vt == VT_DISPATCH ? dynamic_cast<FakeRange*>(key->pdispVal) : nullptr;
  if (keyRange == nullptr || &keyRange->Sheet() != &sheet_ || keyRange->Areas().size() != 1 ||
      keyRange->Areas()[0].Columns() != 1) {
    throw FakeRefusal{L"Key1 must be one column of this sheet"};
  }
  const int keyColumn = keyRange->Areas()[0].first.column;
  if (keyColumn < area.first.column || keyColumn > area.last.column) {
    throw FakeRefusal{L"The sort reference is not valid"};
  }
  auto option = [&](const wchar_t* name, long expected) {
    const VARIANT* v = call.Arg(99, name);
    if (v == nullptr) throw FakeRefusal{std::wstring(name) + L" must be given (the host reuses the last sort's)"};
    if (LongOf(*v, name) != expected) throw FakeRefusal{std::wstring(name) + L" has a value the fake does not model"};
  };
  option(L"Order1", 1);        // xlAscending
  option(L"Orientation", 1);   // xlTopToBottom
  option(L"SortMethod", 1);    // xlPinYin
  const VARIANT* matchCase = call.Arg(99, L"MatchCase");
  if (matchCase == nullptr || BoolOf(*matchCase, L"MatchCase")) throw FakeRefusal{L"MatchCase must be False"};
  if (const VARIANT* data = call.Arg(99, L"DataOption1")) {
    if (LongOf(*data, L"DataOption1") != 0) throw FakeRefusal{L"DataOption1 must be xlSortNormal"};
  }
  const VARIANT* header = call.Arg(99, L"Header");
  const long headerValue = header != nullptr ? LongOf(*header, L"Header") : 2;  // the host's default: xlNo
  if (headerValue != 0 && headerValue != 2) throw FakeRefusal{L"Header must be xlGuess or xlNo"};
  sheet_.Sort(area, keyColumn, headerValue == 0 ? SortHeader::Guess : SortHeader::No);
}

void FakeRange::Replace(FakeCall& call) {
  call.Allow(8, {L"What", L"Replacement", L"LookAt", L"SearchOrder", L"MatchCase", L"MatchByte", L"SearchFormat",
                 L"ReplaceFormat"});
  const VARIANT* what = call.Arg(0, L"What");
  const VARIANT* replacement = call.Arg(1, L"Replacement");
  if (what == nullptr || replacement == nullptr) throw FakeRefusal{L"Replace needs What and Replacement"};
  // Each of these the host otherwise takes from the user's last Find or Replace.
  const VARIANT* lookAt = call.Arg(2, L"LookAt");
  if (lookAt == nullptr || LongOf(*lookAt, L"LookAt") != 2) {
    throw FakeRefusal{L"LookAt must be xlPart (the host reuses the user's last choice)"};
  }
  const VARIANT* order = call.Arg(3, L"SearchOrder");
  if (order == nullptr || LongOf(*order, L"SearchOrder") != 1) throw FakeRefusal{L"SearchOrder must be xlByRows"};
  for (auto [position, name] : {std::pair{4, L"MatchCase"}, std::pair{5, L"MatchByte"}, std::pair{6, L"SearchFormat"},
                                std::pair{7, L"ReplaceFormat"}}) {
    const VARIANT* flag = call.Arg(static_cast<size_t>(position), name);
    if (flag == nullptr || BoolOf(*flag, name)) throw FakeRefusal{std::wstring(name) + L" must be False"};
  }
  for (const RangeRef& area : areas_) {
    sheet_.Replace(area, Utf8Of(TextOf(*what, L"What")), Utf8Of(TextOf(*replacement, L"Replacement")));
  }
  SetBool(call.result, true);
}

void FakeRange::Call(FakeCall& call) {
  const std::wstring& m = call.member;
  RefuseOnProtectedSheet(call, m == L"Insert" || m == L"Delete" || m == L"Merge" || m == L"Sort" || m == L"Replace" ||
                                   m == L"AutoFit" || m == L"ClearComments" || m == L"AddComment");
  auto eachArea = [&](auto apply) {
    for (const RangeRef& area : areas_) apply(area);
  };
  if (m == L"Value" || m == L"Value2") {
    call.IsPut() ? PutValues(call) : GetValues(call);
  } else if (m == L"Text") {
    const RangeRef& area = Single(call);
    std::vector<std::string> texts = sheet_.Texts(area);
    // A formatted number wider than its column shows as "#" across the column, as the host draws it.
    size_t i = 0;
    for (int r = area.first.row; r <= area.last.row; ++r) {
      for (int c = area.first.column; c <= area.last.column; ++c, ++i) {
        const double width = sheet_.ColumnWidth(c);
        if (sheet_.Value({r, c}).IsNumber() && sheet_.NumberFormat({r, c}) != "General" &&
            static_cast<double>(CodePointCount(texts[i])) > width) {
          texts[i] = std::string(static_cast<size_t>(std::max(1.0, width)), '#');
        }
      }
    }
    bool same = std::all_of(texts.begin(), texts.end(), [&](const std::string& t) { return t == texts[0]; });
    same ? SetText(call.result, WideOf(texts[0])) : SetNull(call.result);
  } else if (m == L"Formula") {
    if (call.IsPut()) throw FakeRefusal{L"the fake writes formulas through Value"};
    SetText(call.result, LocalFormula(WideOf(sheet_.Formula(Cell(call))), LanguageOf(call.lcid, Excel().UserLocale())));
  } else if ((m == L"NumberFormat" || m == L"NumberFormatLocal") && call.IsPut()) {
    // NumberFormat is in the call's language, NumberFormatLocal in the user's.
    const FakeLanguage language = LanguageOf(m == L"NumberFormat" ? call.lcid : LOCALE_USER_DEFAULT, Excel().UserLocale());
    const std::string code = Utf8Of(NeutralFormatCode(TextOf(call.PutValue(), m.c_str()), language));
    eachArea([&](const RangeRef& a) { sheet_.SetNumberFormat(a, code); });
  } else if (m == L"NumberFormat" || m == L"NumberFormatLocal") {
    // A block's format is the one its cells share, else Null.
    const RangeRef& area = Single(call);
    std::vector<std::string> formats;
    for (int c = area.first.column; c <= area.last.column; ++c)
      for (const FormatRun& run : sheet_.NumberFormats(c, area.first.row, area.last.row)) formats.push_back(run.format);
    bool same = std::all_of(formats.begin(), formats.end(), [&](const std::string& f) { return f == formats[0]; });
    const FakeLanguage language = LanguageOf(m == L"NumberFormat" ? call.lcid : LOCALE_USER_DEFAULT, Excel().UserLocale());
    same ? SetText(call.result, LocalFormatCode(WideOf(formats[0]), language)) : SetNull(call.result);
  } else if (m == L"End") {
    call.Allow(1, {L"Direction"});
    const VARIANT* direction = call.Arg(0, L"Direction");
    if (direction == nullptr || LongOf(*direction, L"Direction") != kXlUp) throw FakeRefusal{L"the fake models End(xlUp) only"};
    CellRef from = Single(call).first;
    CellRef end{sheet_.EndUp(from), from.column};
    SetObject(call.result, new FakeRange(Excel(), sheet_, {RangeRef{end, end}}));
  } else if (m == L"Row") {
    SetNumber(call.result, areas_[0].first.row);
  } else if (m == L"Column") {
    SetNumber(call.result, areas_[0].first.column);
  } else if (m == L"Address") {
    // Address(RowAbsolute, ColumnAbsolute, ReferenceStyle, External): absolute A1 addresses only.
    call.Allow(4, {L"RowAbsolute", L"ColumnAbsolute", L"ReferenceStyle", L"External"});
    for (const auto& [i, name] : {std::pair{0, L"RowAbsolute"}, std::pair{1, L"ColumnAbsolute"}}) {
      const VARIANT* absolute = call.Arg(i, name);
      if (absolute != nullptr && !BoolOf(*absolute, name)) throw FakeRefusal{L"the fake models absolute addresses only"};
    }
    const VARIANT* style = call.Arg(2, L"ReferenceStyle");
    if (style != nullptr && LongOf(*style, L"ReferenceStyle") != 1) throw FakeRefusal{L"the fake models xlA1 only"};
    const VARIANT* external = call.Arg(3, L"External");
    const bool withBook = external != nullptr && BoolOf(*external, L"External");
    SetText(call.result, Address(ListSeparator(LanguageOf(call.lcid, Excel().UserLocale())), withBook));
  } else if (m == L"EntireRow" || m == L"EntireColumn") {
    std::vector<RangeRef> whole;
    for (const RangeRef& a : areas_) {
      whole.push_back(m == L"EntireRow" ? RangeRef::WholeRows(a.first.row, a.last.row)
                                       : RangeRef::WholeColumns(a.first.column, a.last.column));
    }
    SetObject(call.result, new FakeRange(Excel(), sheet_, whole));
  } else if (m == L"Insert" || m == L"Delete") {
    Structure(call, m == L"Insert");
    SetBool(call.result, true);
  } else if (m == L"Select") {
    if (&Excel().Book().Active() != &sheet_) throw FakeRefusal{L"Select method of Range class failed"};
    sheet_.Select(Single(call));
  } else if (m == L"Merge") {
    eachArea([&](const RangeRef& a) { sheet_.Merge(a); });
  } else if (m == L"Sort") {
    Sort(call);
  } else if (m == L"Replace") {
    Replace(call);
  } else if (m == L"Font") {
    SetObject(call.result, new FakeFont(Excel(), sheet_, FakeTarget{FakeTarget::Range, areas_}));
  } else if (m == L"Characters") {
    call.Allow(2, {L"Start", L"Length"});
    const VARIANT* start = call.Arg(0, L"Start");
    const VARIANT* length = call.Arg(1, L"Length");
    if (start == nullptr || length == nullptr) throw FakeRefusal{L"the fake models Characters(Start, Length) only"};
    FakeTarget target{FakeTarget::CellCharacters, {}, Cell(call), LongOf(*start, L"Start"), LongOf(*length, L"Length")};
    SetObject(call.result, new FakeCharacters(Excel(), sheet_, target));
  } else if (m == L"HorizontalAlignment" || m == L"VerticalAlignment") {
    const long value = LongOf(call.PutValue(), m.c_str());
    eachArea([&](const RangeRef& a) {
      if (m == L"HorizontalAlignment") {
        sheet_.SetAlignment(a, static_cast<HAlign>(value), std::nullopt);
      } else {
        sheet_.SetAlignment(a, std::nullopt, static_cast<VAlign>(value));
      }
    });
  } else if (m == L"WrapText") {
    const bool wrap = BoolOf(call.PutValue(), L"WrapText");
    eachArea([&](const RangeRef& a) { sheet_.SetWrapText(a, wrap); });
  } else if (m == L"ColumnWidth") {
    const double width = NumberOf(call.PutValue(), L"ColumnWidth");
    eachArea([&](const RangeRef& a) { sheet_.SetColumnWidth(a.first.column, a.last.column, width); });
  } else if (m == L"RowHeight") {
    const double height = NumberOf(call.PutValue(), L"RowHeight");
    eachArea([&](const RangeRef& a) { sheet_.SetRowHeight(a.first.row, a.last.row, height); });
  } else if (m == L"AutoFit") {
    eachArea([&](const RangeRef& a) {
      if (!a.IsWholeColumns()) throw FakeRefusal{L"AutoFit method of Range class failed"};
      sheet_.AutoFitColumns(a.first.column, a.last.column);
    });
  } else if (m == L"Borders") {
    call.Allow(0, {});  // the documented form is Borders.Item(Index)
    SetObject(call.result, new FakeBorders(Excel(), sheet_, areas_));
  } else if (m == L"ClearComments") {
    eachArea([&](const RangeRef& a) { sheet_.ClearNotes(a); });
  } else if (m == L"AddComment") {
    call.Allow(1, {L"Text"});
    CellRef cell = Cell(call);
    if (sheet_.GetNote(cell)) throw FakeRefusal{L"Application-defined or object-defined error"};
    const VARIANT* text = call.Arg(0, L"Text");
    // A new note as the host makes one: hidden, its default size, no bold characters.
    Note note{text != nullptr ? Utf8Of(TextOf(*text, L"Text")) : std::string(), false, 96, 55.5, 0};
    sheet_.SetNote(cell, note);
    SetObject(call.result, new FakeNotePart(Excel(), sheet_, cell, FakeNotePart::Comment));
  } else if (m == L"Comment") {
    CellRef cell = Cell(call);
    if (sheet_.GetNote(cell)) {
      SetObject(call.result, new FakeNotePart(Excel(), sheet_, cell, FakeNotePart::Comment));
    } else {
      SetObject(call.result, nullptr);  // Nothing
    }
  } else if (m == L"Worksheet") {
    SetObject(call.result, Excel().SheetObject(sheet_));
  }
}

}  // namespace kestrel::testing
