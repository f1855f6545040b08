// CadPluginState: where the dialog kept between commands is destroyed.
#include "cadplugin/cad_state.h"

#include "cadplugin/form_cad.h"

namespace kestrel {

CadPluginState::CadPluginState() = default;
CadPluginState::~CadPluginState() = default;

}  // namespace kestrel
