// The volume sheet dialog: defaults, the count-mode rule, OK's arithmetic, closing, links.
#include "volumes/form_draw_v_sheet.h"

#include "support/command_fixture.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kTooFew =
    "以下注意事项:\r\n\r\n1.请执行第二步绘制数据之后,再重新检测断面数量!\r\n2.并保证断面数量至少有2个!";

class FormDrawVSheetTest : public CommandFixture {
 protected:
  FormDrawVSheet form{session.Sections, ui, shell};

  void ShowAnd(std::function<void(FormDrawVSheet&)> action) {
    dialogs.Queue([action](Presenter& p) { action(dynamic_cast<FormDrawVSheet&>(p)); });
    form.Show(dialogs);
  }
  // OK after typing the number of sections; whether the dialog stayed open.
  bool Accept(const std::string& typed) {
    bool open = false;
    ShowAnd([&](FormDrawVSheet& f) {
      f.TextDrawDMnumber.text = typed;
      f.OnCommandOKClick();
      open = f.Visible();
    });
    return open;
  }
  void ChooseCountMode(int index) {
    ShowAnd([&](FormDrawVSheet& f) {
      f.ComboHDMnumber.listIndex = index;
      f.OnComboHDMnumberClick();
    });
  }
  void Record(int sections) {
    session.Sections.SectionList.assign(sections, SectionRecord{});
    session.Sections.SectionCount = sections;
  }
};

TEST_F(FormDrawVSheetTest, StartsWithItsCaptionsAndDefaults) {
  EXPECT_EQ(form.uc1.text, "设置方量计算表");
  EXPECT_EQ(form.CommandOK.text, "绘表");
  EXPECT_EQ(form.CommandCancel.text, "取消");
  EXPECT_EQ(form.TextDrawDMnumber.text, "16");
  EXPECT_EQ(form.LabelInfo[11].text, "方量计算表内容");
  EXPECT_EQ(form.LabelInfo[0].text, "是否智能填桩号");
  EXPECT_EQ(form.LabelInfo[1].text, "横断面数量");
  EXPECT_EQ(form.LabelInfo[6].text, "检查更新");
  EXPECT_EQ(form.LabelInfo[7].text, "更多原创软件");
  EXPECT_EQ(form.LabelInfo.size(), 5u);
  EXPECT_EQ(form.DialogName(), std::string("FormDrawVSheet"));
  EXPECT_FALSE(form.Request().has_value());  // nothing before the first use
  form.Show(dialogs);
  EXPECT_EQ(form.ComboVMode.items, (Strings{"实测", "设计+实测", "设计+实测+剩余"}));
  EXPECT_EQ(form.ComboVMode.listIndex, 1);
  EXPECT_EQ(form.ComboHDMnumber.items, (Strings{"检测横断面数量+填入桩号", "填入横断面数量+不填入桩号"}));
  EXPECT_EQ(form.ComboHDMnumber.listIndex, 1);
  EXPECT_TRUE(form.LabelInfo[6].handCursor);
  EXPECT_TRUE(form.LabelInfo[7].handCursor);
  EXPECT_FALSE(form.LabelInfo[0].handCursor);
  EXPECT_EQ(form.TextDrawDMnumber.text, "16");
  EXPECT_TRUE(ui.Messages().empty());  // loading selects the second count mode, which says nothing
}

TEST_F(FormDrawVSheetTest, OkTurnsTheTypedNumberIntoTheTotalsRow) {
  // Absolute value of the leading number, plus 4, to the nearest whole number with halves to
  // even, at least 6.
  const std::vector<std::pair<std::string, int>> cases = {
      {"16", 20}, {"0", 6},    {"", 6},     {"abc", 6},   {"-10", 14},   {"2.5", 6},       {"3.5", 8},
      {"1", 6},   {"2", 6},    {"3", 7},    {"12段", 16}, {" 7", 11},    {"1e3", 1004},    {"-0.4", 6},
      {"4.5", 8}, {"5.5", 10}, {"9.49", 13}, {"2147483643", 2147483647}, {"2147483642.5", 2147483646}};
  for (const auto& [typed, last] : cases) {
    SCOPED_TRACE(typed);
    EXPECT_FALSE(Accept(typed));
    EXPECT_EQ(form.Request()->LastRow, last);
    EXPECT_TRUE(form.Request().has_value());
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FormDrawVSheetTest, ANumberBeyondThirtyTwoBitsLeavesTheDialogOpen) {
  ASSERT_FALSE(Accept("20"));
  for (const char* typed : {"2147483643.5", "2147483644", "-2147483644", "1e12", "1e400"}) {
    SCOPED_TRACE(typed);
    bool open = false;
    ShowAnd([&](FormDrawVSheet& f) {
      f.ComboVMode.listIndex = 2;
      f.TextDrawDMnumber.text = typed;
      f.OnCommandOKClick();
      open = f.Visible();
    });
    EXPECT_TRUE(open);
    EXPECT_FALSE(form.Request().has_value());  // the refused OK asks for nothing; then the close box
  }
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FormDrawVSheetTest, TheVariantFollowsTheList) {
  for (int index : {0, 1, 2}) {
    ShowAnd([&](FormDrawVSheet& f) {
      f.ComboVMode.listIndex = index;
      f.OnCommandOKClick();
    });
    EXPECT_EQ(form.Request()->Variant, (index + 1) * 2);
    EXPECT_FALSE(form.Request()->FillStations);
  }
}

TEST_F(FormDrawVSheetTest, DetectingBeforeAnyDrawDataExplainsAndFallsBack) {
  for (int recorded : {0, 1}) {
    SCOPED_TRACE(recorded);
    Record(recorded);
    const size_t before = ui.Messages().size();
    ShowAnd([](FormDrawVSheet& f) { f.TextDrawDMnumber.text = "9"; });
    ChooseCountMode(FormDrawVSheet::kDetectSections);
    ASSERT_EQ(ui.Messages().size(), before + 1);
    const ShownMessage& shown = ui.Messages().back();
    EXPECT_EQ(shown.text, kTooFew);
    EXPECT_EQ(shown.title, "提示");
    EXPECT_EQ(shown.icon, MessageIcon::Information);
    EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    EXPECT_EQ(form.ComboHDMnumber.listIndex, FormDrawVSheet::kTypeSections);
    EXPECT_EQ(form.TextDrawDMnumber.text, "9");  // kept
  }
}

TEST_F(FormDrawVSheetTest, DetectingTakesTheRecordedCountAndAsksForStations) {
  Record(37);
  ChooseCountMode(FormDrawVSheet::kDetectSections);
  EXPECT_EQ(form.TextDrawDMnumber.text, "37");
  EXPECT_EQ(form.ComboHDMnumber.listIndex, FormDrawVSheet::kDetectSections);
  ShowAnd([](FormDrawVSheet& f) { f.OnCommandOKClick(); });
  EXPECT_TRUE(form.Request()->FillStations);
  EXPECT_EQ(form.Request()->LastRow, 41);
  // A later draw-data run is seen on the next choice; the second mode changes nothing.
  Record(2);
  ChooseCountMode(FormDrawVSheet::kDetectSections);
  EXPECT_EQ(form.TextDrawDMnumber.text, "2");
  ShowAnd([](FormDrawVSheet& f) { f.TextDrawDMnumber.text = "5"; });
  ChooseCountMode(FormDrawVSheet::kTypeSections);
  EXPECT_EQ(form.TextDrawDMnumber.text, "5");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FormDrawVSheetTest, EveryCloseCancelsAndEveryEntryIsKept) {
  ShowAnd([](FormDrawVSheet& f) {
    f.ComboVMode.listIndex = 2;
    f.TextDrawDMnumber.text = "30";
    f.OnCommandOKClick();
  });
  ASSERT_TRUE(form.Request().has_value());
  form.Show(dialogs);  // nothing queued: closed with the close box
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_FALSE(form.Visible());
  ShowAnd([](FormDrawVSheet& f) { f.OnCommandCancelClick(); });
  EXPECT_FALSE(form.Request().has_value());
  EXPECT_FALSE(form.Visible());
  // The entries survive, and loading happens once: the list is not filled twice.
  EXPECT_EQ(form.ComboVMode.listIndex, 2);
  EXPECT_EQ(form.TextDrawDMnumber.text, "30");
  EXPECT_EQ(form.ComboVMode.items.size(), 3u);
  ShowAnd([](FormDrawVSheet& f) { f.OnCommandOKClick(); });
  EXPECT_EQ(form.Request()->Variant, 6);
  EXPECT_EQ(form.Request()->LastRow, 34);
  EXPECT_EQ(dialogs.Shown(), (Strings(4, "FormDrawVSheet")));
}

TEST_F(FormDrawVSheetTest, LinkLabelsOpenTheirPages) {
  form.OnLabelInfoClick(6);
  form.OnLabelInfoClick(7);
  form.OnLabelInfoClick(0);
  form.OnLabelInfoClick(11);
  ASSERT_EQ(shell.opened.size(), 4u);
  EXPECT_EQ(shell.opened[0].first, WebTarget("index", shell.ModuleFolder()));
  for (int i = 1; i < 4; ++i) EXPECT_EQ(shell.opened[i].first, WebTarget("Corvane", shell.ModuleFolder()));
  EXPECT_NE(shell.opened[0].first, shell.opened[1].first);
}

TEST_F(FormDrawVSheetTest, TheCaptionBandSpansTheTop) {
  form.uc1.left = 30;
  form.uc1.top = 12;
  const int height = form.uc1.height;
  form.OnResize(412);
  EXPECT_EQ(form.uc1.left, 0);
  EXPECT_EQ(form.uc1.top, 0);
  EXPECT_EQ(form.uc1.width, 412);
  EXPECT_EQ(form.uc1.height, height);
}

}  // namespace
}  // namespace kestrel
