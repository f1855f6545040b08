// The ribbon as the host uses it: the description read as XML, and every control a user can click
// run through Connect by the callback name the description gives it, with what it does checked.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "addin/commands.h"
#include "addin/connect.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "support/recording_shell.h"
#include "util/web_links.h"

namespace kestrel {
namespace {

constexpr const char* kModuleFolder = "/opt/kestrel";

std::string RibbonXml() {
  Session session;
  ScriptedUi ui;
  RecordingShell shell{kModuleFolder};
  ScriptedDialogs dialogs;
  return Connect(session, ui, shell, dialogs).GetRibbonXML();
}

// The description's elements below `node` that have the attribute, in document order.
std::vector<pugi::xml_node> WithAttribute(const pugi::xml_node& node, const char* attribute) {
  std::vector<pugi::xml_node> found;
  for (const pugi::xpath_node& x : node.select_nodes((std::string("//*[@") + attribute + "]").c_str()))
    found.push_back(x.node());
  return found;
}

// What one click shows the user: the dialogs, prompts, messages and pages, one line each.
std::vector<std::string> Click(const std::string& callback) {
  Session session;
  ScriptedUi ui;
  RecordingShell shell{kModuleFolder};
  ScriptedDialogs dialogs;
  MemoryWorkbook book;
  Connect connect(session, ui, shell, dialogs);
  connect.OnConnection(&book);
  std::vector<std::string> shown;
  if (!connect.RunCallback(callback)) return {"no callback " + callback};
  for (const std::string& dialog : dialogs.Shown()) shown.push_back("dialog " + dialog);
  for (const ShownPrompt& prompt : ui.Prompts()) shown.push_back("prompt " + prompt.title);
  for (const auto& message : ui.Messages()) shown.push_back("message " + message.text);
  for (const auto& [target, folder] : shell.opened) shown.push_back("page " + target);
  EXPECT_TRUE(book.ScreenUpdating()) << callback << " leaves the host's screen updating on";
  connect.OnDisconnection();
  return shown;
}

std::string Page(const char* key) { return "page " + WebTarget(key, kModuleFolder); }

TEST(Ribbon, TheDescriptionIsOneTabOfGroupsInTheCustomUiNamespace) {
  pugi::xml_document document;
  const std::string xml = RibbonXml();
  const pugi::xml_parse_result parsed = document.load_string(xml.c_str());
  ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
  const pugi::xml_node root = document.document_element();
  EXPECT_STREQ(root.name(), "customUI");
  EXPECT_STREQ(root.attribute("xmlns").value(), "http://schemas.microsoft.com/office/2006/01/customui");
  EXPECT_STREQ(root.child("ribbon").attribute("startFromScratch").value(), "false");
  const pugi::xpath_node_set tabs = document.select_nodes("/customUI/ribbon/tabs/tab");
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_STREQ(tabs[0].node().attribute("label").value(), "Kestrel");
  // Every control sits in a group of the tab, and every id is the only one of its name.
  std::set<std::string> ids;
  for (const pugi::xml_node& control : WithAttribute(document, "id")) {
    EXPECT_TRUE(ids.insert(control.attribute("id").value()).second) << "id twice: " << control.attribute("id").value();
    if (std::string(control.name()) == "tab" || std::string(control.name()) == "group") continue;
    pugi::xml_node group = control.parent();
    while (group && std::string(group.name()) != "group") group = group.parent();
    EXPECT_TRUE(group) << control.attribute("id").value() << " is outside every group";
  }
  EXPECT_GE(document.select_nodes("/customUI/ribbon/tabs/tab/group").size(), 5u);
}

// A click reaches Connect by the callback name as the description spells it (the host resolves
// names without regard to case) and shows exactly what the button's label promises.
TEST(Ribbon, EveryButtonDoesWhatItsLabelSays) {
  const std::map<std::string, std::vector<std::string>> promised = {
      {"初次排序", {"dialog FormSort"}},
      {"绘制数据", {"dialog FormSet"}},
      {"绘方量表", {"dialog FormDrawVSheet"}},
      {"保存字典文件", {"prompt 保存字典文件"}},
      {"保存竖曲线文件", {"prompt 保存竖曲线参数"}},
      {"保存横坡或加宽文件", {"prompt 保存横坡文件"}},
      // Without the installer's ports (a host other than Windows) the install says it is absent.
      {"CAD 插件安装", {"message 本版本尚未提供“CAD 插件安装”功能。"}},
      {"CAD 插件视频教程", {Page("cadweb")}},
      {"查看使用说明书", {"page " + std::string(kModuleFolder) + "/使用说明书.pdf"}},
      {"查看视频教程", {Page("index")}},
      {"访问QQ群", {Page("qqgroup")}},
      {"访问官网", {Page("corvane")}},
      {"检查更新", {Page("index")}},
      {"设计断面", {"dialog FormDesign"}},
      {"导出 LandXML/IFC", {"dialog FormExport"}},
      {"土石方调配", {"dialog FormHaul"}},
  };
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(RibbonXml().c_str()));
  std::set<std::string> clicked;
  for (const pugi::xml_node& button : WithAttribute(document, "onAction")) {
    const std::string label = button.attribute("label").value();
    SCOPED_TRACE(label);
    EXPECT_STREQ(button.name(), "button");
    ASSERT_TRUE(promised.count(label)) << "a button the ribbon should not have";
    EXPECT_EQ(Click(button.attribute("onAction").value()), promised.at(label));
    clicked.insert(label);
  }
  EXPECT_EQ(clicked.size(), promised.size()) << "a promised button is missing";
}

// The main parts of the split buttons only open their menus: they name no callback.
TEST(Ribbon, SplitButtonsOpenMenusOfTheirButtons) {
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(RibbonXml().c_str()));
  const pugi::xpath_node_set splits = document.select_nodes("//splitButton");
  ASSERT_EQ(splits.size(), 3u);
  for (const pugi::xpath_node& split : splits) {
    const pugi::xml_node main = split.node().child("button");
    SCOPED_TRACE(split.node().attribute("id").value());
    EXPECT_TRUE(main.attribute("getImage")) << "the main part shows a picture";
    EXPECT_FALSE(main.attribute("onAction"));
    EXPECT_GE(split.node().child("menu").select_nodes("button[@onAction]").size(), 2u);
  }
}

// Every picture the description asks GetImage for is one of the library's pictures.
TEST(Ribbon, EveryControlThatAsksForAPictureHasOne) {
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(RibbonXml().c_str()));
  std::set<std::string> pictures;
  for (const pugi::xml_node& control : WithAttribute(document, "getImage")) {
    EXPECT_STREQ(control.attribute("getImage").value(), "GetImage");
    const std::string picture(Connect::ImageFor(control.attribute("id").value()));
    EXPECT_FALSE(picture.empty()) << control.attribute("id").value();
    pictures.insert(picture);
  }
  EXPECT_EQ(pictures.size(), 6u) << "six controls, six pictures";
  EXPECT_EQ(Connect::ImageFor("hdmstor"), "") << "ids are compared exactly";
}

// No command of the table is out of the user's reach.
TEST(Ribbon, EveryCommandHasAButton) {
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(RibbonXml().c_str()));
  std::set<const RibbonCommand*> reached;
  for (const pugi::xml_node& button : WithAttribute(document, "onAction"))
    reached.insert(FindRibbonCommand(button.attribute("onAction").value()));
  for (const RibbonCommand& command : RibbonCommands())
    EXPECT_TRUE(reached.count(&command)) << std::string(command.callback) << " has no button";
}

}  // namespace
}  // namespace kestrel
