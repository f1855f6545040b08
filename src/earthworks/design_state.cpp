// DesignState: where the dialog kept between commands is destroyed.
#include "earthworks/design_state.h"

#include "earthworks/form_design.h"

namespace kestrel {

DesignState::DesignState() = default;
DesignState::~DesignState() = default;

}  // namespace kestrel
