// The Win32 dialog views under a display (Xvfb, run by run_display_test.py): the sort dialog shown
// from its presenter in this program, and from Kestrel.dll's real FunHdmOrder on FakeExcel. A
// driver thread plays the user by messages; the harness takes the screenshots it asks for.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro
#include <oleauto.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "dialog_checks.h"
#include "excel/dispatch_application.h"
#include "fake_excel/fake_excel.h"
#include "dialogs/form_sort_ids.h"
#include "kestrel_h.h"
#include "ribbon_call.h"
#include "dialogs/modal_dialogs.h"
#include "sections/dictionary_file.h"
#include "sections/form_sort.h"
#include "sections/initial_sort.h"
#include "sheet_compare.h"
#include "support/recording_shell.h"
#include "ui_driver.h"
#include "util/caption_band.h"
#include "util/text_file.h"
#include "platform/wide_text.h"
#include "platform/win32_ui.h"

namespace kestrel {
namespace {

using testing::CheckCaptionBand;
using testing::UiDriver;

std::wstring& dllPath = testing::DllPath();
const std::wstring kSortTitle = L"横断面初步整理";

// One control of the sort dialog and the presenter member it shows.
struct Shown {
  int id;
  const Control* control;
  bool hasText;
  bool checkBox;
  const Control* container = nullptr;
};

std::vector<Shown> SortControls(const FormSort& f) {
  return {{IDOK, &f.CommandOK, true, false},
          {IDCANCEL, &f.CommandCancel, true, false},
          {IDC_FORM_SORT_UC1, &f.uc1, true, false},
          {IDC_FORM_SORT_CHECK_ADD_FILE, &f.CheckAddFile, true, true},
          {IDC_FORM_SORT_TEXT_OFFSET, &f.TextOffset, true, false},
          {IDC_FORM_SORT_CHECK_DISTANCE, &f.CheckDistance, true, true},
          {IDC_FORM_SORT_FRAME1, &f.Frame1, true, false},
          {IDC_FORM_SORT_IMAGE_VIEW, &f.ImageView, false, false, &f.Frame1},
          {IDC_FORM_SORT_TEXT_BOX_DISTANCE, &f.TextBoxDistance, true, false},
          {IDC_FORM_SORT_TEXT_FILE_NAME, &f.TextFileName, true, false},
          {IDC_FORM_SORT_CB_FILE_ADD, &f.CBFileAdd, true, false},
          {IDC_FORM_SORT_LABEL_INFO0, &f.LabelInfo.at(0), true, false},
          {IDC_FORM_SORT_LABEL_INFO6, &f.LabelInfo.at(6), true, false},
          {IDC_FORM_SORT_LABEL_INFO7, &f.LabelInfo.at(7), true, false}};
}

// Every control's text, check mark, enabled and visible state as the window shows them, against
// the presenter's.
void CompareWithPresenter(UiDriver& driver, HWND dialog, const FormSort& form, const std::string& when) {
  for (const Shown& s : SortControls(form)) {
    HWND control = GetDlgItem(dialog, s.id);
    const std::string at = when + ", control " + std::to_string(s.id);
    driver.Check(control != nullptr, at + ": missing");
    if (control == nullptr) continue;
    if (s.hasText) {
      driver.Check(UiDriver::Text(control) == ToWide(s.control->text),
                   at + ": text '" + FromWide(UiDriver::Text(control)) + "', presenter '" + s.control->text + "'");
    }
    if (s.checkBox) driver.Check(UiDriver::Checked(dialog, s.id) == s.control->checked, at + ": checked");
    const bool enabled = s.control->enabled && (s.container == nullptr || s.container->enabled);
    const bool visible = s.control->visible && (s.container == nullptr || s.container->visible);
    driver.Check((IsWindowEnabled(control) != FALSE) == enabled, at + ": enabled");
    driver.Check(((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) == visible, at + ": visible");
  }
}

TEST(FormSortView, ShowsThePresenterAndCarriesTheUsersInputToIt) {
  Session session;
  std::unique_ptr<DispatchApplication> noHost;
  Win32Ui ui(noHost);
  RecordingShell shell;
  ModalDialogs dialogs;
  FormSort form(session.Sections, ui, shell);
  UiDriver driver;
  HWND shown = nullptr;

  std::thread user([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kSortTitle); });
    driver.Check(dialog != nullptr, "the sort dialog did not appear");
    if (dialog == nullptr) return;
    shown = dialog;
    UiDriver::Settle(dialog);
    CompareWithPresenter(driver, dialog, form, "first showing");
    driver.Check(UiDriver::ItemText(dialog, IDC_FORM_SORT_CHECK_DISTANCE) == L"横断面整理间距(米)",
                 "Chinese survives the resource compiler and the view");
    HWND band = GetDlgItem(dialog, IDC_FORM_SORT_UC1);
    RECT client = {}, bandRect = {};
    GetClientRect(dialog, &client);
    GetWindowRect(band, &bandRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bandRect), 2);
    driver.Check(bandRect.left == 0 && bandRect.top == 0 && bandRect.right == client.right &&
                     form.uc1.width == client.right,
                 "uc1 spans the top of the dialog as the presenter's resize put it");
    driver.Check(UiDriver::ToolTip(dialog, GetDlgItem(dialog, IDC_FORM_SORT_TEXT_BOX_DISTANCE)) ==
                     ToWide(form.TextBoxDistance.toolTip),
                 "TextBoxDistance carries the presenter's tool tip");
    CheckCaptionBand(driver, band);
    // The pointer over a link label is the hand of resource 101; over the plain label it is not.
    const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101));
    auto pointerOver = [&](int id) { return UiDriver::PointerOver(dialog, id); };
    driver.Check(hand != nullptr && pointerOver(IDC_FORM_SORT_LABEL_INFO6) == hand, "the hand over LabelInfo 6");
    driver.Check(pointerOver(IDC_FORM_SORT_LABEL_INFO0) != hand, "no hand over LabelInfo 0");
    driver.Check(pointerOver(IDC_FORM_SORT_LABEL_INFO7) == hand, "the hand over LabelInfo 7");
    driver.Screenshot(L"form_sort");

    UiDriver::Click(dialog, IDC_FORM_SORT_CHECK_DISTANCE);  // the presenter ticks it again
    UiDriver::Settle(dialog);
    driver.Check(UiDriver::Checked(dialog, IDC_FORM_SORT_CHECK_DISTANCE), "CheckDistance stays checked");
    UiDriver::Click(dialog, IDC_FORM_SORT_CHECK_ADD_FILE);
    UiDriver::Settle(dialog);
    driver.Check(form.CheckAddFile.checked, "the tick reached the presenter");
    CompareWithPresenter(driver, dialog, form, "after ticking CheckAddFile");
    driver.Check(IsWindowEnabled(GetDlgItem(dialog, IDC_FORM_SORT_TEXT_OFFSET)) != FALSE, "TextOffset enabled");

    UiDriver::SetItemText(dialog, IDC_FORM_SORT_TEXT_BOX_DISTANCE, L"abc");
    UiDriver::Click(dialog, IDOK);
    HWND refusal = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"错误"); });
    driver.Check(refusal != nullptr, "no message box for the spacing abc");
    if (refusal != nullptr) {
      driver.Check(GetWindow(refusal, GW_OWNER) == dialog, "the message box is owned by the dialog");
      driver.Check(UiDriver::ItemText(refusal, 0xFFFF) == L"横断面整理间距请填入大于零的整数,例如:5米填入5,10米填入10",
                   "the refusal's text: " + FromWide(UiDriver::ItemText(refusal, 0xFFFF)));
      driver.Screenshot(L"form_sort_refusal");
      PostMessageW(refusal, WM_COMMAND, IDOK, 0);
      UiDriver::WaitHidden(refusal);
    }
    UiDriver::Settle(dialog);
    driver.Check(IsWindowVisible(dialog) != FALSE, "the dialog stays after a refused spacing");
    UiDriver::SetItemText(dialog, IDC_FORM_SORT_TEXT_BOX_DISTANCE, L"10");
    UiDriver::SetItemText(dialog, IDC_FORM_SORT_TEXT_OFFSET, L"-2");
    UiDriver::Click(dialog, IDOK);
    driver.Check(UiDriver::WaitHidden(dialog), "OK hides the dialog");
  });
  form.Show(dialogs, session.HostApplication);
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  ASSERT_TRUE(form.Request().has_value());
  EXPECT_EQ(form.Request()->Spacing, 10);
  EXPECT_EQ(form.Request()->MatchTolerance, 2);
  EXPECT_TRUE(form.Request()->UseDictionary);
  EXPECT_FALSE(form.Visible());

  // Shown again: the same window, still holding what the user typed; the close box cancels.
  UiDriver again;
  std::thread closer([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kSortTitle); });
    again.Check(dialog == shown, "the dialog window is created once and reused");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    again.Check(UiDriver::ItemText(dialog, IDC_FORM_SORT_TEXT_BOX_DISTANCE) == L"10", "the spacing typed before");
    CompareWithPresenter(again, dialog, form, "second showing");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    again.Check(UiDriver::WaitHidden(dialog), "the close box hides the dialog");
  });
  form.Show(dialogs, session.HostApplication);
  closer.join();
  for (const std::string& failure : again.Failures()) ADD_FAILURE() << failure;
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_TRUE(IsWindow(shown) && !IsWindowVisible(shown));
}

// The ".." button asks the host for a file (FakeExcel's GetOpenFilename): a file that is no
// dictionary is refused in a box owned by the dialog; a good one shows its path with the caret at
// the end and the frame with the picture, whose click lists the dictionary on a new sheet.
TEST(FormSortView, LoadsADictionaryThroughTheHostsPromptAndShowsItOnANewSheet) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring good = std::wstring(temp) + L"kestrel-\u9053\u8DEF-dialog.Dic";
  const std::wstring bad = std::wstring(temp) + L"kestrel-not-a-dictionary.Dic";
  ASSERT_EQ(WriteTextFile(FromWide(good), DicFileText({{12020, 1, 2, 3}, {12040, 4, 5, 6}}), true), 1);
  ASSERT_EQ(WriteTextFile(FromWide(bad), "something else\r\n", true), 1);

  MemoryWorkbook book;
  testing::FakeExcel excel(book);
  std::unique_ptr<DispatchApplication> host = std::make_unique<DispatchApplication>(excel.Application());
  Session session;
  session.HostApplication = host.get();
  Win32Ui ui(host);
  RecordingShell shell;
  ModalDialogs dialogs;
  FormSort form(session.Sections, ui, shell);
  excel.QueueFileAnswer(bad);
  excel.QueueFileAnswer(good);
  UiDriver driver;
  std::thread user([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kSortTitle); });
    driver.Check(dialog != nullptr, "the sort dialog did not appear");
    if (dialog == nullptr) return;
    UiDriver::Click(dialog, IDC_FORM_SORT_CHECK_ADD_FILE);
    UiDriver::Settle(dialog);
    driver.Check(IsWindowEnabled(GetDlgItem(dialog, IDC_FORM_SORT_CB_FILE_ADD)) != FALSE, "the .. button is enabled");

    UiDriver::Click(dialog, IDC_FORM_SORT_CB_FILE_ADD);
    HWND failed = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"失败"); });
    driver.Check(failed != nullptr, "no message box for a file that is no dictionary");
    if (failed != nullptr) {
      driver.Check(GetWindow(failed, GW_OWNER) == dialog, "the failure box is owned by the dialog");
      driver.Check(UiDriver::ItemText(failed, 0xFFFF) == L"你打开的不是有效的断面位置字典文件!", "the failure's text");
      PostMessageW(failed, WM_COMMAND, IDOK, 0);
      UiDriver::WaitHidden(failed);
    }
    UiDriver::Settle(dialog);
    driver.Check(UiDriver::ItemText(dialog, IDC_FORM_SORT_TEXT_FILE_NAME).empty(), "no path after the failure");

    UiDriver::Click(dialog, IDC_FORM_SORT_CB_FILE_ADD);
    UiDriver::Settle(dialog);
    HWND path = GetDlgItem(dialog, IDC_FORM_SORT_TEXT_FILE_NAME);
    driver.Check(UiDriver::Text(path) == good, "the loaded path is shown: " + FromWide(UiDriver::Text(path)));
    DWORD_PTR selection = 0;
    SendMessageTimeoutW(path, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
    driver.Check(LOWORD(selection) == good.size() && HIWORD(selection) == good.size(), "the caret is after the path");
    driver.Check(IsWindowVisible(GetDlgItem(dialog, IDC_FORM_SORT_FRAME1)) != FALSE &&
                     IsWindowVisible(GetDlgItem(dialog, IDC_FORM_SORT_IMAGE_VIEW)) != FALSE,
                 "the frame and its picture show once a dictionary is loaded");
    CompareWithPresenter(driver, dialog, form, "dictionary loaded");
    driver.Screenshot(L"form_sort_dictionary");
    UiDriver::ClickStatic(dialog, IDC_FORM_SORT_IMAGE_VIEW);
    driver.Check(UiDriver::WaitHidden(dialog), "the picture's click hides the dialog");
  });
  form.Show(dialogs, session.HostApplication);
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  EXPECT_FALSE(form.Request().has_value());  // the sort does not run
  EXPECT_EQ(session.Sections.DicFileName, FromWide(good));
  ASSERT_EQ(book.SheetCount(), 2);
  EXPECT_EQ(book.Active().Value({2, 1}), CellValue(12040.0));
  EXPECT_EQ(book.Active().Value({2, 4}), CellValue(6.0));
  ASSERT_EQ(excel.Prompts().size(), 2u);
  EXPECT_EQ(excel.Prompts()[0].arguments,
            (std::vector<std::wstring>{L"KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*", L"1",
                                       L"选择断面位置字典文件", L"<missing>", L"False"}));
  DeleteFileW(good.c_str());
  DeleteFileW(bad.c_str());
}

// --- Kestrel.dll itself on FakeExcel -------------------------------------------------------------

void Survey(MemoryWorksheet& sheet) {
  for (int r = 1; r <= 60; ++r) {
    sheet.SetValue({r, 1}, "p" + std::to_string(r));
    sheet.SetValue({r, 4}, 100 + r * 0.1);
    sheet.SetValue({r, 5}, 12000 + 20.0 * ((r * 7) % 9) + (r % 5) * 0.3);
    sheet.SetValue({r, 6}, (r % 7) - 3.5);
  }
}

TEST(KestrelDllDialogs, FunHdmOrderShowsTheSortDialogAndSortsTheHostsSheet) {
  HMODULE dll = LoadLibraryW(dllPath.c_str());
  ASSERT_NE(dll, nullptr);
  MemoryWorkbook book, twin;
  Survey(book.Active());
  Survey(twin.Active());
  {  // What the sort gives on the model with the spacing the user will type.
    Session session;
    session.HostApplication = &twin;
    ScriptedUi ui;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    dialogs.Queue([](Presenter& p) {
      auto& form = dynamic_cast<FormSort&>(p);
      form.TextBoxDistance.text = "10";
      form.OnCommandOKClick();
    });
    CommandContext context{*session.HostApplication, {ui, shell, dialogs}};
    FormSort dialog(session.Sections, ui, shell);
    ASSERT_EQ(InitialSort(context, dialog, session.Sections), CommandOutcome::Completed);
  }
  testing::FakeExcel excel(book);
  testing::ConnectedAddIn addIn;
  ASSERT_NO_FATAL_FAILURE(addIn.Connect(dll, excel.Application()));

  // A presenter as the DLL's is before its first showing, for the texts the window must show.
  Session freshSession;
  ScriptedUi freshUi;
  RecordingShell freshShell;
  FormSort fresh(freshSession.Sections, freshUi, freshShell);
  UiDriver driver;
  std::thread user([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kSortTitle); });
    driver.Check(dialog != nullptr, "FunHdmOrder showed no sort dialog");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    CompareWithPresenter(driver, dialog, fresh, "Kestrel.dll's dialog");
    CheckCaptionBand(driver, GetDlgItem(dialog, IDC_FORM_SORT_UC1));
    UiDriver::SetItemText(dialog, IDC_FORM_SORT_TEXT_BOX_DISTANCE, L"10");
    driver.Screenshot(L"kestrel_dll_form_sort");
    UiDriver::Click(dialog, IDOK);
    driver.Check(UiDriver::WaitHidden(dialog), "OK hides the dialog");
  });
  excel.ResetCounts();
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunHdmOrder"), S_OK);
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  std::cout << "FunHdmOrder through Kestrel.dll: " << excel.CountReport() << "\n";
  testing::ExpectSameBook(twin, book);
  EXPECT_TRUE(book.ScreenUpdating());

  // 保存字典文件: the host's save prompt, the file, and the message box.
  book.AddSheet();
  for (int r = 1; r <= 5; ++r) {
    book.Active().SetValue({r, 1}, 12000 + 20.0 * r);
    book.Active().SetValue({r, 2}, r * 100.0);
    book.Active().SetValue({r, 3}, r * -50.0);
    book.Active().SetValue({r, 4}, 98.5);
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring file = std::wstring(temp) + L"kestrel-dialog-test.Dic";
  DeleteFileW(file.c_str());
  excel.QueueFileAnswer(file);
  UiDriver saver;
  std::thread user2([&] {
    HWND box = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"保存成功"); });
    saver.Check(box != nullptr, "no message box after saving");
    if (box == nullptr) return;
    saver.Check(UiDriver::ItemText(box, 0xFFFF) == L"断面位置字典文件成功保存到：\r\n" + file,
                "the saved message: " + FromWide(UiDriver::ItemText(box, 0xFFFF)));
    saver.Screenshot(L"kestrel_dll_saved");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    UiDriver::WaitHidden(box);
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunSaveDicFile"), S_OK);
  user2.join();
  for (const std::string& failure : saver.Failures()) ADD_FAILURE() << failure;
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  const std::u16string expected = u"KestrelFile2.0\r\n12020,100,-50,98.5\r\n";
  ASSERT_GE(bytes.size(), 2 + expected.size() * 2);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(bytes.data() + 2), expected.size()), expected);
  DeleteFileW(file.c_str());

  addIn.Disconnect();
}

}  // namespace
}  // namespace kestrel

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    fwprintf(stderr, L"usage: dialog_tests KESTREL_DLL\n");
    return 2;
  }
  kestrel::dllPath = argv[1];
  if (!kestrel::dllPath.empty() && kestrel::dllPath[0] == L'/') kestrel::dllPath = L"Z:" + kestrel::dllPath;
  for (wchar_t& c : kestrel::dllPath) c = c == L'/' ? L'\\' : c;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
