// SectionsState: where the dialogs kept between commands are destroyed.
#include "sections/sections_state.h"

#include "sections/form_set.h"
#include "sections/form_sort.h"

namespace kestrel {

SectionsState::SectionsState() = default;
SectionsState::~SectionsState() = default;

}  // namespace kestrel
