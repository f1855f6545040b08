// FormDesign: the design dialog's controls and events, and the ribbon command behind it.
#include "earthworks/form_design.h"

#include <string>

#include "host/ui.h"
#include "earthworks/road_file_entries.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr int kVariants[] = {2, 4, 6};

}  // namespace

FormDesign::FormDesign(Ui& ui) : ui_(ui) {
  LabelProfile.text = "纵断面文件(*.ZM)";
  LabelSlopes.text = "横坡文件(*.hp，可空)";
  LabelWidening.text = "加宽文件(*.hp，可空)";
  LabelTemplate.text = "路基模板文件(*.tpl)";
  for (Control* b : {&BrowseProfile, &BrowseSlopes, &BrowseWidening, &BrowseTemplate}) b->text = "...";
  CheckVolume.text = "同时绘方量表并填入设计面积";
  CheckVolume.checked = true;
  ComboVariant.items = {"实测", "设计+实测", "设计+实测+剩余"};
  ComboVariant.listIndex = 1;
  CommandOK.text = "计算";
  CommandCancel.text = "取消";
}

void FormDesign::Show(DialogHost& host) {
  cancelled_ = true;
  MarkShown();
  host.RunModal(*this);
}

std::optional<DesignRequest> FormDesign::Ask(DialogHost& host) {
  Show(host);
  if (cancelled_) return std::nullopt;
  return Request();
}

DesignRequest FormDesign::Request() const {
  DesignRequest request;
  request.Files = RoadFilesOf(TextProfile, TextSlopes, TextWidening, TextTemplate);
  request.Volume = CheckVolume.checked;
  const int index = ComboVariant.listIndex;
  request.Variant = index >= 0 && index < 3 ? kVariants[index] : 4;
  return request;
}

void FormDesign::OnBrowseProfileClick() { ChooseRoadFile(ui_, TextProfile, RoadFile::Profile); }
void FormDesign::OnBrowseSlopesClick() { ChooseRoadFile(ui_, TextSlopes, RoadFile::Slopes); }
void FormDesign::OnBrowseWideningClick() { ChooseRoadFile(ui_, TextWidening, RoadFile::Widening); }
void FormDesign::OnBrowseTemplateClick() { ChooseRoadFile(ui_, TextTemplate, RoadFile::Template); }

void FormDesign::OnCommandOKClick() {
  if (Trimmed(TextProfile.text).empty() || Trimmed(TextTemplate.text).empty()) {
    ui_.MessageBox("请选择纵断面文件和路基模板文件！", "提示", MessageButtons::Ok, MessageIcon::Information);
    return;
  }
  cancelled_ = false;
  Hide();
}

void FormDesign::OnCloseRequest() {
  cancelled_ = true;
  Hide();
}

CommandOutcome DesignSectionsCommand(CommandContext& context, FormDesign& form) {
  const std::optional<DesignRequest> request = form.Ask(context.dialogs);
  if (!request) return CommandOutcome::Cancelled;
  std::vector<DesignSection> sections;
  CommandOutcome outcome;
  try {
    outcome = RunDesign(context, *request, &sections);
  } catch (const DesignError& e) {
    context.ui.MessageBox(std::string("设计断面计算失败：") + e.what(), "失败", MessageButtons::Ok,
                          MessageIcon::None);
    return CommandOutcome::Stopped;
  }
  if (outcome != CommandOutcome::Completed) return outcome;
  const int extended = SectionsWithGroundExtended(sections);
  std::string text = "已计算 " + std::to_string(sections.size()) + " 个设计断面。";
  if (extended > 0) text += "\r\n其中 " + std::to_string(extended) + " 个断面的地面线已水平延长（见备注列）。";
  context.ui.MessageBox(text, "提示", MessageButtons::Ok, MessageIcon::Information);
  return CommandOutcome::Completed;
}

}  // namespace kestrel
