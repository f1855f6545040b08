// FormSet's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_set_view.h"

#include <windows.h>

#include <functional>

#include "form_set_ids.h"
#include "sections/form_set.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormSetView(FormSet& form) {
  using K = ControlKind;
  std::vector<ControlBinding> bindings = {
      {IDOK, &form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }},
      {IDCANCEL, &form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }},
      {IDC_FORM_SET_UC1, &form.uc1, K::CaptionBand},
      {IDC_FORM_SET_UC2, &form.uc2, K::CaptionBand},
      {IDC_FORM_SET_UC3, &form.UC3, K::CaptionBand},
      {IDC_FORM_SET_TEXT_BOX_COL, &form.TextBoxCol, K::Edit},
      {IDC_FORM_SET_TEXT_BOX_ROW, &form.TextBoxRow, K::Edit},
      {IDC_FORM_SET_CHECK_ADD_FILE, &form.CheckAddFile, K::CheckBox, [&form] { form.OnCheckAddFileClick(); }},
      {IDC_FORM_SET_TEXT_FILE_NAME, &form.TextFileName, K::Edit},
      {IDC_FORM_SET_CB_FILE_ADD, &form.CBFileAdd, K::Button, [&form] { form.OnCBFileAddClick(); }},
      {IDC_FORM_SET_FRAME1, &form.Frame1, K::Frame},
      {IDC_FORM_SET_IMAGE_VIEW, &form.ImageView, K::Picture, [&form] { form.OnImageViewClick(); }, {}, &form.Frame1,
           L"DRWTABEL"},
      {IDC_FORM_SET_TEXT_BOX_ZHX, &form.TextBoxZHX, K::Edit},
      {IDC_FORM_SET_TEXT_BOX_ZHY, &form.TextBoxZHY, K::Edit},
      {IDC_FORM_SET_TEXT_BOX_ZHSIZE, &form.TextBoxZHsize, K::Edit},
      {IDC_FORM_SET_TEXT5, &form.Text5, K::Edit},
      {IDC_FORM_SET_COMBO_HEIGHT_MODEL, &form.ComboHeightModel, K::DropDownList},
      {IDC_FORM_SET_TEXT_BOX_HEIGHT_DIGIT, &form.TextBoxHeightDigit, K::Edit},
      {IDC_FORM_SET_TEXT_BOX_HEIGHT_SIZE, &form.TextBoxHeightSize, K::Edit},
      {IDC_FORM_SET_TEXT_BOX_DRAW_D, &form.TextBoxDrawD, K::CheckBox, [&form] { form.OnTextBoxDrawDClick(); }},
  };
  for (auto& [index, control] : form.LabelInfo) {
    bindings.push_back(ControlBinding{IDC_FORM_SET_LABEL_INFO + index, &control, K::Label,
                            [&form, index = index] { form.OnLabelInfoClick(index); }});
  }
  return std::make_unique<DialogView>(form, IDD_FORM_SET, std::move(bindings),
                                      [&form](int innerWidth) { form.OnResize(innerWidth); });
}

}  // namespace kestrel
