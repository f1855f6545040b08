// Session: the process-wide state of the add-in, alive while the library is loaded.
#pragma once

#include "cadplugin/cad_state.h"
#include "earthworks/design_state.h"
#include "exchange/exchange_state.h"
#include "geometry/geometry_state.h"
#include "haul/haul_state.h"
#include "sections/sections_state.h"
#include "volumes/volume_state.h"

namespace kestrel {

class Application;

// The Windows shell owns one Session per process; tests and the command-line tool make their own.
// It only puts the features' own states together (each command gets the parts it needs from the
// command table) with the connected host; nothing here is ever saved.
struct Session : SectionsState, VolumeState, GeometryState, CadPluginState, DesignState, ExchangeState,
                 HaulState {
  // The host's Application while the host has the add-in connected; null otherwise.
  Application* HostApplication = nullptr;
};

}  // namespace kestrel
