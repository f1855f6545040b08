// Tests of the scripted Ui double: queued answers, defaults and the record of what was shown.
#include <gtest/gtest.h>

#include "host_doubles/scripted_ui.h"

namespace kestrel {
namespace {

TEST(ScriptedUiTest, YesNoBoxesTakeQueuedAnswersThenSayNo) {
  ScriptedUi ui;
  ui.QueueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(ui.MessageBox("继续?", "提示", MessageButtons::YesNo, MessageIcon::Information), MessageAnswer::Yes);
  EXPECT_EQ(ui.MessageBox("again?", "提示", MessageButtons::YesNo, MessageIcon::Information), MessageAnswer::No);
}

TEST(ScriptedUiTest, OkBoxesAnswerOkWithoutTakingAQueuedAnswer) {
  ScriptedUi ui;
  ui.QueueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(ui.MessageBox("有错误，提示有错误！", "提示", MessageButtons::Ok, MessageIcon::None), MessageAnswer::Ok);
  EXPECT_EQ(ui.PendingAnswers(), 1u);
  EXPECT_EQ(ui.MessageBox("q", "t", MessageButtons::YesNo, MessageIcon::None), MessageAnswer::Yes);
}

TEST(ScriptedUiTest, RecordsEveryMessageBox) {
  ScriptedUi ui;
  ui.MessageBox("one", "错误", MessageButtons::Ok, MessageIcon::None);
  ui.MessageBox("two", "提示", MessageButtons::YesNo, MessageIcon::Information);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "one");
  EXPECT_EQ(ui.Messages()[0].title, "错误");
  EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(ui.Messages()[1].icon, MessageIcon::Information);
  EXPECT_EQ(ui.Messages()[1].buttons, MessageButtons::YesNo);
}

TEST(ScriptedUiTest, FilePromptsTakeTheirOwnQueuesAndCancelWhenEmpty) {
  ScriptedUi ui;
  ui.QueueOpenFile("C:\\road\\a.Dic");
  ui.QueueOpenFile(std::nullopt);
  ui.QueueSaveFile("C:\\road\\b.ZM");
  const char* filter = "KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*";
  EXPECT_EQ(ui.GetSaveAsFilename("profile.ZM", "ZM (*.ZM), *.ZM", "保存"), "C:\\road\\b.ZM");
  EXPECT_EQ(ui.GetOpenFilename(filter, "打开"), "C:\\road\\a.Dic");
  EXPECT_EQ(ui.GetOpenFilename(filter, "打开"), std::nullopt);
  EXPECT_EQ(ui.GetOpenFilename(filter, "打开"), std::nullopt);
  EXPECT_EQ(ui.GetSaveAsFilename("x", "y", "z"), std::nullopt);
  EXPECT_EQ(ui.PendingFiles(), 0u);
  ASSERT_EQ(ui.Prompts().size(), 5u);
  EXPECT_EQ(ui.Prompts()[0].kind, PromptKind::SaveAs);
  EXPECT_EQ(ui.Prompts()[0].initialName, "profile.ZM");
  EXPECT_EQ(ui.Prompts()[0].filter, "ZM (*.ZM), *.ZM");
  EXPECT_EQ(ui.Prompts()[1].kind, PromptKind::Open);
  EXPECT_EQ(ui.Prompts()[1].filter, filter);
  EXPECT_EQ(ui.Prompts()[1].title, "打开");
  EXPECT_EQ(ui.Prompts()[1].initialName, "");
}

}  // namespace
}  // namespace kestrel
