// The ribbon description: every element, in document order, with its attributes.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "addin/commands.h"
#include "addin/connect.h"
#include "addin/host/scripted_dialogs.h"
#include "addin/host/ui.h"
#include "addin/session.h"
#include "support/recording_shell.h"

namespace kestrel {
namespace {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
};

// The opening tags of the document, in order (the description has no text content).
std::vector<Element> OpeningTags(const std::string& xml) {
  std::vector<Element> elements;
  std::regex tag(R"(<([A-Za-z]+)((?:\s+[A-Za-z]+="[^"]*")*)\s*/?>)");
  std::regex attribute(R"(([A-Za-z]+)="([^"]*)\")");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), tag); it != std::sregex_iterator(); ++it) {
    Element e{(*it)[1], {}};
    std::string attrs = (*it)[2];
    for (auto a = std::sregex_iterator(attrs.begin(), attrs.end(), attribute); a != std::sregex_iterator(); ++a) {
      e.attributes[(*a)[1]] = (*a)[2];
    }
    elements.push_back(e);
  }
  return elements;
}

std::string RibbonXml() {
  Session session;
  RecordingShell shell;
  class NoUi : public Ui {
    MessageAnswer MessageBox(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
      return MessageAnswer::Ok;
    }
    std::optional<std::string> GetOpenFilename(std::string_view, std::string_view) override { return {}; }
    std::optional<std::string> GetSaveAsFilename(std::string_view, std::string_view, std::string_view) override {
      return {};
    }
  } ui;
  ScriptedDialogs dialogs;
  Connect connect(session, ui, shell, dialogs);
  return connect.GetRibbonXML();
}

TEST(Ribbon, DescribesEveryElementInDocumentOrder) {
  struct Expected {
    const char* element;
    const char* id;
    const char* label;  // nullptr: no label attribute
    const char* size;
    const char* picture;  // getImage callback or imageMso
    const char* onAction;
  };
  const Expected table[] = {
      {"tab", "Kestrel", "Kestrel", nullptr, nullptr, nullptr},
      {"group", "CalcHdm", "实测横断面", nullptr, nullptr, nullptr},
      {"button", "hdmStor", "初次排序", "large", "GetImage", "FunHdmOrder"},
      {"button", "hdmDraw", "绘制数据", "large", "GetImage", "FunHdmDrawData"},
      {"group", "DataSheet", "数据和方量表", nullptr, nullptr, nullptr},
      {"button", "hdmDrawSheet", "绘方量表", "large", "GetImage", "FunhdmDrawSheet"},
      {"splitButton", "SaveAnything", nullptr, "large", nullptr, nullptr},
      {"button", "SaveDicFile1", "保存 ", nullptr, "GetImage", nullptr},
      {"menu", "menuSave", nullptr, nullptr, nullptr, nullptr},
      {"button", "SaveDicFile", "保存字典文件", nullptr, nullptr, "FunSaveDicFile"},
      {"button", "SaveSQXFile", "保存竖曲线文件", nullptr, nullptr, "FunSaveSQXFile"},
      {"button", "SaveHPJKFile", "保存横坡或加宽文件", nullptr, nullptr, "FunSaveHPJKFile"},
      {"group", "CalcCad", "CAD", nullptr, nullptr, nullptr},
      {"splitButton", "CADtoolthing", nullptr, "large", nullptr, nullptr},
      {"button", "CADtool", "CAD 插件", nullptr, "GetImage", nullptr},
      {"menu", "menuCAD", nullptr, nullptr, nullptr, nullptr},
      {"button", "CADToolsUpdata", "CAD 插件安装", nullptr, nullptr, "FunHdmCadTool"},
      {"button", "CADToolsHelp", "CAD 插件视频教程", nullptr, nullptr, "FunGoCadWeb"},
      {"group", "Corvane", "Corvane", nullptr, nullptr, nullptr},
      {"splitButton", "help", nullptr, "large", nullptr, nullptr},
      {"button", "AboatHelp", "帮助 ", nullptr, "GetImage", nullptr},
      {"menu", "menuhelp", nullptr, nullptr, nullptr, nullptr},
      {"button", "viewHelpFile", "查看使用说明书", nullptr, "FileProperties", "FunGoHelp"},
      {"button", "viewHelpVidio", "查看视频教程", nullptr, "ViewWebLayoutView", "FunGoWeb"},
      {"button", "viewHelpQQgroup", "访问QQ群", nullptr, "ViewWebLayoutView", "FunGoQQGroup"},
      {"button", "viewHelpWeb", "访问官网", nullptr, "ViewWebLayoutView", "FunGoCorvane"},
      {"button", "viewHelpUpdata", "检查更新", nullptr, "ViewWebLayoutView", "FunGoWeb"},
      {"group", "DesignHdm", "设计横断面", nullptr, nullptr, nullptr},
      {"button", "hdmDesign", "设计断面", "large", "TableInsert", "FunHdmDesign"},
  };
  std::vector<Element> tags = OpeningTags(RibbonXml());
  ASSERT_GE(tags.size(), 4u);
  EXPECT_EQ(tags[0].name, "customUI");
  EXPECT_EQ(tags[0].attributes["xmlns"], "http://schemas.microsoft.com/office/2006/01/customui");
  EXPECT_EQ(tags[1].name, "ribbon");
  EXPECT_EQ(tags[1].attributes["startFromScratch"], "false");
  EXPECT_EQ(tags[2].name, "tabs");
  ASSERT_EQ(tags.size(), 3u + std::size(table));
  for (size_t i = 0; i < std::size(table); ++i) {
    const Expected& want = table[i];
    Element& got = tags[3 + i];
    SCOPED_TRACE(want.id);
    EXPECT_EQ(got.name, want.element);
    EXPECT_EQ(got.attributes["id"], want.id);
    EXPECT_EQ(got.attributes.count("label") ? got.attributes["label"] : "<none>", want.label ? want.label : "<none>");
    EXPECT_EQ(got.attributes.count("size") ? got.attributes["size"] : "", want.size ? want.size : "");
    std::string picture = got.attributes.count("getImage")   ? got.attributes["getImage"]
                          : got.attributes.count("imageMso") ? got.attributes["imageMso"]
                                                             : "";
    EXPECT_EQ(picture, want.picture ? want.picture : "");
    EXPECT_EQ(got.attributes.count("onAction") ? got.attributes["onAction"] : "", want.onAction ? want.onAction : "");
    // Every callback named in the description reaches a command entry.
    if (want.onAction) {
      EXPECT_NE(FindRibbonCommand(want.onAction), nullptr);
    }
  }
}

}  // namespace
}  // namespace kestrel
