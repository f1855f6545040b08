// The ribbon commands on FakeExcel as a user's machine may have it: in Chinese, US English and
// German, in a workbook of the old format, and on a protected sheet, a chart sheet or no workbook.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro

#include <functional>
#include <set>
#include <string>
#include <tuple>

#include "addin/commands.h"
#include "host/host_error.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "excel/dispatch_application.h"
#include "fake_excel/fake_excel.h"
#include "fake_excel/fake_object.h"
#include "sections/form_set.h"
#include "sections/form_sort.h"
#include "sheet_compare.h"
#include "support/recording_shell.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {
namespace {

using testing::ExpectSameBook;
using testing::FakeExcel;
using testing::FakeShows;

constexpr LCID kChinese = 2052, kEnglish = 1033, kGerman = 1031;

// Sections every 20 m, a few points each, offsets in F and levels in D.
void Survey(MemoryWorksheet& sheet) {
  for (int r = 1; r <= 60; ++r) {
    sheet.SetValue({r, 1}, "p" + std::to_string(r));
    sheet.SetValue({r, 2}, 3000.5 + r);
    sheet.SetValue({r, 3}, 500.25 + r);
    sheet.SetValue({r, 4}, 100 + (r % 7) * 0.35);
    sheet.SetValue({r, 5}, 12000 + 20.0 * (r / 5) + (r % 3) * 0.4);
    sheet.SetValue({r, 6}, -12.5 + (r % 5) * 6.25);
  }
}

// One user's session on either host, answering every dialog with OK.
struct UserRun {
  explicit UserRun(Application& host) { session.HostApplication = &host; }
  void Ribbon(const char* callback) {
    dialogs.Queue([](Presenter& p) {
      if (auto* sort = dynamic_cast<FormSort*>(&p)) sort->TextBoxDistance.text = "20";
      if (auto* sort = dynamic_cast<FormSort*>(&p)) return sort->OnCommandOKClick();
      if (auto* set = dynamic_cast<FormSet*>(&p)) return set->OnCommandOKClick();
      if (auto* sheet = dynamic_cast<FormDrawVSheet*>(&p)) return sheet->OnCommandOKClick();
    });
    PlatformPorts platform{ui, shell, dialogs};
    RunRibbonCommand(*FindRibbonCommand(callback), platform, session.HostApplication, session);
  }
  Session session;
  ScriptedUi ui;
  ScriptedDialogs dialogs;
  RecordingShell shell;
};

// The commands that change the workbook, in the order a user runs them.
const char* const kWork[] = {"FunHdmOrder", "FunHdmDrawData", "FunhdmDrawSheet"};

// A book through the adaptor and the fake next to the same book run directly.
struct Twins {
  Twins() : excel(hostBook), host(excel.Application()), direct(directBook), throughHost(host) {
    Survey(directBook.Active());
    Survey(hostBook.Active());
  }
  void Ribbon(const char* callback) {
    direct.Ribbon(callback);
    throughHost.Ribbon(callback);
    host.ReleaseSheets();
  }
  MemoryWorkbook directBook, hostBook;
  FakeExcel excel;
  DispatchApplication host;
  UserRun direct, throughHost;
};

// object.member, read in the given locale.
std::wstring Read(IDispatch* object, const wchar_t* member, LCID lcid) {
  LPOLESTR name = const_cast<LPOLESTR>(member);
  DISPID id = 0;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, lcid, &id), S_OK);
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(object->Invoke(id, IID_NULL, lcid, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
  std::wstring text = result.vt == VT_BSTR ? result.bstrVal : L"<not a text>";
  VariantClear(&result);
  return text;
}

// object.member = text, in the given locale.
void Write(IDispatch* object, const wchar_t* member, const std::wstring& text, LCID lcid) {
  LPOLESTR name = const_cast<LPOLESTR>(member);
  DISPID id = 0, put = DISPID_PROPERTYPUT;
  ASSERT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, lcid, &id), S_OK);
  VARIANT value;
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(text.c_str());
  DISPPARAMS params{&value, &put, 1, 1};
  EXPECT_EQ(object->Invoke(id, IID_NULL, lcid, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), S_OK);
  VariantClear(&value);
}

// The fake is as particular as the host: the same texts mean other things in another locale, so
// the tests below would see a call that is not made in US English.
TEST(FakeExcelLocale, AFormulaADecimalCommaADateAndAFormatCodeFollowTheCallsLocale) {
  MemoryWorkbook book;
  FakeExcel excel(book);
  excel.SetUserLocale(kGerman);
  DispatchApplication app(excel.Application());
  app.ActiveSheet().SetValue({1, 1}, 2.5);
  app.ActiveSheet().SetValue({2, 1}, 4);
  IDispatch* sheet = dynamic_cast<DispatchWorksheet&>(app.ActiveSheet()).Object();
  auto cell = [&](const char* a1) {
    DispatchArgs args;
    args.Add(TextArg(a1));
    return GetObject(sheet, L"Range", args);
  };
  for (LCID lcid : {kGerman, LOCALE_USER_DEFAULT}) {
    Write(cell("B1").Get(), L"Value", L"=SUMME(A1;A2)", lcid);
    Write(cell("B2").Get(), L"Value", L"=SUM(A1,A2)", lcid);  // no such name in German
    Write(cell("B3").Get(), L"Value", L"1,5", lcid);
    Write(cell("B4").Get(), L"Value", L"1.5.2026", lcid);
    EXPECT_EQ(book.Active().Formula({1, 2}), "=SUM(A1,A2)");
    EXPECT_EQ(book.Active().Value({2, 2}), CellValue::Error(CellError::Name));
    EXPECT_EQ(book.Active().Value({3, 2}), CellValue(1.5));
    EXPECT_EQ(book.Active().Value({4, 2}), CellValue(46143));  // 1 May 2026
    EXPECT_EQ(Read(cell("B1").Get(), L"Formula", lcid), L"=SUMME(A1;A2)");
    EXPECT_EQ(Read(cell("C1").Get(), L"NumberFormat", lcid), L"Standard");
  }
  Write(cell("B1").Get(), L"Value", L"=SUM(A1,A2)", kEnglish);
  Write(cell("B3").Get(), L"Value", L"1.5", kEnglish);
  Write(cell("B4").Get(), L"Value", L"1,5", kEnglish);
  EXPECT_EQ(book.Active().Formula({1, 2}), "=SUM(A1,A2)");
  EXPECT_FALSE(book.Active().Value({1, 2}).IsError());
  EXPECT_EQ(book.Active().Value({3, 2}), CellValue(1.5));
  EXPECT_EQ(book.Active().Value({4, 2}), CellValue("1,5"));
  // A percentage, a fraction and a date typed in each language become numbers, as the host makes them.
  const std::tuple<LCID, const wchar_t*, double> typed[] = {
      {kEnglish, L"12%", 0.12},          {kEnglish, L"-1 1/2", -1.5},     {kEnglish, L"3/4/2026", 46085},
      {kEnglish, L"2026-03-04", 46085},  {kGerman, L"12,5%", 0.125},      {kGerman, L"2026-03-04", 46085},
      {kChinese, L"2026/3/4", 46085},    {kChinese, L"0 3/4", 0.75}};
  for (const auto& [lcid, text, number] : typed) {
    Write(cell("D1").Get(), L"Value", text, lcid);
    EXPECT_EQ(book.Active().Value({1, 4}), CellValue(number)) << lcid;
  }
  Write(cell("D1").Get(), L"Value", L"12.5%", kGerman);  // a point is no German decimal sign
  EXPECT_EQ(book.Active().Value({1, 4}), CellValue("12.5%"));
  EXPECT_EQ(Read(cell("C1").Get(), L"NumberFormat", kEnglish), L"General");
  EXPECT_EQ(Read(cell("C1").Get(), L"NumberFormatLocal", kEnglish), L"Standard");  // the user's language
  excel.SetUserLocale(kChinese);
  EXPECT_EQ(Read(cell("C1").Get(), L"NumberFormat", LOCALE_USER_DEFAULT), L"G/通用格式");
  Write(cell("C1").Get(), L"NumberFormat", L"0.000_ ;[红色]-0.000 ", kChinese);
  EXPECT_EQ(book.Active().NumberFormat({1, 3}), "0.000_ ;[Red]-0.000 ");
}

TEST(FakeExcelStrictness, UnknownNamedArgumentsAndPutsOnMethodsAreRefused) {
  MemoryWorkbook book;
  FakeExcel excel(book);
  IDispatch* app = excel.Application();
  DispatchRef sheet = GetObject(app, L"ActiveSheet");
  DispatchArgs address;
  address.Add(TextArg("A1:B2"));
  DispatchRef range = GetObject(sheet.Get(), L"Range", address);
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"Replace"), const_cast<LPOLESTR>(L"What"),
                      const_cast<LPOLESTR>(L"MatchWidth")};
  DISPID ids[3];
  EXPECT_EQ(range.Get()->GetIDsOfNames(IID_NULL, names, 3, kEnglish, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
  Variant value(BoolArg(true));
  EXPECT_THROW(PutProperty(range.Get(), L"Merge", value.Get()), HostError);
  DispatchArgs edge;
  edge.Add(LongArg(9));
  EXPECT_THROW(GetObject(range.Get(), L"Borders", edge), HostError);  // Borders takes no index

  // A formatted number wider than its column displays as "#".
  DispatchApplication host(app);
  Worksheet& sheet2 = host.ActiveSheet();
  sheet2.SetValue({1, 5}, 12235.689);
  sheet2.SetNumberFormat(RangeRef::Cell(1, 5), "\"K\"0+000.000");
  EXPECT_EQ(sheet2.Text({1, 5}), "########");
  sheet2.SetColumnWidth(5, 5, 14);
  EXPECT_EQ(sheet2.Text({1, 5}), "K12+235.689");
}

// Every command that changes the workbook gives the same book whatever the user's language, and
// every call is made in US English.
TEST(HostLanguages, TheCommandsGiveTheSameWorkbookInChineseEnglishAndGerman) {
  for (LCID locale : {kChinese, kEnglish, kGerman}) {
    SCOPED_TRACE(locale);
    Twins twins;
    twins.excel.SetUserLocale(locale);
    for (const char* callback : kWork) twins.Ribbon(callback);
    ExpectSameBook(twins.directBook, twins.hostBook);
    EXPECT_EQ(twins.hostBook.SheetCount(), 2);  // the volume sheet was built
    EXPECT_EQ(twins.throughHost.ui.Messages().size(), twins.direct.ui.Messages().size());
    EXPECT_EQ(twins.excel.LocalesSeen(), std::set<LCID>{kEnglish});
  }
}

// In a workbook of the old format (65,536 rows) the commands ask the sheet for its size and never
// address a row below it.
TEST(HostLanguages, AWorkbookOfTheOldFormatGivesTheSameWorkbook) {
  Twins twins;
  twins.excel.SetCompatibilityMode(true);
  for (const char* callback : kWork) twins.Ribbon(callback);
  ExpectSameBook(twins.directBook, twins.hostBook);
  for (const auto& message : twins.throughHost.ui.Messages()) ADD_FAILURE() << message.text;
}

// Where the host shows no sheet to work on, every command that needs one says so in one message
// and changes nothing.
TEST(HostViews, OnAProtectedSheetAChartSheetOrNoWorkbookEachCommandStopsWithItsMessage) {
  struct Case {
    const char* name;
    std::function<void(FakeExcel&)> set;
    const char* reason;
    std::set<SheetUse> refused;
  };
  const Case cases[] = {
      {"protected", [](FakeExcel& e) { e.SetProtected(true); }, "当前工作表受保护，请先撤消工作表保护！",
       {SheetUse::Changes}},
      {"chart sheet", [](FakeExcel& e) { e.Show(FakeShows::ChartSheet); },
       "当前是图表工作表，请先切换到数据所在的工作表！", {SheetUse::Changes, SheetUse::Reads}},
      {"no workbook", [](FakeExcel& e) { e.Show(FakeShows::NoWorkbook); },
       "没有打开的工作簿，请先打开或新建一个工作簿！", {SheetUse::Changes, SheetUse::Reads, SheetUse::AddsSheet}},
      {"shape selected", [](FakeExcel& e) { e.SelectShape(true); },
       "当前选中的是图形或图表，请先选中工作表中的单元格！", {SheetUse::Changes}},
  };
  for (const Case& c : cases) {
    MemoryWorkbook book;
    Survey(book.Active());
    FakeExcel excel(book);
    c.set(excel);
    DispatchApplication host(excel.Application());
    for (const RibbonCommand& command : RibbonCommands()) {
      if (!c.refused.contains(command.use)) continue;
      SCOPED_TRACE(std::string(c.name) + ": " + std::string(command.callback));
      UserRun run(host);
      const auto revision = book.Revision();
      run.Ribbon(std::string(command.callback).c_str());
      host.ReleaseSheets();
      ASSERT_EQ(run.ui.Messages().size(), 1u);
      EXPECT_EQ(run.ui.Messages()[0].title, "错误");
      EXPECT_EQ(run.ui.Messages()[0].text, "“" + std::string(command.label) + "”无法执行：" + c.reason);
      EXPECT_TRUE(run.dialogs.Shown().empty());
      EXPECT_EQ(book.Revision(), revision);
      EXPECT_TRUE(book.ScreenUpdating());
    }
  }
}

// The host refuses a quiet step of the volume sheet (its borders): the command goes on to its end,
// and the user is told what it had done and what the host said.
TEST(HostViews, ARefusalInTheMiddleOfACommandIsShownWithWhatHadChanged) {
  Twins twins;
  twins.excel.Fail("Border.LineStyle", static_cast<HRESULT>(0x800A03EC), L"Unable to set the LineStyle property");
  twins.throughHost.Ribbon("FunhdmDrawSheet");
  ASSERT_EQ(twins.throughHost.ui.Messages().size(), 1u);
  const auto& message = twins.throughHost.ui.Messages()[0];
  EXPECT_EQ(message.title, "失败");
  EXPECT_TRUE(message.text.starts_with("“绘方量表”未能完成：表格程序拒绝了其中的一步操作。\r\n"
                                       "已做的改动（新建工作表、写入单元格、"))
      << message.text;
  EXPECT_TRUE(message.text.ends_with("Unable to set the LineStyle property")) << message.text;
  EXPECT_EQ(twins.hostBook.SheetCount(), 2);  // what was built stays
}

}  // namespace
}  // namespace kestrel
