// The real commands ("初次排序", "保存字典文件") on FakeExcel through the host adaptor give exactly the
// workbook (and file) that the same command gives on a MemoryWorkbook directly.
#include <gtest/gtest.h>

#include <windows.h>
#undef MessageBox  // the Ui port's method, not the Win32 macro

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>

#include "addin/commands.h"
#include "host_doubles/counting_host.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "excel/dispatch_application.h"
#include "fake_excel/fake_excel.h"
#include "fake_excel/fake_object.h"
#include "sections/dictionary_file.h"
#include "sections/form_sort.h"
#include "sections/initial_sort.h"
#include "sheet_compare.h"
#include "support/recording_shell.h"
#include "platform/win32_ui.h"

namespace kestrel {
namespace {

using testing::ExpectSameBook;
using testing::FakeExcel;

// A surveyed sheet: sections every 20 m with points scattered around each station, single-point
// sections, empty rows, offsets partly stored as texts, codes in G and H.
void Survey(MemoryWorksheet& sheet, unsigned seed, int points) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> section(0, points / 6);
  std::uniform_real_distribution<double> jitter(-1.4, 1.4), offset(-30, 30);
  for (int r = 1; r <= points; ++r) {
    if (r > 1 && r % 37 == 0) continue;  // an empty row inside the data
    const int k = r % 29 == 0 ? points / 6 + r : section(random);  // some sections of one point
    const double station = 12000 + 20.0 * k + std::round(jitter(random) * 1000) / 1000;
    sheet.SetValue({r, 1}, "p" + std::to_string(r));
    sheet.SetValue({r, 2}, 1000.0 + r);
    sheet.SetValue({r, 3}, 2000.0 + r * 0.5);
    sheet.SetValue({r, 4}, 100 + (r % 13) * 0.25);
    sheet.SetValue({r, 5}, station);
    const double off = std::round(offset(random) * 100) / 100;
    if (r % 5 == 0) {
      sheet.LoadCell({r, 6}, CellValue(std::to_string(off).substr(0, 6)));  // a number stored as text
    } else {
      sheet.SetValue({r, 6}, off);
    }
    if (r > 1 && r % 3 == 0) sheet.SetValue({r, 7}, "c" + std::to_string(r % 4));
    if (r % 11 == 0) sheet.SetValue({r, 8}, "right of G " + std::to_string(r));
  }
}

// One session with scripted user and dialog on either host.
struct SessionRun {
  Session session;
  ScriptedUi ui;
  ScriptedDialogs dialogs;
  RecordingShell shell;
  FormSort sortDialog{session.Sections, ui, shell};
  CommandContext Context() { return {*session.HostApplication, {ui, shell, dialogs}}; }
  void Accept(std::string spacing, std::string tolerance = "1", bool useDic = false) {
    dialogs.Queue([=](Presenter& p) {
      auto& form = dynamic_cast<FormSort&>(p);
      form.TextBoxDistance.text = spacing;
      form.TextOffset.text = tolerance;
      if (form.CheckAddFile.checked != useDic) {
        form.CheckAddFile.checked = useDic;
        form.OnCheckAddFileClick();
      }
      form.OnCommandOKClick();
    });
  }
};

class CommandOnFakeExcelTest : public ::testing::Test {
 protected:
  CommandOnFakeExcelTest() : excel(hostBook), host(excel.Application()) {
    direct.session.HostApplication = &directBook;
    throughHost.session.HostApplication = &host;
  }
  // The same scripted steps on both.
  template <class Step>
  void Both(Step step) {
    step(direct);
    step(throughHost);
  }
  CommandOutcome Sort(SessionRun& run) {
    CommandContext context = run.Context();
    CommandOutcome outcome = InitialSort(context, run.sortDialog, run.session.Sections);
    host.ReleaseSheets();
    return outcome;
  }

  MemoryWorkbook directBook, hostBook;
  FakeExcel excel;
  DispatchApplication host;
  SessionRun direct, throughHost;
};

TEST_F(CommandOnFakeExcelTest, InitialSortGivesTheSameSheetThroughTheHost) {
  Survey(directBook.Active(), 11, 600);
  Survey(hostBook.Active(), 11, 600);
  Both([](SessionRun& r) { r.Accept("5"); });
  excel.ResetCounts();
  EXPECT_EQ(Sort(direct), CommandOutcome::Completed);
  EXPECT_EQ(Sort(throughHost), CommandOutcome::Completed);
  std::cout << "InitialSort, 600 points: " << excel.CountReport() << "\n";
  ExpectSameBook(directBook, hostBook);
  EXPECT_EQ(direct.ui.Messages().size(), 0u);
  EXPECT_EQ(throughHost.ui.Messages().size(), 0u);
  // It did sort: F holds section stations and F1's note is there.
  EXPECT_TRUE(hostBook.Active().Value({1, 6}).IsNumber());
  ASSERT_TRUE(hostBook.Active().GetNote({1, 6}).has_value());
  EXPECT_EQ(hostBook.Active().GetNote({1, 6})->boldLength, 9);
  // Blocks, not cells: a bounded number of calls whatever the number of points.
  EXPECT_LT(excel.TotalCalls(), 200);
  EXPECT_EQ(excel.Calls("Range.Sort"), 1);
}

TEST_F(CommandOnFakeExcelTest, RerunWithDictionaryAndTheCleaningPathMatchToo) {
  Survey(directBook.Active(), 5, 240);
  Survey(hostBook.Active(), 5, 240);
  Both([](SessionRun& r) {
    r.session.Sections.DicFileName = "road.Dic";
    for (int k = 0; k < 40; ++k) r.session.Sections.StationDictionary.push_back({12000 + 20.0 * k + 0.4, 0, 0, 0});
    r.Accept("10", "0.9", true);
  });
  EXPECT_EQ(Sort(direct), CommandOutcome::Completed);
  EXPECT_EQ(Sort(throughHost), CommandOutcome::Completed);
  ExpectSameBook(directBook, hostBook);

  // Again on the sorted sheet: Yes deletes the station column and the empty rows (one batched
  // deletion), then sorts anew.
  Both([](SessionRun& r) {
    r.Accept("20");
    r.ui.QueueAnswer(MessageAnswer::Yes);
  });
  excel.ResetCounts();
  EXPECT_EQ(Sort(direct), CommandOutcome::Completed);
  EXPECT_EQ(Sort(throughHost), CommandOutcome::Completed);
  ExpectSameBook(directBook, hostBook);
  EXPECT_GE(excel.Calls("Range.Delete"), 2);  // column F, then the empty rows in chunks
  std::cout << "InitialSort rerun: " << excel.CountReport() << "\n";

  // Station notation in E: Yes cleans column E through Replace with alerts off.
  for (MemoryWorkbook* book : {&directBook, &hostBook}) {
    book->Active().SetValue({4, 5}, "ZK12+235.5");
    book->Active().SetValue({9, 5}, "k12+2-40");
    book->Active().SetValue({1, 7}, CellValue());  // G1 empty: not seen as sorted
  }
  Both([](SessionRun& r) {
    r.Accept("5");
    r.ui.QueueAnswer(MessageAnswer::Yes);
  });
  EXPECT_EQ(Sort(direct), CommandOutcome::EndedAfterApprovedStep);
  EXPECT_EQ(Sort(throughHost), CommandOutcome::EndedAfterApprovedStep);
  ExpectSameBook(directBook, hostBook);
  EXPECT_EQ(hostBook.Active().Value({4, 5}), CellValue(12235.5));
  EXPECT_TRUE(hostBook.DisplayAlerts());
  ASSERT_EQ(throughHost.ui.Messages().size(), direct.ui.Messages().size());
  EXPECT_EQ(throughHost.ui.Messages().back().text, direct.ui.Messages().back().text);
}

TEST_F(CommandOnFakeExcelTest, AHostErrorStopsTheSortWhereTheModelStops) {
  Survey(directBook.Active(), 3, 120);
  Survey(hostBook.Active(), 3, 120);
  CountingApplication counting(directBook);
  direct.session.HostApplication = &counting;
  counting.Counter().FailOnOperation(HostCall::Sort);
  excel.Fail("Range.Sort", static_cast<HRESULT>(0x800A03EC), L"Sort method of Range class failed");
  Both([](SessionRun& r) { r.Accept("5"); });
  EXPECT_EQ(Sort(direct), CommandOutcome::Stopped);
  EXPECT_EQ(Sort(throughHost), CommandOutcome::Stopped);
  ExpectSameBook(directBook, hostBook);
  EXPECT_TRUE(hostBook.Active().Value({1, 6}).IsNumber());  // the new column F was written before the sort
  EXPECT_FALSE(hostBook.Active().GetNote({1, 6}).has_value());
}

TEST_F(CommandOnFakeExcelTest, CancelledDialogLeavesTheSheetAlone) {
  Survey(directBook.Active(), 2, 50);
  Survey(hostBook.Active(), 2, 50);
  Both([](SessionRun& r) { r.dialogs.Queue([](Presenter& p) { p.OnCloseRequest(); }); });
  excel.ResetCounts();
  EXPECT_EQ(Sort(direct), CommandOutcome::Cancelled);
  EXPECT_EQ(Sort(throughHost), CommandOutcome::Cancelled);
  ExpectSameBook(directBook, hostBook);
  EXPECT_EQ(excel.TotalCalls(), 1);  // Application.ActiveSheet only
}

// The save command asks the host for the name (Win32Ui's prompt through the fake) and writes the
// same file as on the model.
class PromptingUi : public Ui {
 public:
  PromptingUi(Ui& prompts, ScriptedUi& messages) : prompts_(prompts), messages_(messages) {}
  MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                           MessageIcon icon) override {
    return messages_.MessageBox(text, title, buttons, icon);
  }
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) override {
    return prompts_.GetOpenFilename(filter, title);
  }
  std::optional<std::string> GetSaveAsFilename(std::string_view initial, std::string_view filter,
                                               std::string_view title) override {
    return prompts_.GetSaveAsFilename(initial, filter, title);
  }

 private:
  Ui& prompts_;
  ScriptedUi& messages_;
};

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(CommandOnFakeExcelTest, SaveDictionaryFileWritesTheSameFileThroughTheHost) {
  // 700 records: more than one block of rows.
  for (MemoryWorkbook* book : {&directBook, &hostBook}) {
    for (int r = 1; r <= 700; ++r) {
      book->Active().SetValue({r, 1}, 12000 + 20.0 * r);
      book->Active().SetValue({r, 2}, r * 1.5);
      book->Active().SetValue({r, 3}, r % 3 == 0 ? CellValue("-" + std::to_string(r)) : CellValue(r * -2.25));
      book->Active().SetValue({r, 4}, 100.125);
    }
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder = std::filesystem::path(temp) / L"kestrel-save-dic";
  std::filesystem::create_directories(folder);
  const std::filesystem::path directFile = folder / L"direct.Dic", hostFile = folder / L"\u9053\u8DEF.Dic";
  std::filesystem::remove(directFile);
  std::filesystem::remove(hostFile);

  direct.ui.QueueSaveFile(testing::Utf8Of(directFile.wstring()));
  std::unique_ptr<DispatchApplication> connected = std::make_unique<DispatchApplication>(excel.Application());
  Win32Ui win32(connected);
  PromptingUi ui(win32, throughHost.ui);
  excel.QueueFileAnswer(hostFile.wstring());
  excel.ResetCounts();

  CommandContext directContext = direct.Context();
  EXPECT_EQ(SaveDictionaryCommand(directContext, direct.session.Sections), CommandOutcome::Completed);
  CommandContext hostContext{*throughHost.session.HostApplication, {ui, throughHost.shell, throughHost.dialogs}};
  EXPECT_EQ(SaveDictionaryCommand(hostContext, throughHost.session.Sections), CommandOutcome::Completed);
  std::cout << "FunSaveDicFile, 700 records: " << excel.CountReport() << "\n";

  const std::string written = FileBytes(hostFile);
  EXPECT_EQ(written, FileBytes(directFile));
  ASSERT_GT(written.size(), 2u);
  EXPECT_EQ(written.substr(0, 4), std::string("\xFF\xFE" "K\0", 4));
  EXPECT_EQ(throughHost.session.Sections.StationDictionary, direct.session.Sections.StationDictionary);
  EXPECT_EQ(throughHost.session.Sections.StationDictionary.size(), 700u);
  ASSERT_EQ(throughHost.ui.Messages().size(), 1u);
  EXPECT_EQ(throughHost.ui.Messages()[0].title, "\xE4\xBF\x9D\xE5\xAD\x98\xE6\x88\x90\xE5\x8A\x9F");  // 保存成功
  EXPECT_NE(throughHost.ui.Messages()[0].text.find("\xE9\x81\x93\xE8\xB7\xAF.Dic"), std::string::npos);
  EXPECT_EQ(excel.Calls("Application.GetSaveAsFilename"), 1);
  EXPECT_LE(excel.Calls("Range.Value2"), 2);

  // Cancelled in the host's prompt: no file, no message.
  excel.QueueFileAnswer(std::nullopt);
  std::filesystem::remove(hostFile);
  EXPECT_EQ(SaveDictionaryCommand(hostContext, throughHost.session.Sections), CommandOutcome::Cancelled);
  EXPECT_FALSE(std::filesystem::exists(hostFile));
  EXPECT_EQ(throughHost.ui.Messages().size(), 1u);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kestrel

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
