// HaulState: where the dialog kept between commands is destroyed.
#include "haul/haul_state.h"

#include "haul/form_haul.h"

namespace kestrel {

HaulState::HaulState() = default;
HaulState::~HaulState() = default;

}  // namespace kestrel
