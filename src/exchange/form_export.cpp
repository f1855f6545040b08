// FormExport: the export dialog's controls and events, and the ribbon command behind it.
#include "exchange/form_export.h"

#include "host/application.h"
#include "host/ui.h"
#include "earthworks/road_file_entries.h"
#include "exchange/road_export.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

constexpr char kFailedTitle[] = "失败";

void Say(Ui& ui, const std::string& text, const char* title) {
  ui.MessageBox(text, title, MessageButtons::Ok, title == kFailedTitle ? MessageIcon::None : MessageIcon::Information);
}

}  // namespace

FormExport::FormExport(Ui& ui) : ui_(ui) {
  LabelAlignment.text = "平面线形(LandXML 文件或工作表名，空为“逐桩坐标表”)";
  LabelProfile.text = "纵断面文件(*.ZM，可空)";
  LabelSlopes.text = "横坡文件(*.hp，可空)";
  LabelWidening.text = "加宽文件(*.hp，可空)";
  LabelTemplate.text = "路基模板文件(*.tpl，空为已有的设计断面挖填面积表)";
  LabelLandXml.text = "导出 LandXML 文件(*.xml)";
  LabelIfc.text = "导出 IFC 文件(*.ifc)";
  for (Control* b : {&BrowseAlignment, &BrowseProfile, &BrowseSlopes, &BrowseWidening, &BrowseTemplate,
                     &BrowseLandXml, &BrowseIfc})
    b->text = "...";
  CommandOK.text = "导出";
  CommandCancel.text = "取消";
}

void FormExport::Show(DialogHost& host) {
  cancelled_ = true;
  MarkShown();
  host.RunModal(*this);
}

std::optional<ExportRequest> FormExport::Ask(DialogHost& host) {
  Show(host);
  if (cancelled_) return std::nullopt;
  return Request();
}

ExportRequest FormExport::Request() const {
  ExportRequest request;
  request.Alignment = Trimmed(TextAlignment.text);
  request.Files = RoadFilesOf(TextProfile, TextSlopes, TextWidening, TextTemplate);
  request.LandXml = Trimmed(TextLandXml.text);
  request.Ifc = Trimmed(TextIfc.text);
  return request;
}

void FormExport::OnBrowseAlignmentClick() {
  ChooseFileToOpen(ui_, TextAlignment, "LandXML 文件(*.xml),*.xml", "选择平面线形文件");
}
void FormExport::OnBrowseProfileClick() { ChooseRoadFile(ui_, TextProfile, RoadFile::Profile); }
void FormExport::OnBrowseSlopesClick() { ChooseRoadFile(ui_, TextSlopes, RoadFile::Slopes); }
void FormExport::OnBrowseWideningClick() { ChooseRoadFile(ui_, TextWidening, RoadFile::Widening); }
void FormExport::OnBrowseTemplateClick() { ChooseRoadFile(ui_, TextTemplate, RoadFile::Template); }
void FormExport::OnBrowseLandXmlClick() {
  ChooseFileToWrite(ui_, TextLandXml, "road.xml", "LandXML 文件(*.xml),*.xml", "导出 LandXML 文件");
}
void FormExport::OnBrowseIfcClick() {
  ChooseFileToWrite(ui_, TextIfc, "road.ifc", "IFC 文件(*.ifc),*.ifc", "导出 IFC 文件");
}

void FormExport::OnCommandOKClick() {
  const ExportRequest request = Request();
  if (request.LandXml.empty() && request.Ifc.empty()) {
    Say(ui_, "请指定要导出的 LandXML 文件或 IFC 文件！", "提示");
    return;
  }
  if (!request.Files.Template.empty() && request.Files.Profile.empty()) {
    Say(ui_, "使用路基模板文件时请选择纵断面文件！", "提示");
    return;
  }
  cancelled_ = false;
  Hide();
}

void FormExport::OnCloseRequest() {
  cancelled_ = true;
  Hide();
}

CommandOutcome ExportRoad(CommandContext& context, const ExportRequest& request) {
  std::string written;
  try {
    PlanAlignment alignment = WorkbookAlignment(context.host, "平面线形", request.Alignment, nullptr);
    if (alignment.Empty()) {
      Say(context.ui,
          std::string("没有平面线形：请选择 LandXML 线形文件，或在工作簿中建立名为“") + kStationSheetName +
              "”的工作表（桩号、X、Y、方位角）。未写出任何文件。",
          kFailedTitle);
      return CommandOutcome::Stopped;
    }
    const RoadExchange road = WorkbookRoad(context.host, std::move(alignment), request.Files);
    const ExchangeStamp stamp = CurrentStamp();
    if (!request.LandXml.empty()) {
      WriteLandXmlFile(road, request.LandXml, stamp);
      written += "\r\n" + request.LandXml;
    }
    if (!request.Ifc.empty()) {
      WriteIfcFile(road, request.Ifc, stamp);
      written += "\r\n" + request.Ifc;
    }
    Say(context.ui, "已导出 " + std::to_string(road.Sections.size()) + " 个横断面：" + written, "提示");
  } catch (const ExportError& e) {
    std::string text = std::string("导出失败：") + e.what();
    if (!written.empty()) text += "\r\n已写出：" + written;
    Say(context.ui, text, kFailedTitle);
    return CommandOutcome::Stopped;
  }
  return CommandOutcome::Completed;
}

CommandOutcome ExportRoadCommand(CommandContext& context, FormExport& form) {
  const std::optional<ExportRequest> request = form.Ask(context.dialogs);
  return request ? ExportRoad(context, *request) : CommandOutcome::Cancelled;
}

}  // namespace kestrel
