// FormSet's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_set_view.h"

#include <windows.h>

#include <functional>

#include "form_set_ids.h"
#include "sections/form_set.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormSetView(FormSet& form) {
  using K = ControlKind;
  using Handler = std::function<void()>;
  // Every field named, whatever the control uses.
  auto bind = [](int id, Control& control, K kind, Handler onClick = {}, Handler onChange = {},
                 const Control* container = nullptr, const wchar_t* picture = nullptr) {
    return ControlBinding{id, &control, kind, std::move(onClick), std::move(onChange), container, picture};
  };
  std::vector<ControlBinding> bindings = {
      bind(IDOK, form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }),
      bind(IDCANCEL, form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }),
      bind(IDC_FORM_SET_UC1, form.uc1, K::CaptionBand),
      bind(IDC_FORM_SET_UC2, form.uc2, K::CaptionBand),
      bind(IDC_FORM_SET_UC3, form.UC3, K::CaptionBand),
      bind(IDC_FORM_SET_TEXT_BOX_COL, form.TextBoxCol, K::Edit),
      bind(IDC_FORM_SET_TEXT_BOX_ROW, form.TextBoxRow, K::Edit),
      bind(IDC_FORM_SET_CHECK_ADD_FILE, form.CheckAddFile, K::CheckBox, [&form] { form.OnCheckAddFileClick(); }),
      bind(IDC_FORM_SET_TEXT_FILE_NAME, form.TextFileName, K::Edit),
      bind(IDC_FORM_SET_CB_FILE_ADD, form.CBFileAdd, K::Button, [&form] { form.OnCBFileAddClick(); }),
      bind(IDC_FORM_SET_FRAME1, form.Frame1, K::Frame),
      bind(IDC_FORM_SET_IMAGE_VIEW, form.ImageView, K::Picture, [&form] { form.OnImageViewClick(); }, {}, &form.Frame1,
           L"DRWTABEL"),
      bind(IDC_FORM_SET_TEXT_BOX_ZHX, form.TextBoxZHX, K::Edit),
      bind(IDC_FORM_SET_TEXT_BOX_ZHY, form.TextBoxZHY, K::Edit),
      bind(IDC_FORM_SET_TEXT_BOX_ZHSIZE, form.TextBoxZHsize, K::Edit),
      bind(IDC_FORM_SET_TEXT5, form.Text5, K::Edit),
      bind(IDC_FORM_SET_COMBO_HEIGHT_MODEL, form.ComboHeightModel, K::DropDownList),
      bind(IDC_FORM_SET_TEXT_BOX_HEIGHT_DIGIT, form.TextBoxHeightDigit, K::Edit),
      bind(IDC_FORM_SET_TEXT_BOX_HEIGHT_SIZE, form.TextBoxHeightSize, K::Edit),
      bind(IDC_FORM_SET_TEXT_BOX_DRAW_D, form.TextBoxDrawD, K::CheckBox, [&form] { form.OnTextBoxDrawDClick(); }),
  };
  for (auto& [index, control] : form.LabelInfo) {
    bindings.push_back(bind(IDC_FORM_SET_LABEL_INFO + index, control, K::Label,
                            [&form, index = index] { form.OnLabelInfoClick(index); }));
  }
  return std::make_unique<DialogView>(form, IDD_FORM_SET, std::move(bindings),
                                      [&form](int innerWidth) { form.OnResize(innerWidth); });
}

}  // namespace kestrel
