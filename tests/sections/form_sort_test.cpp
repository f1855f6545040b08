// The sort dialog: entries, validation, the dictionary file button, links, closing.
#include "sections/form_sort.h"

#include "sections/dictionary_file.h"
#include "support/command_fixture.h"
#include "util/unicode.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

class FormSortTest : public CommandFixture {
 protected:
  FormSort form{session.Sections, ui, shell};

  // Shows the dialog and plays one user action on it.
  void ShowAnd(std::function<void(FormSort&)> action) {
    dialogs.Queue([action](Presenter& p) { action(dynamic_cast<FormSort&>(p)); });
    form.Show(dialogs, session.HostApplication);
  }
  void Accept(const std::string& spacing) {
    ShowAnd([&](FormSort& f) {
      f.TextBoxDistance.text = spacing;
      f.OnCommandOKClick();
    });
  }
};

TEST_F(FormSortTest, StartsWithItsCaptionsAndDefaults) {
  EXPECT_EQ(form.CommandOK.text, "排序");
  EXPECT_EQ(form.CommandCancel.text, "取消");
  EXPECT_EQ(form.uc1.text, "横断面初步整理");
  EXPECT_EQ(form.CheckAddFile.text, "匹配断面文件桩号");
  EXPECT_FALSE(form.CheckAddFile.checked);
  EXPECT_EQ(form.TextOffset.text, "1");
  EXPECT_FALSE(form.TextOffset.enabled);
  EXPECT_TRUE(form.CheckDistance.checked);
  EXPECT_EQ(form.TextBoxDistance.text, "5");
  EXPECT_EQ(form.TextBoxDistance.toolTip, "间距请填入大于零的整数,例如:5米填入5,10米填入10");
  EXPECT_TRUE(form.TextFileName.readOnly);
  EXPECT_FALSE(form.CBFileAdd.enabled);
  EXPECT_EQ(form.CBFileAdd.text, "..");
  EXPECT_EQ(form.LabelInfo[0].text, "允许偏差精度(米)");
  EXPECT_EQ(form.LabelInfo[6].text, "检查更新");
  EXPECT_EQ(form.LabelInfo[7].text, "更多原创软件");
  form.Show(dialogs, session.HostApplication);
  EXPECT_TRUE(form.LabelInfo[6].handCursor);
  EXPECT_TRUE(form.LabelInfo[7].handCursor);
  EXPECT_FALSE(form.Frame1.visible);
}

TEST_F(FormSortTest, AcceptsWholeSpacingsAboveZero) {
  Accept("5");
  EXPECT_TRUE(form.Request().has_value());
  EXPECT_EQ(form.Request()->Spacing, 5);
  EXPECT_FALSE(form.Visible());
  Accept(" 10 ");
  EXPECT_EQ(form.Request()->Spacing, 10);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FormSortTest, RefusesEverythingElseAndStaysOpen) {
  for (const char* bad : {"0", "-5", "abc", "", "2.5", "5m", "1e12"}) {
    SCOPED_TRACE(bad);
    size_t shown = ui.Messages().size();
    bool stayedOpen = false;
    ShowAnd([&](FormSort& f) {
      f.TextBoxDistance.text = bad;
      f.OnCommandOKClick();
      stayedOpen = f.Visible();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(form.Request().has_value());
    ASSERT_EQ(ui.Messages().size(), shown + 1);
    EXPECT_EQ(ui.Messages().back().title, "错误");
    EXPECT_EQ(ui.Messages().back().text, "横断面整理间距请填入大于零的整数,例如:5米填入5,10米填入10");
    EXPECT_EQ(ui.Messages().back().icon, MessageIcon::None);
  }
}

TEST_F(FormSortTest, ToleranceIsTheAbsoluteLeadingNumber) {
  ShowAnd([](FormSort& f) {
    f.TextOffset.text = "-2";
    f.OnCommandOKClick();
  });
  EXPECT_EQ(form.Request()->MatchTolerance, 2);
  ShowAnd([](FormSort& f) {
    f.TextOffset.text = "abc";
    f.OnCommandOKClick();
  });
  EXPECT_EQ(form.Request()->MatchTolerance, 0);
  ShowAnd([](FormSort& f) {
    f.TextOffset.text = "0.5米";
    f.OnCommandOKClick();
  });
  EXPECT_EQ(form.Request()->MatchTolerance, 0.5);
}

TEST_F(FormSortTest, EveryShowingStartsCancelled) {
  Accept("5");
  ASSERT_TRUE(form.Request().has_value());
  form.Show(dialogs, session.HostApplication);  // closed with the close box
  EXPECT_FALSE(form.Request().has_value());
  ShowAnd([](FormSort& f) { f.OnCommandCancelClick(); });
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_FALSE(form.Visible());
}

TEST_F(FormSortTest, TheDictionaryBoxEnablesItsControls) {
  ShowAnd([](FormSort& f) {
    f.CheckAddFile.checked = true;
    f.OnCheckAddFileClick();
    f.OnCommandOKClick();
  });
  EXPECT_TRUE(form.Request()->UseDictionary);
  EXPECT_TRUE(form.TextOffset.enabled);
  EXPECT_TRUE(form.CBFileAdd.enabled);
  EXPECT_TRUE(form.TextFileName.enabled);
  EXPECT_TRUE(form.Frame1.enabled);
  ShowAnd([](FormSort& f) {
    f.CheckAddFile.checked = false;
    f.OnCheckAddFileClick();
    f.OnCommandOKClick();
  });
  EXPECT_FALSE(form.Request()->UseDictionary);
  EXPECT_FALSE(form.CBFileAdd.enabled);
}

TEST_F(FormSortTest, TheSpacingBoxCannotBeUnticked) {
  ShowAnd([](FormSort& f) {
    f.CheckDistance.checked = false;
    f.OnCheckDistanceClick();
  });
  EXPECT_TRUE(form.CheckDistance.checked);
}

TEST_F(FormSortTest, LoadsADictionaryFileAndShowsItsPath) {
  std::string path = TempPath("a-rather-long-folder-name/road.Dic");
  std::filesystem::create_directories(std::filesystem::path(PathFromUtf8(path)).parent_path());
  ASSERT_EQ(WriteTextFile(path, "KestrelFile2.0\r\n12230,1000,500,310\r\n", true), 1);
  ui.QueueOpenFile(path);
  ShowAnd([](FormSort& f) { f.OnCBFileAddClick(); });
  EXPECT_EQ(ui.Prompts()[0].filter, "KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*");
  EXPECT_EQ(ui.Prompts()[0].title, "选择断面位置字典文件");
  EXPECT_EQ(session.Sections.DicFileName, path);
  EXPECT_EQ(form.TextFileName.text, path);
  EXPECT_EQ(form.TextFileName.caret, static_cast<int>(CodePointCount(path)));
  EXPECT_TRUE(form.Frame1.visible);
  ASSERT_EQ(session.Sections.StationDictionary.size(), 1u);

  // Cancelling the file dialog keeps the loaded dictionary and its path.
  ShowAnd([](FormSort& f) { f.OnCBFileAddClick(); });
  EXPECT_EQ(session.Sections.DicFileName, path);
  EXPECT_EQ(form.TextFileName.text, path);
  EXPECT_EQ(form.TextFileName.toolTip, path);  // the showing repainted it
}

TEST_F(FormSortTest, AnInvalidFileIsRefusedAndClearsThePath) {
  session.Sections.DicFileName = "old.Dic";
  std::string path = TempPath("bad.Dic");
  ASSERT_EQ(WriteTextFile(path, "not a dictionary\r\n", true), 1);
  ui.QueueOpenFile(path);
  ShowAnd([](FormSort& f) { f.OnCBFileAddClick(); });
  EXPECT_EQ(session.Sections.DicFileName, "");
  EXPECT_EQ(form.TextFileName.text, "");
  EXPECT_FALSE(form.Frame1.visible);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "你打开的不是有效的断面位置字典文件!");
  EXPECT_EQ(ui.Messages()[0].title, "失败");
  EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Information);
}

TEST_F(FormSortTest, ThePictureListsTheDictionaryAndCancelsTheSort) {
  session.Sections.DicFileName = "road.Dic";
  session.Sections.StationDictionary = {{12230, 1000, 500, 310}};
  ShowAnd([](FormSort& f) { f.OnImageViewClick(); });
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_FALSE(form.Visible());
  ASSERT_EQ(book.SheetCount(), 2);
  EXPECT_EQ(book.Active().Value({1, 1}), CellValue(12230));
}

TEST_F(FormSortTest, LinksOpenTheirPages) {
  form.OnLabelInfoClick(6);
  form.OnLabelInfoClick(7);
  form.OnLabelInfoClick(0);
  ASSERT_EQ(shell.opened.size(), 3u);
  EXPECT_NE(shell.opened[0].first.find("softid=152"), std::string::npos);
  EXPECT_EQ(shell.opened[1].first, std::string(SiteRoot()));
  EXPECT_EQ(shell.opened[2].first, std::string(SiteRoot()));
}

TEST_F(FormSortTest, TheTitleBandSpansTheWidth) {
  form.OnResize(320);
  EXPECT_EQ(form.uc1.left, 0);
  EXPECT_EQ(form.uc1.top, 0);
  EXPECT_EQ(form.uc1.width, 320);
  EXPECT_EQ(form.uc1.height, 24);
}

}  // namespace
}  // namespace kestrel
