// The add-in's export and earthwork distribution, run from their dialogs on a workbook, against
// the command-line tool run on the same workbook file with the same entries: the same LandXML and
// IFC files (but for the time they were written), the same table sheet and diagram page.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "earthworks/design_command.h"
#include "earthworks/design_results.h"
#include "earthworks/design_template.h"
#include "exchange/form_export.h"
#include "exchange/road_export.h"
#include "haul/form_haul.h"
#include "io/mass_haul_page.h"
#include "io/workbook_file.h"
#include "workbook/formula_eval.h"
#include "io_test_support.h"
#include "support/recording_shell.h"

namespace kestrel {
namespace {

using iotest::ReadBytes;
using iotest::ShellQuote;
using iotest::TempDir;

// Twelve sorted sections, K1+000 to K1+220, on ground that rises and falls across the profile
// (cut and fill in turn), offsets -24 to 24, an empty row after each.
void Survey(MemoryWorksheet& sheet) {
  int row = 1;
  for (int k = 0; k < 12; ++k) {
    const double station = 1000 + 20.0 * k;
    for (int p = 0; p < 9; ++p) {
      const double offset = -24 + 6.0 * p;
      sheet.SetValue({row, 1}, "P" + std::to_string(p + 1));
      sheet.SetValue({row, 4}, 300.4 + 2.5 * std::sin(k * 0.9) + 0.06 * offset - 0.05 * (p % 3));
      sheet.SetValue({row, 5}, station);
      sheet.SetValue({row, 6}, station);
      sheet.SetValue({row, 7}, offset);
      ++row;
    }
    ++row;
  }
}

// The straight centre line heading north-east, as a station-coordinate sheet.
void StationTable(MemoryWorksheet& sheet) {
  sheet.SetValue({1, 1}, "桩号");
  sheet.SetValue({1, 2}, "X");
  sheet.SetValue({1, 3}, "Y");
  for (int k = 0; k <= 13; ++k) {
    const double station = 980 + 20.0 * k, along = station - 980;
    sheet.SetValue({k + 2, 1}, station);
    sheet.SetValue({k + 2, 2}, 3415000 + along * std::cos(M_PI / 4));
    sheet.SetValue({k + 2, 3}, 512000 + along * std::sin(M_PI / 4));
  }
}

// Runs the tool; its messages go to `log`. Waits for its end; the exit code.
int RunTool(const std::vector<std::string>& args, const std::string& log) {
  std::string command = ShellQuote(KESTREL_CLI);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  command += " >" + ShellQuote(log) + " 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file's text with the date and the time it was written taken out, and the IFC objects'
// GlobalIds, which are drawn from that time.
std::string WithoutStamp(const std::string& text) {
  static const std::regex stamp(R"(\d{4}-\d{2}-\d{2}(T\d{2}:\d{2}:\d{2})?|\d{2}:\d{2}:\d{2})");
  static const std::regex globalId(R"(\('[0-9A-Za-z_$]{22}')");
  return std::regex_replace(std::regex_replace(text, stamp, "<stamp>"), globalId, "('<id>'");
}

class AddinCliParityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile = dir / "road.ZM";
    tpl = dir / "road.tpl";
    WriteTextFile(profile, "QuillbeckFile2.0-ZM\r\n0,300,1100,302.5,2000,300,3000\r\n");
    SaveTemplateText(tpl, TemplateExampleText());
    MemoryWorkbook book;
    Survey(book.Active());
    StationTable(book.AppendSheet(kStationSheetName));
    workbook = dir / "road.xlsx";
    SaveWorkbook(book, workbook);
  }

  TempDir dir{"addin-parity"};
  std::string profile, tpl, workbook;
  ScriptedUi ui;
  ScriptedDialogs dialogs;
  RecordingShell shell{"/opt/kestrel"};
};

TEST_F(AddinCliParityTest, ExportWritesWhatTheToolWritesAndRefusesWithoutACentreLine) {
  std::filesystem::create_directories(dir.Path() / "tool");
  std::filesystem::create_directories(dir.Path() / "addin");
  const std::string log = dir / "tool.log";
  ASSERT_EQ(RunTool({"export", workbook, "--profile", profile, "--template", tpl, "--landxml", dir / "tool/road.xml",
                     "--ifc", dir / "tool/road.ifc"},
                    log),
            0)
      << ReadBytes(log);

  std::unique_ptr<MemoryWorkbook> book = LoadWorkbook(workbook);
  CommandContext context{*book, {ui, shell, dialogs}};
  FormExport form(ui);
  ui.QueueSaveFile(dir / "addin/road.xml");
  dialogs.Queue([&](Presenter& p) {
    auto& f = dynamic_cast<FormExport&>(p);
    f.OnCommandOKClick();  // no target: said, and the dialog stays
    EXPECT_TRUE(f.Visible());
    f.OnBrowseLandXmlClick();
    f.TextIfc.text = " " + (dir / "addin/road.ifc") + " ";
    f.TextTemplate.text = tpl;
    f.OnCommandOKClick();  // a template without a profile: said, and the dialog stays
    EXPECT_TRUE(f.Visible());
    f.TextProfile.text = profile;
    f.OnCommandOKClick();
  });
  ASSERT_EQ(ExportRoadCommand(context, form), CommandOutcome::Completed);
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Messages()[0].text, "请指定要导出的 LandXML 文件或 IFC 文件！");
  EXPECT_EQ(ui.Messages()[1].text, "使用路基模板文件时请选择纵断面文件！");
  EXPECT_EQ(ui.Messages()[2].text, "已导出 12 个横断面：\r\n" + (dir / "addin/road.xml") + "\r\n" + (dir / "addin/road.ifc"));
  ASSERT_EQ(ui.Prompts().size(), 1u);
  EXPECT_EQ(ui.Prompts()[0].kind, PromptKind::SaveAs);
  for (const char* name : {"road.xml", "road.ifc"}) {
    const std::string tool = ReadBytes(dir.Path() / "tool" / name), addin = ReadBytes(dir.Path() / "addin" / name);
    EXPECT_GT(tool.size(), 1000u) << name;
    EXPECT_EQ(WithoutStamp(addin), WithoutStamp(tool)) << name;
  }

  // Without the station-coordinate sheet: the user is told, and nothing is written.
  const int sheetsBefore = book->SheetCount();
  book->Activate(0);
  book->Sheet(1).Rename("别的表");
  std::filesystem::remove(dir.Path() / "addin/road.xml");
  std::filesystem::remove(dir.Path() / "addin/road.ifc");
  dialogs.Queue([](Presenter& p) { dynamic_cast<FormExport&>(p).OnCommandOKClick(); });  // the last entries kept
  EXPECT_EQ(ExportRoadCommand(context, form), CommandOutcome::Stopped);
  ASSERT_EQ(ui.Messages().size(), 4u);
  EXPECT_EQ(ui.Messages()[3].title, "失败");
  EXPECT_NE(ui.Messages()[3].text.find("没有平面线形"), std::string::npos) << ui.Messages()[3].text;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "addin/road.xml"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "addin/road.ifc"));
  EXPECT_EQ(book->SheetCount(), sheetsBefore);
}

// Every cell of a sheet as the file holds it: formula (or constant as typed) and value.
std::vector<std::string> CellsOf(MemoryWorksheet& sheet) {
  std::vector<std::string> cells;
  const std::optional<RangeRef> used = sheet.UsedRange();
  if (!used) return cells;
  for (int r = used->first.row; r <= used->last.row; ++r)
    for (int c = used->first.column; c <= used->last.column; ++c)
      cells.push_back(std::to_string(r) + "," + std::to_string(c) + " " + sheet.Formula({r, c}) + " | " +
                      sheet.Value({r, c}).AsText());
  return cells;
}

TEST_F(AddinCliParityTest, DistributionAddsTheToolsTableAndDrawsItsDiagram) {
  // The design results the distribution starts from, made by the design command on the survey.
  {
    std::unique_ptr<MemoryWorkbook> book = LoadWorkbook(workbook);
    CommandContext context{*book, {ui, shell, dialogs}};
    DesignRequest request;
    request.Files = {profile, "", "", tpl};
    ASSERT_EQ(RunDesign(context, request), CommandOutcome::Completed);
    RecalculateWorkbook(*book);  // as the host does
    SaveWorkbook(*book, workbook);
  }
  const std::string log = dir / "tool.log";
  ASSERT_EQ(RunTool({"haul", workbook, "-o", dir / "tool.xlsx", "--free-haul", "40", "--overhaul-price", "12.5",
                     "--borrow-price", "18", "--waste-price", "4", "--borrow-distance", "800", "--road-class",
                     "三、四级", "--class", "K1+000,K1+100,10,40,20,30,0,0", "--class", "1100,1220,0,0,20,30,30,20",
                     "--exclude", "K1+120,K1+140", "--barrier", "K1+170", "--prismoidal", "--frustum-ratio", "3",
                     "--rows-per-page", "5", "--diagram", dir / "tool.svg"},
                    log),
            0)
      << ReadBytes(log);

  std::unique_ptr<MemoryWorkbook> book = LoadWorkbook(workbook);
  const int sheets = book->SheetCount();
  CommandContext context{*book, {ui, shell, dialogs}};
  FormHaul form(ui, WriteMassHaulPage);
  ui.QueueSaveFile(dir / "addin.svg");
  dialogs.Queue([&](Presenter& p) {
    auto& f = dynamic_cast<FormHaul&>(p);
    f.TextFreeHaul.text = "40";
    f.TextOverhaul.text = "12.5";
    f.TextBorrowPrice.text = "18";
    f.TextWastePrice.text = "4";
    f.TextBorrowDistance.text = "800";
    f.ComboRoadClass.listIndex = 1;
    f.TextClasses.text = "K1+000,K1+100,10,40,20,30,0,0\r\n\r\n1100,1220,0,0,20,30,30,20\r\n";
    f.TextExcluded.text = "K1+120,K1+140";
    f.TextBarriers.text = "K1+17O";  // a letter O for a zero: said, and the dialog stays
    f.OnCommandOKClick();
    EXPECT_TRUE(f.Visible());
    f.TextBarriers.text = "K1+170";
    f.CheckPrismoidal.checked = true;
    f.TextFrustum.text = "3";
    f.TextRowsPerPage.text = "5";
    f.OnBrowseDiagramClick();
    f.OnCommandOKClick();
  });
  ASSERT_EQ(HaulDistributionCommand(context, form), CommandOutcome::Completed);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].title, "提示");
  EXPECT_NE(ui.Messages()[0].text.find("K1+17O"), std::string::npos) << ui.Messages()[0].text;
  EXPECT_NE(ui.Messages()[1].text.find("已调配 "), std::string::npos) << ui.Messages()[1].text;
  ASSERT_EQ(book->SheetCount(), sheets + 1);
  RecalculateWorkbook(*book);
  SaveWorkbook(*book, dir / "addin.xlsx");

  std::unique_ptr<MemoryWorkbook> tool = LoadWorkbook(dir / "tool.xlsx");
  std::unique_ptr<MemoryWorkbook> addin = LoadWorkbook(dir / "addin.xlsx");
  ASSERT_EQ(addin->Sheet(0).Value({1, 1}), tool->Sheet(0).Value({1, 1}));
  const std::vector<std::string> toolCells = CellsOf(tool->Sheet(0)), addinCells = CellsOf(addin->Sheet(0));
  EXPECT_GT(toolCells.size(), 300u);
  EXPECT_EQ(addinCells, toolCells);
  const std::string toolPage = ReadBytes(dir / "tool.svg");
  EXPECT_NE(toolPage.find("<svg"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "addin.svg"), toolPage);
}

}  // namespace
}  // namespace kestrel
