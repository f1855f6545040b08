// The host adaptor (DispatchApplication, DispatchWorksheet, Win32Ui's prompts) against FakeExcel:
// each operation reaches the host as the object model expects and does what the model does.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro

#include <algorithm>
#include <random>

#include "host/host_error.h"
#include "excel/dispatch_application.h"
#include "fake_excel/fake_excel.h"
#include "excel/row_areas.h"
#include "sheet_compare.h"
#include "platform/win32_ui.h"

namespace kestrel {
namespace {

using testing::ExpectSameBook;
using testing::FakeExcel;

// A book driven through the adaptor and the fake, and a twin book driven directly.
class AdaptorTest : public ::testing::Test {
 protected:
  AdaptorTest() : excel(book), app(excel.Application()) {}
  Worksheet& Sheet() { return app.ActiveSheet(); }

  MemoryWorkbook book;  // behind the fake
  MemoryWorkbook twin;  // the same operations, directly
  FakeExcel excel;
  DispatchApplication app;
};

std::string HostErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const HostError& e) {
    return e.what();
  }
  return "<no HostError>";
}

Grid SampleBlock() {
  Grid g(3, 4);
  g.At(0, 0) = 12235.689;
  g.At(0, 1) = "K12+235";
  g.At(0, 2) = CellValue::Boolean(true);
  g.At(0, 3) = CellValue::Error(CellError::NA);
  g.At(1, 0) = "\xE6\xA1\xA9\xE5\x8F\xB7";  // 桩号
  g.At(1, 2) = -0.5;
  g.At(2, 1) = CellValue::Error(CellError::Div0);
  g.At(2, 3) = "=A1*2";
  return g;
}

TEST_F(AdaptorTest, ABlockTravelsAsOneArrayEachWay) {
  Grid block = SampleBlock();
  Sheet().SetValues({2, 2}, block);
  EXPECT_EQ(excel.Calls("Range.Value"), 1);
  twin.Active().SetValues({2, 2}, block);
  ExpectSameBook(twin, book);

  excel.ResetCounts();
  Grid read = Sheet().Values(RangeRef::Block(2, 2, 4, 5));
  EXPECT_EQ(excel.Calls("Range.Value2"), 1);
  EXPECT_EQ(excel.Calls("Worksheet.Range"), 1);
  Grid expected = twin.Active().Values(RangeRef::Block(2, 2, 4, 5));
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(read.At(r, c), expected.At(r, c)) << r << "," << c;
  }
  EXPECT_EQ(Sheet().Formula({4, 5}), "=A1*2");  // stored as a formula, as typed
  EXPECT_EQ(Sheet().Formula({2, 2}), book.Active().Formula({2, 2}));
}

// Every documented error value, and a code the add-in has no name for, reads as itself: one such
// cell in a block never ends the read.
TEST_F(AdaptorTest, EveryErrorValueKeepsItsIdentityThroughTheHost) {
  const CellError errors[] = {CellError::Null,    CellError::Div0,    CellError::Value,   CellError::Ref,
                              CellError::Name,    CellError::Num,     CellError::NA,      CellError::GettingData,
                              CellError::Spill,   CellError::Connect, CellError::Blocked, CellError::Unknown,
                              CellError::Field,   CellError::Calc,    CellError::Busy,    static_cast<CellError>(2099)};
  int column = 1;
  for (CellError e : errors) {
    Sheet().SetValue({1, column}, CellValue::Error(e));
    EXPECT_EQ(book.Active().Value({1, column}), CellValue::Error(e));
    EXPECT_EQ(Sheet().Value({1, column}), CellValue::Error(e));
    ++column;
  }
  const Grid block = Sheet().Values(RangeRef::Block(1, 1, 2, column - 1));
  for (int c = 0; c < column - 1; ++c) EXPECT_EQ(block.At(0, c), CellValue::Error(errors[c]));
  EXPECT_EQ(block.At(0, 8).AsText(), "#SPILL!");
  EXPECT_EQ(block.At(0, 13).AsText(), "#CALC!");
}

TEST_F(AdaptorTest, SingleCellReadsTextFormulaFormatAndEndUp) {
  book.Active().SetValue({7, 5}, 12.5);
  book.Active().SetNumberFormat(RangeRef::Cell(7, 5), "0.00");
  book.Active().SetValue({3, 5}, "x");
  EXPECT_EQ(Sheet().Text({7, 5}), "12.50");
  EXPECT_EQ(Sheet().NumberFormat({7, 5}), "0.00");
  EXPECT_EQ(Sheet().Formula({7, 5}), book.Active().Formula({7, 5}));
  EXPECT_EQ(Sheet().EndUp({kMaxRows, 5}), 7);
  EXPECT_EQ(Sheet().EndUp({kMaxRows, 4}), 1);
  EXPECT_EQ(excel.Calls("Range.End"), 2);
  EXPECT_EQ(Sheet().Texts(RangeRef::Block(6, 5, 7, 5)), (std::vector<std::string>{"", "12.50"}));
  EXPECT_EQ(Sheet().Name(), "Sheet1");
  EXPECT_EQ(Sheet().Value({1, 1}), CellValue());
}

TEST_F(AdaptorTest, AColumnsNumberFormatsComeAsRunsFromFewRangeReads) {
  book.Active().SetNumberFormat(RangeRef::WholeColumns(6, 6), "0.000");
  book.Active().SetNumberFormat(RangeRef::Block(500, 6, 501, 6), "@");
  const std::vector<FormatRun> want = {{499, "0.000"}, {2, "@"}, {3499, "0.000"}};
  EXPECT_EQ(Sheet().NumberFormats(6, 1, 4000), want);
  EXPECT_EQ(book.Active().NumberFormats(6, 1, 4000), want);
  EXPECT_LE(excel.Calls("Range.NumberFormat"), 3 * 2 * 12);  // runs times both halves times the depth
}

// Every other operation of the port, applied through the host and directly: the same sheets.
void EveryOperation(Application& app) {
  Worksheet& s = app.ActiveSheet();
  Grid g = SampleBlock();
  s.SetValues({1, 1}, g);
  s.SetValue({10, 3}, "\xE5\x8F\x98 k+ZK-1");
  s.SetNumberFormat(RangeRef::WholeColumns(6, 6), "G/\xE9\x80\x9A\xE7\x94\xA8\xE6\xA0\xBC\xE5\xBC\x8F");
  s.SetNumberFormat(RangeRef::Block(1, 1, 2, 1), "0.000");
  s.InsertRows(2, 2);
  s.DeleteRows(9, 1);
  s.InsertColumns(2, 1);
  s.DeleteColumns(4, 2);
  s.Replace(RangeRef::WholeColumns(3, 3), "zk", "");
  s.Replace(RangeRef::WholeColumns(3, 3), "k", "#");
  s.Merge(RangeRef::Block(12, 1, 12, 3));
  s.SetFont(RangeRef::Block(1, 1, 3, 2), FontChange{"SimSun", 12, true, 255});
  s.SetFont(RangeRef::Cell(2, 2), FontChange{std::nullopt, 9.5, std::nullopt, std::nullopt});
  s.SetValue({14, 1}, "m2");
  s.SetSuperscript({14, 1}, 2, 1);
  s.SetAlignment(RangeRef::Block(1, 1, 4, 4), HAlign::Center, VAlign::Center);
  s.SetAlignment(RangeRef::Cell(5, 5), HAlign::Right, std::nullopt);
  s.SetWrapText(RangeRef::Cell(3, 3), true);
  s.SetColumnWidth(2, 4, 13.5);
  s.SetRowHeight(5, 6, 22.25);
  s.AutoFitColumns(1, 1);
  s.SetBorder(RangeRef::Block(3, 1, 3, 8), BorderEdge::Bottom, LineStyle::Continuous);
  s.SetBorder(RangeRef::Block(6, 2, 8, 3), BorderEdge::InsideHorizontal, LineStyle::Continuous);
  s.SetNote({1, 6}, Note{"\xE6\xA0\x87\xE9\xA2\x98\xEF\xBC\x9A\r\nbody", false, 200, 50, 3});
  s.SetNote({1, 6}, Note{"Title\r\nsecond", true, 120.5, 40.25, 5});  // a note replaces the old one
  s.SetNote({2, 7}, Note{"gone", false, 10, 10, 0});
  s.ClearNotes(RangeRef::Block(2, 7, 3, 7));
  s.SetPageSetup(PageSetupChange{Orientation::Landscape, "$1:$3", 20, 21, 30, 31, 10, 11});
  s.Select(RangeRef::Block(2, 2, 4, 3));
  s.InsertRowsAbove({3, 5, 6});
  s.DeleteRowsAt({2, 9});
  Worksheet& added = app.AddSheet();
  added.SetValue({1, 1}, app.InchesToPoints(0.75));
  s.Sort(RangeRef::Block(1, 1, 12, 6), 1, SortHeader::No);
}

TEST_F(AdaptorTest, EveryOperationDoesWhatTheModelDoes) {
  EveryOperation(app);
  EveryOperation(twin);
  ExpectSameBook(twin, book);
  std::cout << "every operation once: " << excel.CountReport() << "\n";
}

TEST_F(AdaptorTest, NotesReadBackWithTheirBoldRun) {
  const Note written{"\xE6\xA3\x80\xE6\x9F\xA5\xEF\xBC\x9A\r\n*\xE6\x96\xAD\xE9\x9D\xA2", false, 200, 50, 3};
  Sheet().SetNote({1, 6}, written);
  EXPECT_EQ(book.Active().GetNote({1, 6}), written);
  EXPECT_EQ(Sheet().GetNote({1, 6}), written);
  EXPECT_EQ(Sheet().GetNote({2, 6}), std::nullopt);
  Note plain{"no bold", true, 33, 44, 0};
  Sheet().SetNote({3, 3}, plain);
  EXPECT_EQ(Sheet().GetNote({3, 3}), plain);
}

TEST_F(AdaptorTest, SelectionAndSelectFollowTheActiveSheet) {
  Sheet().Select(RangeRef::Block(3, 2, 5, 4));
  EXPECT_EQ(Sheet().Selection(), RangeRef::Block(3, 2, 5, 4));
  Sheet().Select(RangeRef::WholeColumns(6, 6));
  EXPECT_EQ(Sheet().Selection(), RangeRef::WholeColumns(6, 6));
  Worksheet& first = Sheet();
  app.AddSheet();
  EXPECT_NE(&app.ActiveSheet(), &first);
  EXPECT_EQ(&app.ActiveSheet(), &app.ActiveSheet());  // one wrapper per host sheet
  // The host refuses Select on a sheet that is not active.
  std::string refusal = HostErrorOf([&] { first.Select(RangeRef::Cell(1, 1)); });
  EXPECT_NE(refusal.find("Select method of Range class failed"), std::string::npos) << refusal;
}

TEST_F(AdaptorTest, CallerIsTheCallingCellOrNothing) {
  EXPECT_EQ(app.Caller(), std::nullopt);
  book.SetCaller(CallerCell{"Sheet1", {4, 7}});
  std::optional<CallerCell> caller = app.Caller();
  ASSERT_TRUE(caller.has_value());
  EXPECT_EQ(caller->sheet, "Sheet1");
  EXPECT_EQ(caller->cell, (CellRef{4, 7}));
  EXPECT_DOUBLE_EQ(app.InchesToPoints(0.7), 50.4);
}

TEST_F(AdaptorTest, AHostRefusalBecomesHostErrorWithTheHostsText) {
  excel.Fail("Range.Sort", static_cast<HRESULT>(0x800A03EC), L"\u6392\u5E8F\u5F15\u7528\u65E0\u6548");  // 排序引用无效
  std::string message = HostErrorOf([&] { Sheet().Sort(RangeRef::Block(1, 1, 5, 8), 6, SortHeader::Guess); });
  EXPECT_NE(message.find("Sort"), std::string::npos) << message;
  EXPECT_NE(message.find("0x800A03EC"), std::string::npos) << message;
  EXPECT_NE(message.find("\xE6\x8E\x92\xE5\xBA\x8F\xE5\xBC\x95\xE7\x94\xA8\xE6\x97\xA0\xE6\x95\x88"), std::string::npos)
      << message;
  // The model's own refusals arrive the same way.
  message = HostErrorOf([&] { Sheet().Value({kMaxRows + 1, 1}); });  // an address the host does not know
  EXPECT_NE(message.find("Range"), std::string::npos) << message;
  excel.Fail("Worksheet.Range", static_cast<HRESULT>(0x800A03EC), L"no range today");
  message = HostErrorOf([&] { Sheet().Value({1, 1}); });
  EXPECT_NE(message.find("no range today"), std::string::npos) << message;
  excel.Fail("Application.ActiveSheet", E_ACCESSDENIED, L"no sheet");
  message = HostErrorOf([&] { app.ActiveSheet(); });
  EXPECT_NE(message.find("no sheet"), std::string::npos) << message;
}

// Separator rows of a long survey: one empty row above each listed row, in few calls.
TEST_F(AdaptorTest, ThreeThousandSeparatorRowsGoInChunksOfAtMost255Characters) {
  const int dataRows = 7000;
  Grid column(dataRows, 2);
  for (int r = 0; r < dataRows; ++r) {
    column.At(r, 0) = r + 1;
    column.At(r, 1) = "p" + std::to_string(r + 1);
  }
  book.Active().SetValues({1, 1}, column);
  twin.Active().SetValues({1, 1}, column);
  book.Active().SetBorder(RangeRef::Block(5000, 1, 5000, 2), BorderEdge::Bottom, LineStyle::Continuous);
  twin.Active().SetBorder(RangeRef::Block(5000, 1, 5000, 2), BorderEdge::Bottom, LineStyle::Continuous);
  // 3,000 rows, some next to each other, listed in no particular order.
  std::vector<int> rows;
  for (int r = 2; rows.size() < 3000; r += (r % 7 == 0 ? 1 : 2)) rows.push_back(r);
  std::shuffle(rows.begin(), rows.end(), std::mt19937(7));

  excel.ResetCounts();
  Sheet().InsertRowsAbove(rows);
  const std::vector<std::string> chunks = RowAreaAddresses(rows);
  EXPECT_EQ(excel.Calls("Range.Insert"), static_cast<long>(chunks.size()));
  EXPECT_LT(chunks.size(), 3000u / 20);
  std::cout << "3000 separator rows: " << chunks.size() << " Insert calls; " << excel.CountReport() << "\n";

  // One by one from the bottom up, as the model's default does it.
  std::vector<int> bottomUp = rows;
  std::sort(bottomUp.begin(), bottomUp.end(), std::greater<>());
  for (int r : bottomUp) twin.Active().InsertRows(r, 1);
  ExpectSameBook(twin, book);

  // And away again.
  std::vector<int> inserted;
  std::sort(rows.begin(), rows.end());
  for (size_t i = 0; i < rows.size(); ++i) inserted.push_back(rows[i] + static_cast<int>(i));
  Sheet().DeleteRowsAt(inserted);
  for (auto it = inserted.rbegin(); it != inserted.rend(); ++it) twin.Active().DeleteRows(*it, 1);
  ExpectSameBook(twin, book);
  EXPECT_EQ(book.Active().Value({7000, 2}), CellValue("p7000"));
}

TEST(RowAreas, EachRowOnceBottomUpWithinTheLengthLimit) {
  std::vector<int> rows;
  for (int r = 1048576; r > 1048576 - 5000; r -= 3) rows.push_back(r);
  for (int r = 1; r < 400; r += 2) rows.push_back(r);
  std::vector<std::string> chunks = RowAreaAddresses(rows);
  std::vector<int> seen;
  int previousTop = kMaxRows + 1;
  for (const std::string& chunk : chunks) {
    EXPECT_LE(chunk.size(), kMaxAddressLength);
    std::vector<int> inChunk;
    size_t start = 0;
    while (start < chunk.size()) {
      size_t comma = chunk.find(',', start);
      std::string area = chunk.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      std::optional<RangeRef> parsed = RangeRef::Parse(area);
      ASSERT_TRUE(parsed && parsed->IsWholeRows() && parsed->Rows() == 1) << area;
      inChunk.push_back(parsed->first.row);
      start = comma == std::string::npos ? chunk.size() : comma + 1;
    }
    EXPECT_TRUE(std::is_sorted(inChunk.begin(), inChunk.end()));
    EXPECT_LT(inChunk.back(), previousTop);  // every later chunk lies above the earlier ones
    previousTop = inChunk.front();
    seen.insert(seen.end(), inChunk.begin(), inChunk.end());
  }
  std::sort(seen.begin(), seen.end());
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(seen, rows);
  EXPECT_THROW(RowAreaAddresses({3, 5, 3}), HostError);
  EXPECT_THROW(RowAreaAddresses({0}), HostError);
  EXPECT_EQ(RowAreaAddresses({7, 3, 12}), (std::vector<std::string>{"3:3,7:7,12:12"}));
  EXPECT_TRUE(RowAreaAddresses({}).empty());
}

TEST_F(AdaptorTest, TheHostRefusesAnAddressLongerThan255Characters) {
  std::string address;
  for (int r = 1; address.size() <= 255; r += 2) address += (address.empty() ? "" : ",") + std::to_string(r) + ":" + std::to_string(r);
  DispatchArgs args;
  args.Add(TextArg(address));
  Variant range;
  DispatchRef sheet(excel.SheetObject(book.Active()));
  std::string message = HostErrorOf([&] { GetProperty(sheet.Get(), L"Range", args, range); });
  EXPECT_NE(message.find("Range"), std::string::npos) << message;
}

TEST_F(AdaptorTest, FilePromptsGoThroughTheHostAndFalseIsNoAnswer) {
  std::unique_ptr<DispatchApplication> host = std::make_unique<DispatchApplication>(excel.Application());
  Win32Ui ui(host);
  excel.QueueFileAnswer(L"C:\\data\\\u9053\u8DEF.Dic");  // 道路
  excel.QueueFileAnswer(std::nullopt);
  excel.QueueFileAnswer(L"D:\\out.Dic");
  excel.QueueFileAnswer(std::nullopt);
  const std::string filter = "KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*";
  EXPECT_EQ(ui.GetOpenFilename(filter, "\xE9\x80\x89\xE6\x8B\xA9"), "C:\\data\\\xE9\x81\x93\xE8\xB7\xAF.Dic");
  EXPECT_EQ(ui.GetOpenFilename(filter, "t"), std::nullopt);
  EXPECT_EQ(ui.GetSaveAsFilename("", "KestrelDicFiles (*.Dic),*.Dic", "save"), "D:\\out.Dic");
  EXPECT_EQ(ui.GetSaveAsFilename("a.Dic", "f", "save"), std::nullopt);
  const auto& prompts = excel.Prompts();
  ASSERT_EQ(prompts.size(), 4u);
  EXPECT_EQ(prompts[0].member, L"GetOpenFilename");
  EXPECT_EQ(prompts[0].arguments, (std::vector<std::wstring>{L"KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*",
                                                             L"1", L"\u9009\u62E9", L"<missing>", L"False"}));
  EXPECT_EQ(prompts[2].member, L"GetSaveAsFilename");
  EXPECT_EQ(prompts[2].arguments,
            (std::vector<std::wstring>{L"", L"KestrelDicFiles (*.Dic),*.Dic", L"<missing>", L"save", L"<missing>"}));
  EXPECT_EQ(prompts[3].arguments[0], L"a.Dic");

  std::unique_ptr<DispatchApplication> none;
  Win32Ui unconnected(none);
  EXPECT_THROW(unconnected.GetOpenFilename(filter, "t"), HostError);
}

TEST_F(AdaptorTest, SwitchesAndReleaseOfSheets) {
  app.SetScreenUpdating(false);
  EXPECT_FALSE(book.ScreenUpdating());
  app.SetDisplayAlerts(false);
  EXPECT_FALSE(app.DisplayAlerts());
  app.SetDisplayAlerts(true);
  EXPECT_TRUE(book.DisplayAlerts());
  Worksheet& sheet = app.ActiveSheet();
  auto* wrapper = dynamic_cast<DispatchWorksheet*>(&sheet);
  ASSERT_NE(wrapper, nullptr);
  IDispatch* object = wrapper->Object();
  object->AddRef();
  const ULONG held = object->Release();  // the fake's own reference and the wrapper's
  app.ReleaseSheets();
  object->AddRef();
  EXPECT_EQ(object->Release(), held - 1);
}

}  // namespace
}  // namespace kestrel
