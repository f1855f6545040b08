// Kestrel.dll's drawing settings dialog ("绘制数据") and volume sheet dialog under a display, on
// FakeExcel: the user's entries in the real windows give the sheet the same commands give on a
// MemoryWorkbook, and the clipboard watcher started by "同时标注偏距" works while the dialog is hidden.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro
#include <oleauto.h>

#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "clipboard_user.h"
#include "dialog_checks.h"
#include "fake_excel/fake_excel.h"
#include "dialogs/form_draw_v_sheet_ids.h"
#include "dialogs/form_set_ids.h"
#include "kestrel_h.h"
#include "message_pump.h"
#include "ribbon_call.h"
#include "sections/draw_data.h"
#include "sections/form_set.h"
#include "sheet_compare.h"
#include "support/recording_shell.h"
#include "ui_driver.h"
#include "volumes/draw_sheet_command.h"
#include "volumes/form_draw_v_sheet.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

using testing::CheckCaptionBand;
using testing::OtherProgram;
using testing::UiDriver;

const std::wstring kSetTitle = L"绘制数据";
const std::wstring kVolumeTitle = L"方量计算表";

// Nine sections of 3 to 7 points, offsets out of order, one empty row after each.
void Sections(MemoryWorksheet& sheet) {
  int row = 1;
  for (int k = 0; k < 9; ++k) {
    const double station = 12000 + 20.0 * k;
    const int points = 3 + (k * 3) % 5;
    for (int p = 0; p < points; ++p) {
      sheet.SetValue({row, 1}, "p" + std::to_string(row));
      sheet.SetValue({row, 4}, 100 + k * 0.5 + ((p * 7) % 5) * 0.37);
      sheet.SetValue({row, 5}, station + 0.3);
      sheet.SetValue({row, 6}, station);
      sheet.SetValue({row, 7}, ((p * 11) % points - points / 2) * 2.5 + 0.25 * k);
      ++row;
    }
    ++row;
  }
}

// One control of a dialog and the presenter member it shows.
struct Shown {
  int id;
  const Control* control;
  enum { Text, Check, List, NoText } kind;
  const Control* container = nullptr;
};

std::vector<Shown> SetControls(const FormSet& f) {
  std::vector<Shown> shown = {{IDOK, &f.CommandOK, Shown::Text},
                              {IDCANCEL, &f.CommandCancel, Shown::Text},
                              {IDC_FORM_SET_UC1, &f.uc1, Shown::Text},
                              {IDC_FORM_SET_UC2, &f.uc2, Shown::Text},
                              {IDC_FORM_SET_UC3, &f.UC3, Shown::Text},
                              {IDC_FORM_SET_TEXT_BOX_COL, &f.TextBoxCol, Shown::Text},
                              {IDC_FORM_SET_TEXT_BOX_ROW, &f.TextBoxRow, Shown::Text},
                              {IDC_FORM_SET_CHECK_ADD_FILE, &f.CheckAddFile, Shown::Check},
                              {IDC_FORM_SET_TEXT_FILE_NAME, &f.TextFileName, Shown::Text},
                              {IDC_FORM_SET_CB_FILE_ADD, &f.CBFileAdd, Shown::Text},
                              {IDC_FORM_SET_FRAME1, &f.Frame1, Shown::Text},
                              {IDC_FORM_SET_IMAGE_VIEW, &f.ImageView, Shown::NoText, &f.Frame1},
                              {IDC_FORM_SET_TEXT_BOX_ZHX, &f.TextBoxZHX, Shown::Text},
                              {IDC_FORM_SET_TEXT_BOX_ZHY, &f.TextBoxZHY, Shown::Text},
                              {IDC_FORM_SET_TEXT_BOX_ZHSIZE, &f.TextBoxZHsize, Shown::Text},
                              {IDC_FORM_SET_TEXT5, &f.Text5, Shown::Text},
                              {IDC_FORM_SET_COMBO_HEIGHT_MODEL, &f.ComboHeightModel, Shown::List},
                              {IDC_FORM_SET_TEXT_BOX_HEIGHT_DIGIT, &f.TextBoxHeightDigit, Shown::Text},
                              {IDC_FORM_SET_TEXT_BOX_HEIGHT_SIZE, &f.TextBoxHeightSize, Shown::Text},
                              {IDC_FORM_SET_TEXT_BOX_DRAW_D, &f.TextBoxDrawD, Shown::Check}};
  for (const auto& [index, control] : f.LabelInfo) {
    shown.push_back({IDC_FORM_SET_LABEL_INFO + index, &control, Shown::Text});
  }
  return shown;
}

std::vector<Shown> VolumeControls(const FormDrawVSheet& f) {
  std::vector<Shown> shown = {{IDOK, &f.CommandOK, Shown::Text},
                              {IDCANCEL, &f.CommandCancel, Shown::Text},
                              {IDC_FORM_DRAW_V_SHEET_UC1, &f.uc1, Shown::Text},
                              {IDC_FORM_DRAW_V_SHEET_COMBO_V_MODE, &f.ComboVMode, Shown::List},
                              {IDC_FORM_DRAW_V_SHEET_COMBO_HDM_NUMBER, &f.ComboHDMnumber, Shown::List},
                              {IDC_FORM_DRAW_V_SHEET_TEXT_DRAW_DM_NUMBER, &f.TextDrawDMnumber, Shown::Text}};
  for (const auto& [index, control] : f.LabelInfo) {
    shown.push_back({IDC_FORM_DRAW_V_SHEET_LABEL_INFO + index, &control, Shown::Text});
  }
  return shown;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

std::vector<std::string> ListItems(HWND combo) {
  std::vector<std::string> items;
  const int count = static_cast<int>(Ask(combo, CB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    std::wstring item(static_cast<size_t>(Ask(combo, CB_GETLBTEXTLEN, i)) + 1, L'\0');
    item.resize(static_cast<size_t>(Ask(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
    items.push_back(FromWide(item));
  }
  return items;
}

// Every control's text, check mark, list, enabled and visible state as the window shows them,
// against the presenter's.
void CompareWithPresenter(UiDriver& driver, HWND dialog, const std::vector<Shown>& controls, const std::string& when) {
  for (const Shown& s : controls) {
    HWND control = GetDlgItem(dialog, s.id);
    const std::string at = when + ", control " + std::to_string(s.id);
    driver.Check(control != nullptr, at + ": missing");
    if (control == nullptr) continue;
    if (s.kind == Shown::Text || s.kind == Shown::Check) {
      driver.Check(UiDriver::Text(control) == ToWide(s.control->text),
                   at + ": text '" + FromWide(UiDriver::Text(control)) + "', presenter '" + s.control->text + "'");
    }
    if (s.kind == Shown::Check) driver.Check(UiDriver::Checked(dialog, s.id) == s.control->checked, at + ": checked");
    if (s.kind == Shown::List) {
      driver.Check(ListItems(control) == s.control->items, at + ": list items");
      driver.Check(Ask(control, CB_GETCURSEL) == s.control->listIndex,
                   at + ": selection " + std::to_string(Ask(control, CB_GETCURSEL)));
    }
    const bool enabled = s.control->enabled && (s.container == nullptr || s.container->enabled);
    const bool visible = s.control->visible && (s.container == nullptr || s.container->visible);
    driver.Check((IsWindowEnabled(control) != FALSE) == enabled, at + ": enabled");
    driver.Check(((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) == visible, at + ": visible");
  }
}

// A user's choice in a drop-down list: the new selection, then the notification the list sends.
void Choose(HWND dialog, int id, int index) {
  Ask(GetDlgItem(dialog, id), CB_SETCURSEL, index);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Report(UiDriver& driver) {
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
}

// How often the add-in's clipboard watcher looks at the clipboard.
constexpr UINT kWatchPeriodMs = 1000;

// Waits (pumping this thread's messages, where the add-in's timer lives) until the clipboard holds
// `want`; answers what it holds then.
std::optional<std::wstring> ClipboardAfterTicks(OtherProgram& other, const std::wstring& want) {
  testing::PumpUntil([&] { return other.Read() == want; });
  return other.Read();
}

TEST(KestrelDllDrawDialogs, DrawDataAndVolumeSheetRunFromTheirDialogsAndTheWatcherFollowsTheBox) {
  HMODULE dll = LoadLibraryW(testing::DllPath().c_str());
  ASSERT_NE(dll, nullptr);
  MemoryWorkbook book, twin;
  Sections(book.Active());
  Sections(twin.Active());
  Session twinSession;
  twinSession.HostApplication = &twin;
  ScriptedUi twinUi;
  ScriptedDialogs twinDialogs;
  RecordingShell twinShell;
  CommandContext twinContext{*twinSession.HostApplication, {twinUi, twinShell, twinDialogs}};

  testing::FakeExcel excel(book);
  testing::ConnectedAddIn addIn;
  ASSERT_NO_FATAL_FAILURE(addIn.Connect(dll, excel.Application()));
  const HCURSOR hand = LoadCursorW(dll, MAKEINTRESOURCEW(101));
  ASSERT_NE(hand, nullptr);

  // 1. The volume sheet dialog before any draw-data run: detecting the sections refuses with the
  // notice and falls back to typing their number; the close box draws nothing.
  ScriptedUi freshUi;
  RecordingShell freshShell;
  Session freshSession;
  FormDrawVSheet freshVolume(freshSession.Sections, freshUi, freshShell);
  freshVolume.OnLoad();
  HWND volumeWindow = nullptr;
  UiDriver notice;
  std::thread user1([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kVolumeTitle); });
    notice.Check(dialog != nullptr, "FunhdmDrawSheet showed no dialog");
    if (dialog == nullptr) return;
    volumeWindow = dialog;
    UiDriver::Settle(dialog);
    CompareWithPresenter(notice, dialog, VolumeControls(freshVolume), "volume dialog, first showing");
    CheckCaptionBand(notice, GetDlgItem(dialog, IDC_FORM_DRAW_V_SHEET_UC1));
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT band = {};
    GetWindowRect(GetDlgItem(dialog, IDC_FORM_DRAW_V_SHEET_UC1), &band);
    notice.Check(band.right - band.left == client.right, "uc1 spans the dialog's width");
    notice.Check(UiDriver::PointerOver(dialog, IDC_FORM_DRAW_V_SHEET_LABEL_INFO + 6) == hand, "the hand over LabelInfo 6");
    notice.Check(UiDriver::PointerOver(dialog, IDC_FORM_DRAW_V_SHEET_LABEL_INFO + 7) == hand, "the hand over LabelInfo 7");
    notice.Check(UiDriver::PointerOver(dialog, IDC_FORM_DRAW_V_SHEET_LABEL_INFO + 1) != hand, "no hand over LabelInfo 1");
    notice.Screenshot(L"kestrel_dll_form_draw_v_sheet");
    Choose(dialog, IDC_FORM_DRAW_V_SHEET_COMBO_HDM_NUMBER, FormDrawVSheet::kDetectSections);
    HWND box = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"提示"); });
    notice.Check(box != nullptr, "no notice for detecting sections before draw data");
    if (box != nullptr) {
      notice.Check(GetWindow(box, GW_OWNER) == dialog, "the notice is owned by the dialog");
      notice.Check(UiDriver::ItemText(box, 0xFFFF) ==
                       L"以下注意事项:\r\n\r\n1.请执行第二步绘制数据之后,再重新检测断面数量!\r\n2.并保证断面数量至少有2个!",
                   "the notice's text: " + FromWide(UiDriver::ItemText(box, 0xFFFF)));
      notice.Screenshot(L"kestrel_dll_form_draw_v_sheet_notice");
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      UiDriver::WaitHidden(box);
    }
    UiDriver::Settle(dialog);
    notice.Check(Ask(GetDlgItem(dialog, IDC_FORM_DRAW_V_SHEET_COMBO_HDM_NUMBER), CB_GETCURSEL) ==
                     FormDrawVSheet::kTypeSections,
                 "back to typing the number of sections");
    notice.Check(UiDriver::ItemText(dialog, IDC_FORM_DRAW_V_SHEET_TEXT_DRAW_DM_NUMBER) == L"16", "the number stays");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    notice.Check(UiDriver::WaitHidden(dialog), "the close box hides the dialog");
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunhdmDrawSheet"), S_OK);
  user1.join();
  Report(notice);
  EXPECT_EQ(book.SheetCount(), 1);

  // 2. Draw data: the user's entries in the window, against the same entries given to the
  // presenter of a run on the model.
  twinDialogs.Queue([](Presenter& p) {
    auto& form = dynamic_cast<FormSet&>(p);
    form.TextBoxCol.text = "150";
    form.TextBoxZHY.text = "12abc";
    form.TextBoxHeightDigit.text = "2";
    form.ComboHeightModel.listIndex = 2;
    form.TextBoxDrawD.checked = true;
    form.OnCommandOKClick();
  });
  FormSet twinDrawDialog(twinSession.Sections, twinUi, twinShell, nullptr, nullptr);
  ASSERT_EQ(DrawSectionData(twinContext, twinDrawDialog, twinSession.Sections), CommandOutcome::Completed);
  ASSERT_EQ(twinSession.Sections.SectionCount, 9);
  ASSERT_TRUE(twinUi.Messages().empty());

  FormSet freshSet(freshSession.Sections, freshUi, freshShell, nullptr, nullptr);
  freshSet.OnLoad();
  freshSet.OnPaint();
  HWND setWindow = nullptr;
  UiDriver drawer;
  std::thread user2([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kSetTitle); });
    drawer.Check(dialog != nullptr, "FunHdmDrawData showed no dialog");
    if (dialog == nullptr) return;
    setWindow = dialog;
    UiDriver::Settle(dialog);
    CompareWithPresenter(drawer, dialog, SetControls(freshSet), "drawing dialog, first showing");
    drawer.Check(UiDriver::ItemText(dialog, IDC_FORM_SET_TEXT_BOX_DRAW_D) == L"同时标注偏距",
                 "Chinese survives the resource compiler and the view");
    CheckCaptionBand(drawer, GetDlgItem(dialog, IDC_FORM_SET_UC1));
    CheckCaptionBand(drawer, GetDlgItem(dialog, IDC_FORM_SET_UC2), -1);
    CheckCaptionBand(drawer, GetDlgItem(dialog, IDC_FORM_SET_UC3), -1);
    drawer.Check(UiDriver::ToolTip(dialog, GetDlgItem(dialog, IDC_FORM_SET_TEXT_BOX_ZHY)) ==
                     ToWide(freshSet.TextBoxZHY.toolTip),
                 "TextBoxZHY carries the presenter's tool tip");
    drawer.Check((GetWindowLongW(GetDlgItem(dialog, IDC_FORM_SET_TEXT_BOX_COL), GWL_STYLE) & ES_CENTER) != 0,
                 "the text boxes centre their text");
    drawer.Check(UiDriver::PointerOver(dialog, IDC_FORM_SET_LABEL_INFO + 6) == hand, "the hand over LabelInfo 6");
    drawer.Check(UiDriver::PointerOver(dialog, IDC_FORM_SET_LABEL_INFO + 7) == hand, "the hand over LabelInfo 7");
    drawer.Check(UiDriver::PointerOver(dialog, IDC_FORM_SET_LABEL_INFO + 0) != hand, "no hand over LabelInfo 0");
    drawer.Screenshot(L"kestrel_dll_form_set");

    UiDriver::SetItemText(dialog, IDC_FORM_SET_TEXT_BOX_COL, L"150");
    UiDriver::SetItemText(dialog, IDC_FORM_SET_TEXT_BOX_ZHY, L"12abc");
    UiDriver::SetItemText(dialog, IDC_FORM_SET_TEXT_BOX_HEIGHT_DIGIT, L"2");
    Choose(dialog, IDC_FORM_SET_COMBO_HEIGHT_MODEL, 2);
    UiDriver::Click(dialog, IDC_FORM_SET_TEXT_BOX_DRAW_D);
    UiDriver::Settle(dialog);
    drawer.Check(UiDriver::Checked(dialog, IDC_FORM_SET_TEXT_BOX_DRAW_D), "同时标注偏距 is ticked");
    drawer.Screenshot(L"kestrel_dll_form_set_entries");
    UiDriver::Click(dialog, IDOK);
    drawer.Check(UiDriver::WaitHidden(dialog), "计算 hides the dialog");
  });
  excel.ResetCounts();
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunHdmDrawData"), S_OK);
  user2.join();
  Report(drawer);
  std::cout << "FunHdmDrawData through Kestrel.dll: " << excel.CountReport() << "\n";
  testing::ExpectSameBook(twin, book);
  EXPECT_EQ(book.Active().Value({1, 9}).AsText(), twin.Active().Value({1, 9}).AsText());
  EXPECT_FALSE(book.Active().Value({1, 15}).AsText().empty());  // the level labels were written

  // 3. The watcher runs while the dialog is hidden: quoted label commands lose their quotes on a
  // tick of the add-in's timer (this thread's message loop), other text stays.
  ASSERT_TRUE(setWindow != nullptr && !IsWindowVisible(setWindow));
  OtherProgram other;
  ASSERT_TRUE(other.Put(L"\"pl 1,2\""));
  EXPECT_EQ(ClipboardAfterTicks(other, L"pl 1,2"), std::optional<std::wstring>(L"pl 1,2"));
  ASSERT_TRUE(other.Put(L"-text \"pl\""));
  testing::PumpTimerTicks(kWatchPeriodMs, 3);  // the watcher has looked at it twice
  EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"-text \"pl\""));

  // 4. The volume sheet, counting the sections drawn: the same sheet as the command on the model.
  twinDialogs.Queue([](Presenter& p) {
    auto& form = dynamic_cast<FormDrawVSheet&>(p);
    form.ComboVMode.listIndex = 2;
    form.ComboHDMnumber.listIndex = FormDrawVSheet::kDetectSections;
    form.OnComboHDMnumberClick();
    form.OnCommandOKClick();
  });
  FormDrawVSheet twinVolumeDialog(twinSession.Sections, twinUi, twinShell);
  ASSERT_EQ(VolumeSheetCommand(twinContext, twinVolumeDialog, twinSession.Sections), CommandOutcome::Completed);
  ASSERT_TRUE(twinUi.Messages().empty());
  UiDriver volume;
  std::thread user3([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kVolumeTitle); });
    volume.Check(dialog != nullptr && dialog == volumeWindow, "the volume dialog's window is made once and reused");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    Choose(dialog, IDC_FORM_DRAW_V_SHEET_COMBO_V_MODE, 2);
    Choose(dialog, IDC_FORM_DRAW_V_SHEET_COMBO_HDM_NUMBER, FormDrawVSheet::kDetectSections);
    UiDriver::Settle(dialog);
    volume.Check(UiDriver::ItemText(dialog, IDC_FORM_DRAW_V_SHEET_TEXT_DRAW_DM_NUMBER) == L"9",
                 "the count of the sections drawn: " +
                     FromWide(UiDriver::ItemText(dialog, IDC_FORM_DRAW_V_SHEET_TEXT_DRAW_DM_NUMBER)));
    volume.Check(UiDriver::FindDialog(L"提示") == nullptr, "no notice with nine sections");
    volume.Screenshot(L"kestrel_dll_form_draw_v_sheet_detected");
    UiDriver::Click(dialog, IDOK);
    volume.Check(UiDriver::WaitHidden(dialog), "绘表 hides the dialog");
  });
  excel.ResetCounts();
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunhdmDrawSheet"), S_OK);
  user3.join();
  Report(volume);
  std::cout << "FunhdmDrawSheet through Kestrel.dll: " << excel.CountReport() << "\n";
  EXPECT_EQ(book.SheetCount(), 2);
  testing::ExpectSameBook(twin, book);

  // 5. Shown again, the drawing dialog keeps what was typed; clearing 同时标注偏距 stops the
  // watcher even though the dialog is then cancelled.
  UiDriver clearer;
  std::thread user4([&] {
    HWND dialog = UiDriver::WaitFor([] { return UiDriver::FindDialog(kSetTitle); });
    clearer.Check(dialog != nullptr && dialog == setWindow, "the drawing dialog's window is made once and reused");
    if (dialog == nullptr) return;
    UiDriver::Settle(dialog);
    clearer.Check(UiDriver::ItemText(dialog, IDC_FORM_SET_TEXT_BOX_COL) == L"150", "the spacing typed before");
    clearer.Check(Ask(GetDlgItem(dialog, IDC_FORM_SET_COMBO_HEIGHT_MODEL), CB_GETCURSEL) == 2,
                  "the mode chosen before");
    clearer.Check(UiDriver::Checked(dialog, IDC_FORM_SET_TEXT_BOX_DRAW_D), "still ticked");
    UiDriver::Click(dialog, IDC_FORM_SET_TEXT_BOX_DRAW_D);
    UiDriver::Settle(dialog);
    clearer.Check(!UiDriver::Checked(dialog, IDC_FORM_SET_TEXT_BOX_DRAW_D), "cleared");
    UiDriver::Click(dialog, IDCANCEL);
    clearer.Check(UiDriver::WaitHidden(dialog), "取消 hides the dialog");
  });
  EXPECT_EQ(kestrel::testing::RibbonCall(addIn.connect, L"FunHdmDrawData"), S_OK);
  user4.join();
  Report(clearer);
  testing::ExpectSameBook(twin, book);  // cancelled: nothing changed
  ASSERT_TRUE(other.Put(L"\"pl 3,4\""));
  testing::PumpTimerTicks(kWatchPeriodMs, 3);  // a running watcher would have stripped it
  EXPECT_EQ(other.Read(), std::optional<std::wstring>(L"\"pl 3,4\""));

  addIn.Disconnect();
}

}  // namespace
}  // namespace kestrel
