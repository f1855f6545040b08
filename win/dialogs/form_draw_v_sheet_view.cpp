// FormDrawVSheet's bindings: control ids to Control members, clicks and selections to the presenter's events.
#include "form_draw_v_sheet_view.h"

#include <windows.h>

#include <functional>

#include "form_draw_v_sheet_ids.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormDrawVSheetView(FormDrawVSheet& form) {
  using K = ControlKind;
  std::vector<ControlBinding> bindings = {
      {IDOK, &form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }},
      {IDCANCEL, &form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }},
      {IDC_FORM_DRAW_V_SHEET_UC1, &form.uc1, K::CaptionBand},
      {IDC_FORM_DRAW_V_SHEET_COMBO_V_MODE, &form.ComboVMode, K::DropDownList},
      {IDC_FORM_DRAW_V_SHEET_COMBO_HDM_NUMBER, &form.ComboHDMnumber, K::DropDownList, {},
           [&form] { form.OnComboHDMnumberClick(); }},
      {IDC_FORM_DRAW_V_SHEET_TEXT_DRAW_DM_NUMBER, &form.TextDrawDMnumber, K::Edit},
  };
  for (auto& [index, control] : form.LabelInfo) {
    bindings.push_back(ControlBinding{IDC_FORM_DRAW_V_SHEET_LABEL_INFO + index, &control, K::Label,
                            [&form, index = index] { form.OnLabelInfoClick(index); }});
  }
  return std::make_unique<DialogView>(form, IDD_FORM_DRAW_V_SHEET, std::move(bindings),
                                      [&form](int innerWidth) { form.OnResize(innerWidth); });
}

}  // namespace kestrel
