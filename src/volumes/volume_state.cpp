// VolumeState: where the dialog kept between commands is destroyed.
#include "volumes/volume_state.h"

#include "volumes/form_draw_v_sheet.h"

namespace kestrel {

VolumeState::VolumeState() = default;
VolumeState::~VolumeState() = default;

}  // namespace kestrel
