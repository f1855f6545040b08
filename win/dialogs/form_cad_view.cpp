// FormCad's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_cad_view.h"

#include <windows.h>

#include "cadplugin/form_cad.h"
#include "form_cad_ids.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormCadView(FormCad& form) {
  using K = ControlKind;
  std::vector<ControlBinding> bindings = {
      {IDC_FORM_CAD_UC1, &form.UC1, K::CaptionBand},
      {IDC_FORM_CAD_USER_CONTROL11, &form.UserControl11, K::CaptionBand},
      {IDC_FORM_CAD_TEXT_FILE_NAME, &form.TextFileName, K::Edit},
      {IDC_FORM_CAD_CB_FILE_ADD, &form.CBFileAdd, K::Button, [&form] { form.OnCBFileAddClick(); }},
  };
  for (auto& [index, control] : form.CmdInstall) {
    bindings.push_back(ControlBinding{IDC_FORM_CAD_CMD_INSTALL + index, &control, K::Button,
                                      [&form, index = index] { form.OnCmdInstallClick(index); }});
  }
  for (auto& [index, control] : form.LabelInfo) {
    bindings.push_back(ControlBinding{IDC_FORM_CAD_LABEL_INFO + index, &control, K::Label,
                                      [&form, index = index] { form.OnLabelInfoClick(index); }});
  }
  for (auto& [index, control] : form.Labelhelp) {
    bindings.push_back(ControlBinding{IDC_FORM_CAD_LABEL_HELP + index, &control, K::Label});
  }
  return std::make_unique<DialogView>(form, IDD_FORM_CAD, std::move(bindings),
                                      [&form](int innerWidth) { form.OnResize(innerWidth); });
}

}  // namespace kestrel
