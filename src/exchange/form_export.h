// FormExport: the export dialog's presenter (the centre line, the design files, the targets).
#pragma once

#include <optional>
#include <string>

#include "host/dialogs.h"
#include "earthworks/design_inputs.h"
#include "host/command_context.h"

namespace kestrel {

class Ui;

// What the export dialog asks for: where the centre line comes from (a LandXML file or a sheet's
// name; empty: the sheet 逐桩坐标表), the design files (no template: the workbook's design
// results), and the LandXML and IFC files to write (at least one).
struct ExportRequest {
  std::string Alignment;
  DesignFiles Files;
  std::string LandXml;
  std::string Ifc;
};

// Kept between uses, so every box keeps its last entry. OK with a target named (and a profile
// where a template is named) hides the dialog and leaves Cancelled false; otherwise it says
// what is missing and stays. Cancel and the close box leave Cancelled true. The "..." buttons
// ask for an input with the open-file prompt and for a target with the save-as prompt.
//
//   FormExport form(ui);
//   form.Show(dialogs);   // OK: form.Request() has the trimmed names
class FormExport : public Presenter {
 public:
  explicit FormExport(Ui& ui);
  const char* DialogName() const override { return "FormExport"; }

  void Show(DialogHost& host);
  // Shows the dialog and gives the request its OK made, or nothing when it was cancelled.
  std::optional<ExportRequest> Ask(DialogHost& host);
  ExportRequest Request() const;

  // Events.
  void OnBrowseAlignmentClick();
  void OnBrowseProfileClick();
  void OnBrowseSlopesClick();
  void OnBrowseWideningClick();
  void OnBrowseTemplateClick();
  void OnBrowseLandXmlClick();
  void OnBrowseIfcClick();
  void OnCommandOKClick();
  void OnCommandCancelClick() { OnCloseRequest(); }
  void OnCloseRequest() override;

  Control LabelAlignment, TextAlignment, BrowseAlignment;
  Control LabelProfile, TextProfile, BrowseProfile;
  Control LabelSlopes, TextSlopes, BrowseSlopes;
  Control LabelWidening, TextWidening, BrowseWidening;
  Control LabelTemplate, TextTemplate, BrowseTemplate;
  Control LabelLandXml, TextLandXml, BrowseLandXml;
  Control LabelIfc, TextIfc, BrowseIfc;
  Control CommandOK, CommandCancel;

 private:
  Ui& ui_;
  bool cancelled_ = true;
};

// The road of the active sheet along the named centre line, written to the named files through
// the same code as `kestrel export`. A workbook without a centre line, or an input or target that
// fails, is said in a message box titled "失败" and nothing is written (Stopped); a finished run
// names the files it wrote.
CommandOutcome ExportRoad(CommandContext& context, const ExportRequest& request);
// The add-in's export command: the dialog (kept by its owner between runs), then ExportRoad;
// Cancelled when the dialog was cancelled.
//   FormExport dialog(context.ui);
//   ExportRoadCommand(context, dialog);
CommandOutcome ExportRoadCommand(CommandContext& context, FormExport& dialog);

}  // namespace kestrel
