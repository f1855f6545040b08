// The fake host's Font, Characters, Border, Comment/Shape/TextFrame and PageSetup objects.
#include <algorithm>

#include "fake_objects.h"
#include "util/unicode.h"

namespace kestrel::testing {

// Font ------------------------------------------------------------------------------------------

FakeFont::FakeFont(FakeExcel& excel, MemoryWorksheet& sheet, FakeTarget target)
    : FakeObject(excel, "Font", {L"Name", L"Size", L"Bold", L"Color", L"Superscript"}),
      sheet_(sheet),
      target_(std::move(target)) {}

void FakeFont::Call(FakeCall& call) {
  const std::wstring& m = call.member;
  RefuseOnProtectedSheet(call);
  if (target_.kind == FakeTarget::NoteCharacters) {
    if (m != L"Bold") throw FakeRefusal{L"the fake models only Bold of a note's characters"};
    NoteBold(call);
    return;
  }
  if (target_.kind == FakeTarget::CellCharacters) {
    if (m != L"Superscript" || !call.IsPut()) throw FakeRefusal{L"the fake models only Superscript of a cell's characters"};
    if (!BoolOf(call.PutValue(), L"Superscript")) throw FakeRefusal{L"the fake only sets superscripts"};
    sheet_.SetSuperscript(target_.cell, static_cast<int>(target_.start), static_cast<int>(target_.length));
    return;
  }
  if (!call.IsPut()) throw FakeRefusal{L"the fake does not read a range's font"};
  FontChange change;
  if (m == L"Name") change.name = Utf8Of(TextOf(call.PutValue(), L"Name"));
  if (m == L"Size") change.size = NumberOf(call.PutValue(), L"Size");
  if (m == L"Bold") change.bold = BoolOf(call.PutValue(), L"Bold");
  if (m == L"Color") change.color = LongOf(call.PutValue(), L"Color");
  if (m == L"Superscript") throw FakeRefusal{L"the fake sets superscripts through Characters only"};
  for (const RangeRef& area : target_.areas) sheet_.SetFont(area, change);
}

// A note keeps its bold characters as one leading run; the fake refuses what would break it.
void FakeFont::NoteBold(FakeCall& call) {
  std::optional<Note> note = sheet_.GetNote(target_.cell);
  if (!note) throw FakeRefusal{L"the note is gone"};
  const std::u16string units = Utf8ToUtf16(note->text);
  const long size = static_cast<long>(units.size());
  const long first = std::max(1L, target_.start);
  const long last = std::min(size, target_.start + target_.length - 1);
  long bold = static_cast<long>(Utf8ToUtf16(CodePointSubstr(note->text, 0, static_cast<size_t>(note->boldLength))).size());
  if (!call.IsPut()) {
    if (last < first || first > bold) {
      SetBool(call.result, false);
    } else if (last <= bold) {
      SetBool(call.result, true);
    } else {
      SetNull(call.result);  // mixed: the host answers Null
    }
    return;
  }
  if (last < first) return;
  if (BoolOf(call.PutValue(), L"Bold")) {
    if (first > bold + 1) throw FakeRefusal{L"the fake keeps a note's bold characters as a leading run"};
    bold = std::max(bold, last);
  } else if (first <= bold) {
    if (last < bold) throw FakeRefusal{L"the fake keeps a note's bold characters as a leading run"};
    bold = first - 1;
  }
  note->boldLength = static_cast<int>(CodePointCount(Utf16ToUtf8(units.substr(0, static_cast<size_t>(bold)))));
  sheet_.SetNote(target_.cell, *note);
}

// Characters -------------------------------------------------------------------------------------

FakeCharacters::FakeCharacters(FakeExcel& excel, MemoryWorksheet& sheet, FakeTarget target)
    : FakeObject(excel, "Characters", {L"Font"}), sheet_(sheet), target_(std::move(target)) {}

void FakeCharacters::Call(FakeCall& call) { SetObject(call.result, new FakeFont(Excel(), sheet_, target_)); }

// Border -----------------------------------------------------------------------------------------

FakeBorders::FakeBorders(FakeExcel& excel, MemoryWorksheet& sheet, std::vector<RangeRef> areas)
    : FakeObject(excel, "Borders", {L"Item"}), sheet_(sheet), areas_(std::move(areas)) {}

void FakeBorders::Call(FakeCall& call) {
  call.Allow(1, {L"Index"});
  const VARIANT* index = call.Arg(0, L"Index");
  if (index == nullptr || call.IsPut()) throw FakeRefusal{L"Item needs Index"};
  const long edge = LongOf(*index, L"Index");
  if (edge < 5 || edge > 12) throw FakeRefusal{L"Unable to get the Item property of the Borders class"};
  if (edge < 7) throw FakeRefusal{L"the fake models the edges 7 to 12 only"};
  SetObject(call.result, new FakeBorder(Excel(), sheet_, areas_, static_cast<BorderEdge>(edge)));
}

FakeBorder::FakeBorder(FakeExcel& excel, MemoryWorksheet& sheet, std::vector<RangeRef> areas, BorderEdge edge)
    : FakeObject(excel, "Border", {L"LineStyle"}), sheet_(sheet), areas_(std::move(areas)), edge_(edge) {}

void FakeBorder::Call(FakeCall& call) {
  RefuseOnProtectedSheet(call);
  const long style = LongOf(call.PutValue(), L"LineStyle");
  if (style != 1 && style != -4142) throw FakeRefusal{L"the fake models xlContinuous and xlLineStyleNone only"};
  for (const RangeRef& area : areas_) sheet_.SetBorder(area, edge_, static_cast<LineStyle>(style));
}

// Comment, Shape, TextFrame ---------------------------------------------------------------------

FakeNotePart::FakeNotePart(FakeExcel& excel, MemoryWorksheet& sheet, CellRef cell, Part part)
    : FakeObject(excel, part == Comment ? "Comment" : part == Shape ? "Shape" : "TextFrame",
                 part == Comment ? std::vector<std::wstring>{L"Visible", L"Shape", L"Text"}
                 : part == Shape ? std::vector<std::wstring>{L"Width", L"Height", L"TextFrame"}
                                 : std::vector<std::wstring>{L"Characters"}),
      sheet_(sheet),
      cell_(cell),
      part_(part) {}

Note FakeNotePart::Current() const {
  std::optional<Note> note = sheet_.GetNote(cell_);
  if (!note) throw FakeRefusal{L"the note is gone"};
  return *note;
}

void FakeNotePart::Call(FakeCall& call) {
  const std::wstring& m = call.member;
  RefuseOnProtectedSheet(call);
  Note note = Current();
  if (m == L"Visible" || m == L"Width" || m == L"Height") {
    if (call.IsPut()) {
      if (m == L"Visible") note.visible = BoolOf(call.PutValue(), L"Visible");
      // The host keeps a shape's size in single precision.
      if (m == L"Width") note.width = static_cast<float>(NumberOf(call.PutValue(), L"Width"));
      if (m == L"Height") note.height = static_cast<float>(NumberOf(call.PutValue(), L"Height"));
      sheet_.SetNote(cell_, note);
    } else if (m == L"Visible") {
      SetBool(call.result, note.visible);
    } else {
      SetNumber(call.result, m == L"Width" ? note.width : note.height);
    }
  } else if (m == L"Text") {
    call.Allow(0, {});  // setting the text through Text(Text, Start, Overwrite) is not modelled
    SetText(call.result, WideOf(note.text));
  } else if (m == L"Shape") {
    SetObject(call.result, new FakeNotePart(Excel(), sheet_, cell_, Shape));
  } else if (m == L"TextFrame") {
    SetObject(call.result, new FakeNotePart(Excel(), sheet_, cell_, TextFrame));
  } else if (m == L"Characters") {
    call.Allow(2, {L"Start", L"Length"});
    const VARIANT* start = call.Arg(0, L"Start");
    const VARIANT* length = call.Arg(1, L"Length");
    const long size = static_cast<long>(Utf8ToUtf16(note.text).size());
    FakeTarget target{FakeTarget::NoteCharacters, {}, cell_, start != nullptr ? LongOf(*start, L"Start") : 1,
                      length != nullptr ? LongOf(*length, L"Length") : size};
    SetObject(call.result, new FakeCharacters(Excel(), sheet_, target));
  }
}

// PageSetup --------------------------------------------------------------------------------------

FakePageSetup::FakePageSetup(FakeExcel& excel, MemoryWorksheet& sheet)
    : FakeObject(excel, "PageSetup",
                 {L"Orientation", L"PrintTitleRows", L"LeftMargin", L"RightMargin", L"TopMargin", L"BottomMargin",
                  L"HeaderMargin", L"FooterMargin"}),
      sheet_(sheet) {}

void FakePageSetup::Call(FakeCall& call) {
  if (!call.IsPut()) throw FakeRefusal{L"the fake does not read the page setup"};
  const std::wstring& m = call.member;
  const VARIANT& value = call.PutValue();
  PageSetupChange change;
  if (m == L"Orientation") {
    const long orientation = LongOf(value, L"Orientation");
    if (orientation != 1 && orientation != 2) throw FakeRefusal{L"Unable to set the Orientation property"};
    change.orientation = static_cast<Orientation>(orientation);
  } else if (m == L"PrintTitleRows") {
    change.printTitleRows = Utf8Of(TextOf(value, L"PrintTitleRows"));
  } else {
    const double points = NumberOf(value, m.c_str());
    if (m == L"LeftMargin") change.leftMargin = points;
    if (m == L"RightMargin") change.rightMargin = points;
    if (m == L"TopMargin") change.topMargin = points;
    if (m == L"BottomMargin") change.bottomMargin = points;
    if (m == L"HeaderMargin") change.headerMargin = points;
    if (m == L"FooterMargin") change.footerMargin = points;
  }
  sheet_.SetPageSetup(change);
}

}  // namespace kestrel::testing
