// The ribbon's command table and the wrapper that switches screen updating around commands.
#include "addin/commands.h"

#include <memory>
#include <optional>
#include <string>

#include "host/application.h"
#include "host_doubles/counting_host.h"
#include "host/host_error.h"
#include "host/shell.h"
#include "host/ui.h"
#include "addin/session.h"
#include "cadplugin/form_cad.h"
#include "earthworks/form_design.h"
#include "exchange/form_export.h"
#include "geometry/profile_file.h"
#include "geometry/slope_file.h"
#include "haul/form_haul.h"
#include "sections/dictionary_file.h"
#include "sections/draw_data.h"
#include "sections/initial_sort.h"
#include "util/unicode.h"
#include "volumes/draw_sheet_command.h"

namespace kestrel {
namespace {

// A command this platform cannot serve tells the user so, and changes nothing.
void NotInThisVersion(PlatformPorts& context, std::string_view label) {
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
constexpr char kExportLabel[] = "导出 LandXML/IFC";
constexpr char kHaulLabel[] = "土石方调配";

void SortCommand(CommandContext& c, Session& s) {
  if (!s.SortDialog) s.SortDialog = std::make_unique<FormSort>(s.Sections, c.ui, c.shell);
  InitialSort(c, *s.SortDialog, s.Sections);
}
void VolumeCommand(CommandContext& c, Session& s) {
  if (!s.VolumeDialog) s.VolumeDialog = std::make_unique<FormDrawVSheet>(s.Sections, c.ui, c.shell);
  VolumeSheetCommand(c, *s.VolumeDialog, s.Sections);
}
void SaveDicCommand(CommandContext& c, Session& s) { SaveDictionaryCommand(c, s.Sections); }
void DrawCommand(CommandContext& c, Session& s) {
  if (!s.DrawDialog) s.DrawDialog = std::make_unique<FormSet>(s.Sections, c.ui, c.shell, c.clipboard, c.timer);
  DrawSectionData(c, *s.DrawDialog, s.Sections);
}
void SaveZmCommand(CommandContext& c, Session&) { SaveProfileFile(c); }
void SaveHpCommand(CommandContext& c, Session&) { SaveSlopeFile(c); }
void CadToolCommand(PlatformPorts& c, Session& s) {
  if (c.cadInstall == nullptr) return NotInThisVersion(c, kCadToolLabel);
  // A fresh dialog at each showing, and the one presenter the download reports to.
  if (!s.CadDialog) s.CadDialog = std::make_unique<FormCad>(c.ui, c.shell, c.cadInstall->system, c.cadInstall->downloader);
  s.CadDialog->Show(c.dialogs);
}

void DesignCommand(CommandContext& c, Session& s) {
  if (!s.DesignDialog) s.DesignDialog = std::make_unique<FormDesign>(c.ui);
  DesignSectionsCommand(c, *s.DesignDialog);
}

void ExportCommand(CommandContext& c, Session& s) {
  if (!s.ExportDialog) s.ExportDialog = std::make_unique<FormExport>(c.ui);
  ExportRoadCommand(c, *s.ExportDialog);
}

void HaulCommand(CommandContext& c, Session& s) {
  if (!s.HaulDialog) s.HaulDialog = std::make_unique<FormHaul>(c.ui, s.Haul.WriteHaulPage);
  HaulDistributionCommand(c, *s.HaulDialog);
}

void GoHelp(PlatformPorts& c, Session&) { GoWebPage("help", c.shell); }
void GoIndex(PlatformPorts& c, Session&) { GoWebPage("index", c.shell); }
void GoCadWeb(PlatformPorts& c, Session&) { GoWebPage("CadWeb", c.shell); }
void GoQqGroup(PlatformPorts& c, Session&) { GoWebPage("qqgroup", c.shell); }
void GoCorvane(PlatformPorts& c, Session&) { GoWebPage("Corvane", c.shell); }

// Screen updating off around a wrapped command, and always back on.
void RunWrapped(const RibbonCommand& command, CommandContext& context, Session& session) {
  // A host that refuses to stop updating the screen only shows more of the work.
  std::optional<ScreenUpdatingOff> screen;
  if (command.wrapped) {
    try {
      screen.emplace(context.host);
    } catch (const HostError&) {
    }
  }
  command.run(context, session);
}

// The user's answers, passed on; remembers the host call count at the last message shown, so
// that a refusal the command reported itself is not reported again.
class MessageWatch final : public Ui {
 public:
  MessageWatch(Ui& inner, const CallCounter& calls) : inner_(inner), calls_(calls) {}
  bool ShownSince(long call) const { return lastShownAt_ && *lastShownAt_ >= call; }

  MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                           MessageIcon icon) override {
    lastShownAt_ = calls_.TotalCalls();
    return inner_.MessageBox(text, title, buttons, icon);
  }
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) override {
    return inner_.GetOpenFilename(filter, title);
  }
  std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                               std::string_view title) override {
    return inner_.GetSaveAsFilename(initialName, filter, title);
  }

 private:
  Ui& inner_;
  const CallCounter& calls_;
  std::optional<long> lastShownAt_;
};

}  // namespace

const std::vector<RibbonCommand>& RibbonCommands() {
  static const std::vector<RibbonCommand> commands = {
      {"FunHdmOrder", kSortLabel, true, SheetUse::Changes, SortCommand},
      {"FunHdmDrawData", kDrawLabel, true, SheetUse::Changes, DrawCommand},
      {"FunhdmDrawSheet", kVolumeLabel, true, SheetUse::AddsSheet, VolumeCommand},
      {"FunSaveDicFile", kSaveDicLabel, false, SheetUse::Reads, SaveDicCommand},
      {"FunSaveSQXFile", kSaveZmLabel, false, SheetUse::Reads, SaveZmCommand},
      {"FunSaveHPJKFile", kSaveHpLabel, false, SheetUse::Reads, SaveHpCommand},
      {"FunHdmCadTool", kCadToolLabel, false, SheetUse::None, nullptr, CadToolCommand},
      {"FunGoCADWeb", "CAD 插件视频教程", false, SheetUse::None, nullptr, GoCadWeb},
      {"FunGoHelp", "查看使用说明书", false, SheetUse::None, nullptr, GoHelp},
      {"FunGoWeb", "查看视频教程", false, SheetUse::None, nullptr, GoIndex},
      {"FunGoQQGroup", "访问QQ群", false, SheetUse::None, nullptr, GoQqGroup},
      {"FunGoCorvane", "访问官网", false, SheetUse::None, nullptr, GoCorvane},
      {"FunHdmDesign", kDesignLabel, true, SheetUse::Changes, DesignCommand},
      {"FunHdmExport", kExportLabel, true, SheetUse::Reads, ExportCommand},
      {"FunHdmHaul", kHaulLabel, true, SheetUse::Reads, HaulCommand},
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

void RunRibbonCommand(const RibbonCommand& command, PlatformPorts& platform, Application* host, Session& session) {
  if (command.runWithoutWorkbook != nullptr) return command.runWithoutWorkbook(platform, session);
  if (host == nullptr) return;  // no workbook to work on: the command ends before it shows anything
  std::optional<std::string> problem;
  try {
    problem = ViewProblem(host->View(), command.use, command.label);
  } catch (const HostError&) {
    // A host that cannot tell what it shows: the command finds out for itself.
  }
  if (problem) {
    platform.ui.MessageBox(*problem, kViewProblemTitle, MessageButtons::Ok, MessageIcon::None);
    return;
  }
  // The command works through a counting decorator, which notes what it changed and what the
  // host refused; the user's answers through one that notes when a message was shown.
  CountingApplication watched(*host);
  MessageWatch ui(platform.ui, watched.Counter());
  CommandContext watchedContext(
      watched, {ui, platform.shell, platform.dialogs, platform.clipboard, platform.timer, platform.cadInstall});
  try {
    RunWrapped(command, watchedContext, session);
  } catch (const HostError&) {
    // Noted by the decorator, reported below.
  }
  const auto& refusal = watched.Counter().FirstRefusal();
  if (refusal && !ui.ShownSince(refusal->atCall)) {
    platform.ui.MessageBox(RefusalMessage(command.label, watched.Counter(), refusal->text), kRefusalTitle,
                          MessageButtons::Ok, MessageIcon::None);
  }
}

}  // namespace kestrel
