// Kestrel.dll's export ("导出 LandXML/IFC") and distribution ("土石方调配") dialogs under a display,
// on FakeExcel: the user's entries in the real windows write the same files and add the same
// table sheet as the commands give on a MemoryWorkbook with the same entries.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro
#include <oleauto.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>

#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "dialog_checks.h"
#include "earthworks/design_command.h"
#include "earthworks/design_template.h"
#include "exchange/form_export.h"
#include "exchange/road_export.h"
#include "fake_excel/fake_excel.h"
#include "dialogs/form_export_ids.h"
#include "dialogs/form_haul_ids.h"
#include "haul/form_haul.h"
#include "kestrel_h.h"
#include "ribbon_call.h"
#include "sheet_compare.h"
#include "support/recording_shell.h"
#include "ui_driver.h"
#include "util/text_file.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

using testing::UiDriver;

// Eight sorted sections on ground that rises and falls across the profile, offsets -24 to 24.
void Survey(MemoryWorksheet& sheet) {
  int row = 1;
  for (int k = 0; k < 8; ++k) {
    for (int p = 0; p < 9; ++p) {
      const double offset = -24 + 6.0 * p;
      sheet.SetValue({row, 1}, "P" + std::to_string(p + 1));
      sheet.SetValue({row, 4}, 300.4 + 2.5 * std::sin(k * 0.9) + 0.06 * offset);
      sheet.SetValue({row, 5}, 1000 + 20.0 * k);
      sheet.SetValue({row, 6}, 1000 + 20.0 * k);
      sheet.SetValue({row, 7}, offset);
      ++row;
    }
    ++row;
  }
}

// The workbook both runs start from: the design results of the survey (active, in front), the
// survey, and the straight centre line as the sheet 逐桩坐标表.
void Road(MemoryWorkbook& book, const std::string& profile, const std::string& tpl) {
  Survey(book.Active());
  MemoryWorksheet& table = book.AppendSheet(kStationSheetName);
  for (int k = 0; k <= 9; ++k) {
    table.SetValue({k + 1, 1}, 980 + 20.0 * k);
    table.SetValue({k + 1, 2}, 3415000 + 20.0 * k * std::cos(0.6));
    table.SetValue({k + 1, 3}, 512000 + 20.0 * k * std::sin(0.6));
  }
  ScriptedUi ui;
  ScriptedDialogs dialogs;
  RecordingShell shell;
  CommandContext context{book, {ui, shell, dialogs}};
  DesignRequest request;
  request.Files = {profile, "", "", tpl};
  ASSERT_EQ(RunDesign(context, request), CommandOutcome::Completed);
}

std::string TempFile(const char* name) {
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  return FromWide(dir) + name;
}

std::string FileText(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file's text with the date and the time it was written taken out.
std::string WithoutStamp(const std::string& text) {
  static const std::regex stamp(R"(\d{4}-\d{2}-\d{2}(T\d{2}:\d{2}:\d{2})?|\d{2}:\d{2}:\d{2})");
  return std::regex_replace(text, stamp, "<stamp>");
}

void Report(UiDriver& driver) {
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
}

// Answers the message box titled `title` with OK, checking its text.
void Answer(UiDriver& driver, const std::wstring& title, const std::wstring& text) {
  HWND box = UiDriver::WaitFor([&] { return UiDriver::FindDialog(title); });
  driver.Check(box != nullptr, "no message box " + FromWide(title));
  if (box == nullptr) return;
  driver.Check(UiDriver::ItemText(box, 0xFFFF) == text, "message: " + FromWide(UiDriver::ItemText(box, 0xFFFF)));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  UiDriver::WaitHidden(box);
}

TEST(KestrelDllExportHaulDialogs, ExportAndDistributionRunFromTheirButtonsAsOnTheModel) {
  HMODULE dll = LoadLibraryW(testing::DllPath().c_str());
  ASSERT_NE(dll, nullptr);
  const std::string profile = TempFile("kestrel_exchange.ZM"), tpl = TempFile("kestrel_exchange.tpl");
  const std::string twinXml = TempFile("kestrel_twin.xml"), hostXml = TempFile("kestrel_host.xml");
  const std::string twinSvg = TempFile("kestrel_twin.svg"), hostSvg = TempFile("kestrel_host.svg");
  WriteTextFile(profile, "QuillbeckFile2.0-ZM\r\n0,300,1070,302.5,2000,300,3000\r\n");
  SaveTemplateText(tpl, TemplateExampleText());

  MemoryWorkbook book, twin;
  ASSERT_NO_FATAL_FAILURE(Road(book, profile, tpl));
  ASSERT_NO_FATAL_FAILURE(Road(twin, profile, tpl));
  // The twin: the same entries through the presenters on the model. The export runs on the
  // survey, the distribution on the design results.
  ScriptedUi twinUi;
  ScriptedDialogs twinDialogs;
  RecordingShell twinShell;
  CommandContext twinContext{twin, {twinUi, twinShell, twinDialogs}};
  twin.Activate(1);
  twinDialogs.Queue([&](Presenter& p) {
    auto& form = dynamic_cast<FormExport&>(p);
    form.TextProfile.text = profile;
    form.TextLandXml.text = twinXml;
    form.OnCommandOKClick();
  });
  FormExport twinExport(twinUi);
  ASSERT_EQ(ExportRoadCommand(twinContext, twinExport), CommandOutcome::Completed);
  twin.Activate(0);
  twinDialogs.Queue([&](Presenter& p) {
    auto& form = dynamic_cast<FormHaul&>(p);
    form.TextFreeHaul.text = "40";
    form.TextBarriers.text = "K1+070";
    form.CheckPrismoidal.checked = true;
    form.TextDiagram.text = twinSvg;
    form.OnCommandOKClick();
  });
  FormHaul twinHaul(twinUi, WriteMassHaulSvgFile);
  ASSERT_EQ(HaulDistributionCommand(twinContext, twinHaul), CommandOutcome::Completed);
  ASSERT_EQ(twinUi.Messages().size(), 2u);
  const std::wstring exported = ToWide(twinUi.Messages()[0].text);
  const std::wstring distributed = ToWide(twinUi.Messages()[1].text);

  testing::FakeExcel excel(book);
  testing::ConnectedAddIn addIn;
  ASSERT_NO_FATAL_FAILURE(addIn.Connect(dll, excel.Application()));

  UiDriver user;
  book.Activate(1);
  std::thread exportHand([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"导出 LandXML/IFC"); });
    user.Check(dialog != nullptr, "FunHdmExport showed no dialog");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    UiDriver::Click(dialog, IDOK);  // no target: said, and the dialog stays
    Answer(user, L"提示", L"请指定要导出的 LandXML 文件或 IFC 文件！");
    user.Check(IsWindowVisible(dialog) != FALSE, "the dialog stays after the refusal");
    UiDriver::SetItemText(dialog, IDC_FORM_EXPORT_TEXT_PROFILE, ToWide(profile));
    UiDriver::SetItemText(dialog, IDC_FORM_EXPORT_TEXT_LANDXML, ToWide(hostXml));
    UiDriver::Settle(dialog);
    user.Screenshot(L"kestrel_dll_form_export");
    UiDriver::Click(dialog, IDOK);
    user.Check(UiDriver::WaitHidden(dialog), "导出 hides the dialog");
    std::wstring expected = exported;
    expected.replace(expected.find(ToWide(twinXml)), ToWide(twinXml).size(), ToWide(hostXml));
    Answer(user, L"提示", expected);
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunHdmExport"), S_OK);
  exportHand.join();
  EXPECT_EQ(WithoutStamp(FileText(hostXml)), WithoutStamp(FileText(twinXml)));
  EXPECT_GT(FileText(hostXml).size(), 1000u);

  book.Activate(0);
  std::thread haulHand([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"土石方调配"); });
    user.Check(dialog != nullptr, "FunHdmHaul showed no dialog");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    user.Check(IsWindowEnabled(GetDlgItem(dialog, IDC_FORM_HAUL_TEXT_DIAGRAM)) != FALSE,
               "the diagram entry is open: the add-in draws the page as SVG");
    UiDriver::SetItemText(dialog, IDC_FORM_HAUL_TEXT_DIAGRAM, ToWide(hostSvg));
    UiDriver::SetItemText(dialog, IDC_FORM_HAUL_TEXT_FREE_HAUL, L"40");
    UiDriver::SetItemText(dialog, IDC_FORM_HAUL_TEXT_BARRIERS, L"K1+O7");  // a letter O for a zero: said
    UiDriver::Click(dialog, IDC_FORM_HAUL_CHECK_PRISMOIDAL);
    UiDriver::Settle(dialog);
    UiDriver::Click(dialog, IDOK);
    HWND box = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示"); });
    user.Check(box != nullptr, "an entry that is no station is said");
    if (box != nullptr) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      UiDriver::WaitHidden(box);
    }
    UiDriver::SetItemText(dialog, IDC_FORM_HAUL_TEXT_BARRIERS, L"K1+070");
    UiDriver::Settle(dialog);
    user.Screenshot(L"kestrel_dll_form_haul");
    UiDriver::Click(dialog, IDOK);
    user.Check(UiDriver::WaitHidden(dialog), "调配 hides the dialog");
    std::wstring expected = distributed;
    expected.replace(expected.find(ToWide(twinSvg)), ToWide(twinSvg).size(), ToWide(hostSvg));
    Answer(user, L"提示", expected);
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunHdmHaul"), S_OK);
  haulHand.join();
  Report(user);
  EXPECT_EQ(book.SheetCount(), twin.SheetCount());
  testing::ExpectSameBook(twin, book);
  EXPECT_EQ(FileText(hostSvg), FileText(twinSvg));
  EXPECT_NE(FileText(hostSvg).find("<svg"), std::string::npos);

  addIn.Disconnect();
  for (const std::string& file : {profile, tpl, twinXml, hostXml, twinSvg, hostSvg}) DeleteFileW(ToWide(file).c_str());
}

}  // namespace
}  // namespace kestrel
