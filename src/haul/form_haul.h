// FormHaul: the earthwork distribution dialog's presenter (prices, distances, classes, lengths
// left out, barriers, volume forms, the diagram file).
#pragma once

#include <optional>
#include <string>

#include "host/command_context.h"
#include "host/dialogs.h"
#include "drawing/mass_haul_page_layout.h"
#include "haul/haul_run.h"
#include "haul/haul_table.h"

namespace kestrel {

class Ui;

// Kept between uses, so every control keeps its last value; it starts with the defaults of
// `kestrel haul`. OK reads every entry into a request through the same readers as the command
// line (stations as K1+200 or 1200; one class range or one bridge per line; barriers separated
// by commas); an entry that cannot be read is said in a message box titled "提示" and the dialog
// stays. Without a page writer the diagram entry is disabled. Cancel and the close box leave
// Cancelled true.
//
//   FormHaul form(ui, WriteMassHaulPage);
//   form.Show(dialogs);   // OK: form.Request() and form.DiagramFile()
class FormHaul : public Presenter {
 public:
  FormHaul(Ui& ui, MassHaulPageWriter writePage);
  const char* DialogName() const override { return "FormHaul"; }

  void Show(DialogHost& host);
  // Shows the dialog and gives the request its OK made, or nothing when it was cancelled.
  std::optional<HaulRequest> Ask(DialogHost& host);
  // The request read at the last OK, and the diagram file named then ("" for none).
  const HaulRequest& Request() const { return request_; }
  const std::string& DiagramFile() const { return diagram_; }
  MassHaulPageWriter PageWriter() const { return writePage_; }

  // Events.
  void OnBrowseDiagramClick();
  void OnCommandOKClick();
  void OnCommandCancelClick() { OnCloseRequest(); }
  void OnCloseRequest() override;

  Control LabelFreeHaul, TextFreeHaul, LabelOverhaul, TextOverhaul;
  Control LabelBorrowPrice, TextBorrowPrice, LabelWastePrice, TextWastePrice;
  Control LabelBorrowDistance, TextBorrowDistance, LabelWasteDistance, TextWasteDistance;
  Control LabelRoadClass, ComboRoadClass, LabelFactors, TextFactors;
  Control LabelClasses, TextClasses, LabelExcluded, TextExcluded, LabelBarriers, TextBarriers;
  Control CheckPrismoidal, CheckPyramid, LabelFrustum, TextFrustum, LabelRowsPerPage, TextRowsPerPage;
  Control LabelDiagram, TextDiagram, BrowseDiagram;
  Control CommandOK, CommandCancel;

 private:
  HaulRequest RequestOfControls() const;
  // Whether the page writer draws SVG documents only (the core's own).
  bool SvgOnly() const { return writePage_ == WriteMassHaulSvgFile; }
  Ui& ui_;
  MassHaulPageWriter writePage_;
  bool cancelled_ = true;
  HaulRequest request_;
  std::string diagram_;
};

// The add-in's earthwork distribution: the dialog (kept by its owner between runs), then the
// table of the active sheet (design results or a volume sheet) added to the workbook as
// `kestrel haul` adds it, and the diagram page when a file is named. Stations or a page that
// fail are said in a message box titled "失败" and the workbook is left as it was (Stopped); a
// finished run says what was hauled, borrowed and wasted and what it costs. Cancelled when the
// dialog was cancelled or no host is connected.
//   FormHaul dialog(context.ui, nullptr);
//   HaulDistributionCommand(context, dialog);
CommandOutcome HaulDistributionCommand(CommandContext& context, FormHaul& dialog);

}  // namespace kestrel
