// FormDesign's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_design_view.h"

#include <windows.h>

#include "earthworks/form_design.h"
#include "form_design_ids.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormDesignView(FormDesign& form) {
  using K = ControlKind;
  std::vector<ControlBinding> bindings = {
      {IDOK, &form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }},
      {IDCANCEL, &form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }},
      {IDC_FORM_DESIGN_LABEL_PROFILE, &form.LabelProfile, K::Label},
      {IDC_FORM_DESIGN_TEXT_PROFILE, &form.TextProfile, K::Edit},
      {IDC_FORM_DESIGN_BROWSE_PROFILE, &form.BrowseProfile, K::Button, [&form] { form.OnBrowseProfileClick(); }},
      {IDC_FORM_DESIGN_LABEL_SLOPES, &form.LabelSlopes, K::Label},
      {IDC_FORM_DESIGN_TEXT_SLOPES, &form.TextSlopes, K::Edit},
      {IDC_FORM_DESIGN_BROWSE_SLOPES, &form.BrowseSlopes, K::Button, [&form] { form.OnBrowseSlopesClick(); }},
      {IDC_FORM_DESIGN_LABEL_WIDENING, &form.LabelWidening, K::Label},
      {IDC_FORM_DESIGN_TEXT_WIDENING, &form.TextWidening, K::Edit},
      {IDC_FORM_DESIGN_BROWSE_WIDENING, &form.BrowseWidening, K::Button, [&form] { form.OnBrowseWideningClick(); }},
      {IDC_FORM_DESIGN_LABEL_TEMPLATE, &form.LabelTemplate, K::Label},
      {IDC_FORM_DESIGN_TEXT_TEMPLATE, &form.TextTemplate, K::Edit},
      {IDC_FORM_DESIGN_BROWSE_TEMPLATE, &form.BrowseTemplate, K::Button, [&form] { form.OnBrowseTemplateClick(); }},
      {IDC_FORM_DESIGN_CHECK_VOLUME, &form.CheckVolume, K::CheckBox},
      {IDC_FORM_DESIGN_COMBO_VARIANT, &form.ComboVariant, K::DropDownList},
  };
  return std::make_unique<DialogView>(form, IDD_FORM_DESIGN, std::move(bindings), nullptr);
}

}  // namespace kestrel
