// The drawing settings dialog: defaults, reading entries, closing, the clipboard watcher.
#include "sections/form_set.h"

#include "support/command_fixture.h"
#include "support/fake_clipboard_timer.h"

namespace kestrel {
namespace {

class FormSetTest : public CommandFixture {
 protected:
  MemoryClipboard clipboard;
  ManualTimer timer;
  FormSet form{session.Sections, ui, shell, &clipboard, &timer};

  void ShowAnd(std::function<void(FormSet&)> action) {
    dialogs.Queue([action](Presenter& p) { action(dynamic_cast<FormSet&>(p)); });
    form.Show(dialogs, session.HostApplication);
  }
};

TEST_F(FormSetTest, DefaultsAtFirstLoad) {
  form.Show(dialogs, session.HostApplication);
  EXPECT_EQ(form.uc1.text, "横断面设置");
  EXPECT_EQ(form.uc2.text, "桩号标注（相对于断面零坐标）");
  EXPECT_EQ(form.UC3.text, "高程与偏距标注");
  EXPECT_EQ(form.TextBoxCol.text, "200");
  EXPECT_EQ(form.TextBoxRow.text, "0");
  EXPECT_EQ(form.TextBoxZHX.text, "0");
  EXPECT_EQ(form.TextBoxZHX.toolTip, "建议值：0");
  EXPECT_EQ(form.TextBoxZHY.text, "20");
  EXPECT_EQ(form.TextBoxZHY.toolTip, "建议值：①比设计横断面中桩高程低1-5 ②或者比实测横断面中桩高程低1-5");
  EXPECT_EQ(form.TextBoxZHsize.text, "1");
  EXPECT_EQ(form.Text5.text, "MC");
  EXPECT_EQ(form.ComboHeightModel.items, (std::vector<std::string>{"只标中桩", "只标左中右", "标注全部"}));
  EXPECT_EQ(form.ComboHeightModel.listIndex, 1);
  EXPECT_EQ(form.TextBoxHeightDigit.text, "3");
  EXPECT_EQ(form.TextBoxHeightSize.text, "0.7");
  EXPECT_EQ(form.TextBoxDrawD.text, "同时标注偏距");
  EXPECT_FALSE(form.TextBoxDrawD.checked);
  EXPECT_EQ(form.CheckAddFile.text, "断面文件");
  EXPECT_EQ(form.CommandOK.text, "计算");
  EXPECT_EQ(form.LabelInfo[11].text, "标注模式");
  EXPECT_TRUE(form.LabelInfo[6].handCursor);
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_FALSE(timer.Running());
}

TEST_F(FormSetTest, OkReadsLeadingNumbersAndTheChoices) {
  ShowAnd([](FormSet& f) {
    f.TextBoxCol.text = "12abc";
    f.TextBoxRow.text = "";
    f.TextBoxZHX.text = " -1.5";
    f.TextBoxZHY.text = "x";
    f.TextBoxZHsize.text = "2.5m";
    f.TextBoxHeightSize.text = "1.4";
    f.TextBoxHeightDigit.text = "2";
    f.ComboHeightModel.listIndex = 2;
    f.TextBoxDrawD.checked = true;
    f.OnCommandOKClick();
  });
  ASSERT_TRUE(form.Request().has_value());
  const DrawRequest& s = *form.Request();
  EXPECT_EQ(s.ColumnSpacing, 12);
  EXPECT_EQ(s.RowSpacing, 0);
  EXPECT_EQ(s.StationLabelDX, -1.5);
  EXPECT_EQ(s.StationLabelDY, 0);
  EXPECT_EQ(s.StationTextHeight, 2.5);
  EXPECT_EQ(s.LevelTextHeight, 1.4);
  EXPECT_EQ(s.LevelDigits, 2);
  EXPECT_EQ(s.LabelMode, 2);
  EXPECT_TRUE(s.LabelOffsets);
  EXPECT_FALSE(form.Visible());
}

TEST_F(FormSetTest, CancelCloseAndThePictureAllCancel) {
  ShowAnd([](FormSet& f) { f.OnCommandOKClick(); });
  ASSERT_TRUE(form.Request().has_value());
  ShowAnd([](FormSet& f) { f.OnCommandCancelClick(); });
  EXPECT_FALSE(form.Request().has_value());
  form.Show(dialogs, session.HostApplication);  // the close box
  EXPECT_FALSE(form.Request().has_value());
  session.Sections.DicFileName = "road.Dic";
  session.Sections.StationDictionary = {{1, 2, 3, 4}};
  ShowAnd([](FormSet& f) { f.OnImageViewClick(); });
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_EQ(book.SheetCount(), 2);
}

TEST_F(FormSetTest, EntriesStayForTheNextShowing) {
  ShowAnd([](FormSet& f) {
    f.TextBoxCol.text = "150";
    f.OnCommandOKClick();
  });
  std::string seen;
  ShowAnd([&](FormSet& f) { seen = f.TextBoxCol.text; });
  EXPECT_EQ(seen, "150");
}

TEST_F(FormSetTest, TheDictionaryBoxSetsItsOwnFlag) {
  ShowAnd([](FormSet& f) {
    f.CheckAddFile.checked = true;
    f.OnCheckAddFileClick();
    f.OnCommandOKClick();
  });
  EXPECT_TRUE(form.Request()->UseDictionary);
  EXPECT_FALSE(SortDialog().CheckAddFile.checked);  // the sort dialog's box is another one
  EXPECT_TRUE(form.CBFileAdd.enabled);
  // Cancelling the file dialog keeps what was loaded.
  session.Sections.DicFileName = "kept.Dic";
  ShowAnd([](FormSet& f) { f.OnCBFileAddClick(); });
  EXPECT_EQ(session.Sections.DicFileName, "kept.Dic");
  EXPECT_EQ(form.TextFileName.text, "kept.Dic");
}

TEST_F(FormSetTest, TheWatcherStripsQuotesFromCopiedLabels) {
  ShowAnd([](FormSet& f) {
    f.TextBoxDrawD.checked = true;
    f.OnTextBoxDrawDClick();
    f.OnCommandOKClick();
  });
  ASSERT_TRUE(timer.Running());
  EXPECT_EQ(timer.interval, 1000);
  // Hidden, the dialog still watches.
  clipboard.text = "\"pl 200,100 200.4,100.6 199.6,100.6 c -text j MC 200,102 0.7 0 %%U100\r -text j MC 200,101.05 "
                   "0.7 0 \"\"-4\"\"\"";
  timer.Elapse();
  EXPECT_EQ(*clipboard.text,
            "pl 200,100 200.4,100.6 199.6,100.6 c -text j MC 200,102 0.7 0 %%U100\r -text j MC 200,101.05 0.7 0 -4");
  // Other texts are left alone.
  for (const char* other : {"pl 200,100", "x\"pl", "\"PL 1,2\"", "\"p"}) {
    clipboard.text = other;
    timer.Elapse();
    EXPECT_EQ(*clipboard.text, other);
  }
  clipboard.busy = true;
  EXPECT_NO_THROW(timer.Elapse());
  clipboard.busy = false;

  ShowAnd([](FormSet& f) {
    f.TextBoxDrawD.checked = false;
    f.OnTextBoxDrawDClick();
  });
  EXPECT_FALSE(timer.Running());
  clipboard.text = "\"pl 1,2\"";
  timer.Elapse();
  EXPECT_EQ(*clipboard.text, "\"pl 1,2\"");
}

TEST_F(FormSetTest, WithoutAClipboardThereIsNoWatcher) {
  FormSet bare(session.Sections, ui, shell, nullptr, nullptr);
  bare.TextBoxDrawD.checked = true;
  EXPECT_NO_THROW(bare.OnTextBoxDrawDClick());
  EXPECT_NO_THROW(bare.OnTimerTick());
}

}  // namespace
}  // namespace kestrel
