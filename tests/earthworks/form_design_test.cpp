// The design dialog and its ribbon command on the in-memory workbook.
#include "earthworks/form_design.h"

#include "earthworks/design_results.h"
#include "support/command_fixture.h"

namespace kestrel {
namespace {

class FormDesignTest : public CommandFixture {
 protected:
  // Two sorted sections on level ground at 10 (K0+000) and 15 (K0+020), offsets -20 and 20.
  void Survey() {
    const double rows[][3] = {{0, -20, 10}, {0, 20, 10}, {-1, 0, 0}, {20, -20, 15}, {20, 20, 15}};
    int r = 1;
    for (const auto& row : rows) {
      if (row[0] >= 0) {
        Sheet().SetValue({r, 1}, "P");
        Sheet().SetValue({r, 4}, row[2]);
        Sheet().SetValue({r, 5}, row[0]);
        Sheet().SetValue({r, 6}, row[0]);
        Sheet().SetValue({r, 7}, row[1]);
      }
      ++r;
    }
  }
  void Files() {
    profile = TempPath("flat.ZM");
    tpl = TempPath("road.tpl");
    WriteTextFile(profile, "QuillbeckFile2.0-ZM\r\n0,12,50,12,100,12,0\r\n");
    WriteTextFile(tpl, "KestrelFile2.0-TPL\r\nhalf_width = 4\r\ncross_slope = 0\r\nshoulder_width = 0\r\n"
                       "fill_slopes = 1\r\ncut_slopes = 1\r\nditch = 0, 0, 1, 1\r\n");
  }
  std::string profile, tpl;
};

TEST_F(FormDesignTest, DialogTakesTheFilesAndTheCommandWritesTheResults) {
  Survey();
  Files();
  ui.QueueOpenFile(profile);
  ui.QueueOpenFile(std::nullopt);
  ui.QueueOpenFile(tpl);
  dialogs.Queue([](Presenter& p) {
    auto& form = dynamic_cast<FormDesign&>(p);
    form.OnBrowseProfileClick();
    form.TextTemplate.text = "kept";
    form.OnBrowseTemplateClick();  // cancelled: the box keeps its text
    EXPECT_EQ(form.TextTemplate.text, "kept");
    form.TextTemplate.text = "";
    form.OnCommandOKClick();  // no template: said, and the dialog stays
    EXPECT_TRUE(form.Visible());
    form.OnBrowseTemplateClick();
    form.ComboVariant.listIndex = 2;
    form.OnCommandOKClick();
  });
  CommandContext context = Context();
  FormDesign form(ui);
  EXPECT_EQ(DesignSectionsCommand(context, form), CommandOutcome::Completed);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "请选择纵断面文件和路基模板文件！");
  EXPECT_EQ(ui.Messages()[1].text, "已计算 2 个设计断面。");
  ASSERT_EQ(book.SheetCount(), 3);  // the volume sheet, the results, the survey
  EXPECT_EQ(book.Sheet(0).Value({4, 3}), CellValue(20.0));  // K0+000: fill 20 in C
  EXPECT_EQ(book.Sheet(0).Value({5, 2}), CellValue(33.0));  // K0+020: cut 33 in B
  EXPECT_EQ(book.Sheet(0).Value({2, 6}), CellValue("剩余面积(m2)"));  // variant 6
  ASSERT_TRUE(IsDesignResultsSheet(book.Sheet(1)));
  EXPECT_EQ(ReadDesignResults(book.Sheet(1)).size(), 2u);

  // The dialog is kept: its boxes hold the last names. A profile that cannot be read is said.
  book.Activate(2);
  WriteTextFile(profile, "not a profile\r\n");
  dialogs.Queue([this](Presenter& p) {
    auto& shown = dynamic_cast<FormDesign&>(p);
    EXPECT_EQ(shown.TextProfile.text, profile);
    shown.OnCommandOKClick();
  });
  EXPECT_EQ(DesignSectionsCommand(context, form), CommandOutcome::Stopped);
  EXPECT_EQ(ui.Messages().back().title, "失败");
  EXPECT_NE(ui.Messages().back().text.find(profile), std::string::npos);
  EXPECT_EQ(book.SheetCount(), 3);

  // Closed: nothing runs.
  EXPECT_EQ(DesignSectionsCommand(context, form), CommandOutcome::Cancelled);
  EXPECT_EQ(book.SheetCount(), 3);
}

}  // namespace
}  // namespace kestrel
