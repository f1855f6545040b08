// The ribbon's command table and the wrapper that switches screen updating around commands.
#include "addin/commands.h"

#include <memory>
#include <optional>
#include <string>

#include "addin/host/application.h"
#include "addin/host/host_error.h"
#include "addin/host/shell.h"
#include "addin/host/ui.h"
#include "addin/session.h"
#include "cadplugin/form_cad.h"
#include "earthworks/form_design.h"
#include "geometry/profile_file.h"
#include "geometry/slope_file.h"
#include "sections/dictionary_file.h"
#include "sections/draw_data.h"
#include "sections/initial_sort.h"
#include "util/unicode.h"
#include "volumes/draw_sheet_command.h"

namespace kestrel {
namespace {

// A command this platform cannot serve tells the user so, and changes nothing.
void NotInThisVersion(CommandContext& context, std::string_view label) {
  context.ui.MessageBox("本版本尚未提供“" + std::string(label) + "”功能。", "提示", MessageButtons::Ok,
                        MessageIcon::Information);
}

constexpr char kSortLabel[] = "初次排序";  // the labels of the buttons, for messages
constexpr char kDrawLabel[] = "绘制数据";
constexpr char kVolumeLabel[] = "绘方量表";
constexpr char kSaveDicLabel[] = "保存字典文件";
constexpr char kSaveZmLabel[] = "保存竖曲线文件";
constexpr char kSaveHpLabel[] = "保存横坡或加宽文件";
constexpr char kCadToolLabel[] = "CAD 插件安装";
constexpr char kDesignLabel[] = "设计断面";

void SortCommand(CommandContext& c, Session& s) { InitialSort(c, s); }
void VolumeCommand(CommandContext& c, Session& s) { FunhdmDrawSheet(c, s, s); }
void SaveDicCommand(CommandContext& c, Session& s) { FunSaveDicFile(c, s); }
void DrawCommand(CommandContext& c, Session& s) { DrawSectionData(c, s); }
void SaveZmCommand(CommandContext& c, Session&) { SaveProfileFile(c); }
void SaveHpCommand(CommandContext& c, Session&) { SaveSlopeFile(c); }
void CadToolCommand(CommandContext& c, Session& s) {
  if (c.cadInstall == nullptr) return NotInThisVersion(c, kCadToolLabel);
  FunHdmCadTool(c, s);
}

void DesignCommand(CommandContext& c, Session& s) {
  if (!s.DesignDialog) s.DesignDialog = std::make_unique<FormDesign>(c.ui);
  FunHdmDesign(c, *s.DesignDialog);
}

void GoHelp(CommandContext& c, Session&) { GoWebPage("help", c.shell); }
void GoIndex(CommandContext& c, Session&) { GoWebPage("index", c.shell); }
void GoCadWeb(CommandContext& c, Session&) { GoWebPage("CadWeb", c.shell); }
void GoQqGroup(CommandContext& c, Session&) { GoWebPage("qqgroup", c.shell); }
void GoCorvane(CommandContext& c, Session&) { GoWebPage("Corvane", c.shell); }

}  // namespace

const std::vector<RibbonCommand>& RibbonCommands() {
  static const std::vector<RibbonCommand> commands = {
      {"FunHdmOrder", kSortLabel, true, SortCommand},
      {"FunHdmDrawData", kDrawLabel, true, DrawCommand},
      {"FunhdmDrawSheet", kVolumeLabel, true, VolumeCommand},
      {"FunSaveDicFile", kSaveDicLabel, false, SaveDicCommand},
      {"FunSaveSQXFile", kSaveZmLabel, false, SaveZmCommand},
      {"FunSaveHPJKFile", kSaveHpLabel, false, SaveHpCommand},
      {"FunHdmCadTool", kCadToolLabel, false, CadToolCommand},
      {"FunGoCADWeb", "CAD 插件视频教程", false, GoCadWeb},
      {"FunGoHelp", "查看使用说明书", false, GoHelp},
      {"FunGoWeb", "查看视频教程", false, GoIndex},
      {"FunGoQQGroup", "访问QQ群", false, GoQqGroup},
      {"FunGoCorvane", "访问官网", false, GoCorvane},
      {"FunHdmDesign", kDesignLabel, true, DesignCommand},
  };
  return commands;
}

const RibbonCommand* FindRibbonCommand(std::string_view name) {
  const std::string wanted = AsciiLower(name);
  for (const RibbonCommand& c : RibbonCommands()) {
    if (AsciiLower(c.callback) == wanted) return &c;
  }
  return nullptr;
}

void RunRibbonCommand(const RibbonCommand& command, CommandContext& context, Session& session) {
  Application* host = context.host;
  if (command.wrapped && host != nullptr) {
    // A host that refuses to stop updating the screen only shows more of the work.
    std::optional<ScreenUpdatingOff> screen;
    try {
      screen.emplace(*host);
    } catch (const HostError&) {
    }
    command.run(context, session);
  } else {
    command.run(context, session);
  }
}

}  // namespace kestrel
