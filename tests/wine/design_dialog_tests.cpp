// Kestrel.dll's design dialog ("设计断面") under a display, on FakeExcel: the user's entries in the
// real window give the workbook the same results and volume sheets the command gives on a
// MemoryWorkbook with the same entries.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro
#include <oleauto.h>

#include <string>
#include <thread>

#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "dialog_checks.h"
#include "earthworks/design_template.h"
#include "earthworks/form_design.h"
#include "fake_excel/fake_excel.h"
#include "dialogs/form_design_ids.h"
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

const std::wstring kDesignTitle = L"设计横断面";

// Six sorted sections on a side-long ground near the design level, offsets -24 to 24, one empty
// row after each.
void Survey(MemoryWorksheet& sheet) {
  int row = 1;
  for (int k = 0; k < 6; ++k) {
    const double station = 1000 + 20.0 * k;
    for (int p = 0; p < 9; ++p) {
      const double offset = -24 + 6.0 * p;
      sheet.SetValue({row, 1}, "p" + std::to_string(row));
      sheet.SetValue({row, 4}, 300.2 + 0.08 * offset + 0.3 * k - 0.05 * (p % 3));
      sheet.SetValue({row, 5}, station);
      sheet.SetValue({row, 6}, station);
      sheet.SetValue({row, 7}, offset);
      ++row;
    }
    ++row;
  }
}

std::string TempFile(const char* name) {
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  return FromWide(dir) + name;
}

void Report(UiDriver& driver) {
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
}

// Answers the message box titled `title` with OK, checking its text; false when none came.
bool Answer(UiDriver& driver, const std::wstring& title, const std::wstring& text) {
  HWND box = UiDriver::WaitFor([&] { return UiDriver::FindDialog(title); });
  driver.Check(box != nullptr, "no message box " + FromWide(title));
  if (box == nullptr) return false;
  driver.Check(UiDriver::ItemText(box, 0xFFFF) == text, "message: " + FromWide(UiDriver::ItemText(box, 0xFFFF)));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  UiDriver::WaitHidden(box);
  return true;
}

TEST(KestrelDllDesignDialog, DesignRunsFromItsDialogAsOnTheModel) {
  HMODULE dll = LoadLibraryW(testing::DllPath().c_str());
  ASSERT_NE(dll, nullptr);
  const std::string profile = TempFile("kestrel_design.ZM");
  const std::string tpl = TempFile("kestrel_design.tpl");
  WriteTextFile(profile, "QuillbeckFile2.0-ZM\r\n0,300,1050,301.5,2000,300,400\r\n");
  SaveTemplateText(tpl, TemplateExampleText());

  MemoryWorkbook book, twin;
  Survey(book.Active());
  Survey(twin.Active());
  ScriptedUi twinUi;
  ScriptedDialogs twinDialogs;
  RecordingShell twinShell;
  CommandContext twinContext{twin, {twinUi, twinShell, twinDialogs}};
  twinDialogs.Queue([&](Presenter& p) {
    auto& form = dynamic_cast<FormDesign&>(p);
    form.TextProfile.text = profile;
    form.TextTemplate.text = tpl;
    form.ComboVariant.listIndex = 2;
    form.OnCommandOKClick();
  });
  FormDesign twinForm(twinUi);
  ASSERT_EQ(DesignSectionsCommand(twinContext, twinForm), CommandOutcome::Completed);
  ASSERT_EQ(twin.SheetCount(), 3);
  ASSERT_EQ(twinUi.Messages().size(), 1u);
  const std::wstring finished = ToWide(twinUi.Messages()[0].text);

  testing::FakeExcel excel(book);
  testing::ConnectedAddIn addIn;
  ASSERT_NO_FATAL_FAILURE(addIn.Connect(dll, excel.Application()));

  UiDriver user;
  std::thread hand([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kDesignTitle); });
    user.Check(dialog != nullptr, "FunHdmDesign showed no dialog");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    user.Check(UiDriver::ItemText(dialog, IDC_FORM_DESIGN_LABEL_TEMPLATE) == L"路基模板文件(*.tpl)",
               "Chinese survives the resource compiler and the view");
    user.Check(UiDriver::Checked(dialog, IDC_FORM_DESIGN_CHECK_VOLUME), "the volume sheet is asked for at first");
    // OK with no files: the dialog says what is missing and stays.
    UiDriver::Click(dialog, IDOK);
    Answer(user, L"提示", L"请选择纵断面文件和路基模板文件！");
    user.Check(IsWindowVisible(dialog) != FALSE, "the dialog stays after the refusal");
    UiDriver::SetItemText(dialog, IDC_FORM_DESIGN_TEXT_PROFILE, ToWide(profile));
    UiDriver::SetItemText(dialog, IDC_FORM_DESIGN_TEXT_TEMPLATE, L"  " + ToWide(tpl) + L" ");
    HWND variant = GetDlgItem(dialog, IDC_FORM_DESIGN_COMBO_VARIANT);
    SendMessageW(variant, CB_SETCURSEL, 2, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FORM_DESIGN_COMBO_VARIANT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(variant));
    UiDriver::Settle(dialog);
    user.Screenshot(L"kestrel_dll_form_design");
    UiDriver::Click(dialog, IDOK);
    user.Check(UiDriver::WaitHidden(dialog), "计算 hides the dialog");
    Answer(user, L"提示", finished);
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunHdmDesign"), S_OK);
  hand.join();
  Report(user);
  EXPECT_EQ(book.SheetCount(), 3);
  testing::ExpectSameBook(twin, book);

  addIn.Disconnect();
  DeleteFileW(ToWide(profile).c_str());
  DeleteFileW(ToWide(tpl).c_str());
}

}  // namespace
}  // namespace kestrel
