// FormExport's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_export_view.h"

#include <windows.h>

#include "exchange/form_export.h"
#include "form_export_ids.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormExportView(FormExport& form) {
  using K = ControlKind;
  std::vector<ControlBinding> bindings = {
      {IDOK, &form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }},
      {IDCANCEL, &form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }},
      {IDC_FORM_EXPORT_LABEL_ALIGNMENT, &form.LabelAlignment, K::Label},
      {IDC_FORM_EXPORT_TEXT_ALIGNMENT, &form.TextAlignment, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_ALIGNMENT, &form.BrowseAlignment, K::Button, [&form] { form.OnBrowseAlignmentClick(); }},
      {IDC_FORM_EXPORT_LABEL_PROFILE, &form.LabelProfile, K::Label},
      {IDC_FORM_EXPORT_TEXT_PROFILE, &form.TextProfile, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_PROFILE, &form.BrowseProfile, K::Button, [&form] { form.OnBrowseProfileClick(); }},
      {IDC_FORM_EXPORT_LABEL_SLOPES, &form.LabelSlopes, K::Label},
      {IDC_FORM_EXPORT_TEXT_SLOPES, &form.TextSlopes, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_SLOPES, &form.BrowseSlopes, K::Button, [&form] { form.OnBrowseSlopesClick(); }},
      {IDC_FORM_EXPORT_LABEL_WIDENING, &form.LabelWidening, K::Label},
      {IDC_FORM_EXPORT_TEXT_WIDENING, &form.TextWidening, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_WIDENING, &form.BrowseWidening, K::Button, [&form] { form.OnBrowseWideningClick(); }},
      {IDC_FORM_EXPORT_LABEL_TEMPLATE, &form.LabelTemplate, K::Label},
      {IDC_FORM_EXPORT_TEXT_TEMPLATE, &form.TextTemplate, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_TEMPLATE, &form.BrowseTemplate, K::Button, [&form] { form.OnBrowseTemplateClick(); }},
      {IDC_FORM_EXPORT_LABEL_LANDXML, &form.LabelLandXml, K::Label},
      {IDC_FORM_EXPORT_TEXT_LANDXML, &form.TextLandXml, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_LANDXML, &form.BrowseLandXml, K::Button, [&form] { form.OnBrowseLandXmlClick(); }},
      {IDC_FORM_EXPORT_LABEL_IFC, &form.LabelIfc, K::Label},
      {IDC_FORM_EXPORT_TEXT_IFC, &form.TextIfc, K::Edit},
      {IDC_FORM_EXPORT_BROWSE_IFC, &form.BrowseIfc, K::Button, [&form] { form.OnBrowseIfcClick(); }},
  };
  return std::make_unique<DialogView>(form, IDD_FORM_EXPORT, std::move(bindings), nullptr);
}

}  // namespace kestrel
