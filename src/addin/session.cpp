// Session: where the dialogs kept between commands are destroyed.
#include "addin/session.h"

#include "cadplugin/form_cad.h"
#include "sections/form_set.h"
#include "sections/form_sort.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {

Session::Session() = default;
Session::~Session() = default;

}  // namespace kestrel
