// FormSort's bindings: control ids to Control members, clicks to the presenter's events.
#include "form_sort_view.h"

#include <windows.h>

#include "form_sort_ids.h"
#include "sections/form_sort.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeFormSortView(FormSort& form) {
  using K = ControlKind;
  auto label = [&form](int index) { return [&form, index] { form.OnLabelInfoClick(index); }; };
  std::vector<ControlBinding> bindings = {
      {IDOK, &form.CommandOK, K::Button, [&form] { form.OnCommandOKClick(); }},
      {IDCANCEL, &form.CommandCancel, K::Button, [&form] { form.OnCommandCancelClick(); }},
      {IDC_FORM_SORT_UC1, &form.uc1, K::CaptionBand},
      {IDC_FORM_SORT_CHECK_ADD_FILE, &form.CheckAddFile, K::CheckBox, [&form] { form.OnCheckAddFileClick(); }},
      {IDC_FORM_SORT_TEXT_OFFSET, &form.TextOffset, K::Edit},
      {IDC_FORM_SORT_CHECK_DISTANCE, &form.CheckDistance, K::CheckBox, [&form] { form.OnCheckDistanceClick(); }},
      {IDC_FORM_SORT_FRAME1, &form.Frame1, K::Frame},
      {IDC_FORM_SORT_IMAGE_VIEW, &form.ImageView, K::Picture, [&form] { form.OnImageViewClick(); }, {}, &form.Frame1,
       L"DRWTABEL"},
      {IDC_FORM_SORT_TEXT_BOX_DISTANCE, &form.TextBoxDistance, K::Edit},
      {IDC_FORM_SORT_TEXT_FILE_NAME, &form.TextFileName, K::Edit},
      {IDC_FORM_SORT_CB_FILE_ADD, &form.CBFileAdd, K::Button, [&form] { form.OnCBFileAddClick(); }},
      {IDC_FORM_SORT_LABEL_INFO0, &form.LabelInfo[0], K::Label, label(0)},
      {IDC_FORM_SORT_LABEL_INFO6, &form.LabelInfo[6], K::Label, label(6)},
      {IDC_FORM_SORT_LABEL_INFO7, &form.LabelInfo[7], K::Label, label(7)},
  };
  return std::make_unique<DialogView>(form, IDD_FORM_SORT, std::move(bindings),
                                      [&form](int innerWidth) { form.OnResize(innerWidth); });
}

}  // namespace kestrel
