// FormHaul's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_haul_view.h"

#include <windows.h>

#include "form_haul_ids.h"
#include "haul/form_haul.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormHaulView(FormHaul& form) {
  using K = ControlKind;
  std::vector<ControlBinding> bindings = {
      {IDOK, &form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }},
      {IDCANCEL, &form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }},
      {IDC_FORM_HAUL_LABEL_FREE_HAUL, &form.LabelFreeHaul, K::Label},
      {IDC_FORM_HAUL_TEXT_FREE_HAUL, &form.TextFreeHaul, K::Edit},
      {IDC_FORM_HAUL_LABEL_OVERHAUL, &form.LabelOverhaul, K::Label},
      {IDC_FORM_HAUL_TEXT_OVERHAUL, &form.TextOverhaul, K::Edit},
      {IDC_FORM_HAUL_LABEL_BORROW_PRICE, &form.LabelBorrowPrice, K::Label},
      {IDC_FORM_HAUL_TEXT_BORROW_PRICE, &form.TextBorrowPrice, K::Edit},
      {IDC_FORM_HAUL_LABEL_WASTE_PRICE, &form.LabelWastePrice, K::Label},
      {IDC_FORM_HAUL_TEXT_WASTE_PRICE, &form.TextWastePrice, K::Edit},
      {IDC_FORM_HAUL_LABEL_BORROW_DISTANCE, &form.LabelBorrowDistance, K::Label},
      {IDC_FORM_HAUL_TEXT_BORROW_DISTANCE, &form.TextBorrowDistance, K::Edit},
      {IDC_FORM_HAUL_LABEL_WASTE_DISTANCE, &form.LabelWasteDistance, K::Label},
      {IDC_FORM_HAUL_TEXT_WASTE_DISTANCE, &form.TextWasteDistance, K::Edit},
      {IDC_FORM_HAUL_LABEL_ROAD_CLASS, &form.LabelRoadClass, K::Label},
      {IDC_FORM_HAUL_COMBO_ROAD_CLASS, &form.ComboRoadClass, K::DropDownList},
      {IDC_FORM_HAUL_LABEL_ROWS_PER_PAGE, &form.LabelRowsPerPage, K::Label},
      {IDC_FORM_HAUL_TEXT_ROWS_PER_PAGE, &form.TextRowsPerPage, K::Edit},
      {IDC_FORM_HAUL_LABEL_FACTORS, &form.LabelFactors, K::Label},
      {IDC_FORM_HAUL_TEXT_FACTORS, &form.TextFactors, K::Edit},
      {IDC_FORM_HAUL_LABEL_CLASSES, &form.LabelClasses, K::Label},
      {IDC_FORM_HAUL_TEXT_CLASSES, &form.TextClasses, K::Edit},
      {IDC_FORM_HAUL_LABEL_EXCLUDED, &form.LabelExcluded, K::Label},
      {IDC_FORM_HAUL_TEXT_EXCLUDED, &form.TextExcluded, K::Edit},
      {IDC_FORM_HAUL_LABEL_BARRIERS, &form.LabelBarriers, K::Label},
      {IDC_FORM_HAUL_TEXT_BARRIERS, &form.TextBarriers, K::Edit},
      {IDC_FORM_HAUL_CHECK_PRISMOIDAL, &form.CheckPrismoidal, K::CheckBox},
      {IDC_FORM_HAUL_CHECK_PYRAMID, &form.CheckPyramid, K::CheckBox},
      {IDC_FORM_HAUL_LABEL_FRUSTUM, &form.LabelFrustum, K::Label},
      {IDC_FORM_HAUL_TEXT_FRUSTUM, &form.TextFrustum, K::Edit},
      {IDC_FORM_HAUL_LABEL_DIAGRAM, &form.LabelDiagram, K::Label},
      {IDC_FORM_HAUL_TEXT_DIAGRAM, &form.TextDiagram, K::Edit},
      {IDC_FORM_HAUL_BROWSE_DIAGRAM, &form.BrowseDiagram, K::Button, [&form] { form.OnBrowseDiagramClick(); }},
  };
  return std::make_unique<DialogView>(form, IDD_FORM_HAUL, std::move(bindings), nullptr);
}

}  // namespace kestrel
