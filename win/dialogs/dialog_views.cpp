// Picks the view of a presenter by its type.
#include "dialog_views.h"

#include "cadplugin/form_cad.h"
#include "earthworks/form_design.h"
#include "exchange/form_export.h"
#include "form_cad_view.h"
#include "form_design_view.h"
#include "form_draw_v_sheet_view.h"
#include "form_export_view.h"
#include "form_haul_view.h"
#include "form_set_view.h"
#include "form_sort_view.h"
#include "haul/form_haul.h"
#include "sections/form_set.h"
#include "sections/form_sort.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {

std::unique_ptr<DialogView> MakeDialogView(Presenter& presenter) {
  if (auto* form = dynamic_cast<FormSort*>(&presenter)) return MakeFormSortView(*form);
  if (auto* form = dynamic_cast<FormSet*>(&presenter)) return MakeFormSetView(*form);
  if (auto* form = dynamic_cast<FormDrawVSheet*>(&presenter)) return MakeFormDrawVSheetView(*form);
  if (auto* form = dynamic_cast<FormCad*>(&presenter)) return MakeFormCadView(*form);
  if (auto* form = dynamic_cast<FormDesign*>(&presenter)) return MakeFormDesignView(*form);
  if (auto* form = dynamic_cast<FormExport*>(&presenter)) return MakeFormExportView(*form);
  if (auto* form = dynamic_cast<FormHaul*>(&presenter)) return MakeFormHaulView(*form);
  return nullptr;
}

}  // namespace kestrel
