// Session: the process-wide state of the add-in, alive while the library is loaded.
#pragma once

#include <memory>

#include "cadplugin/form_cad.h"
#include "earthworks/form_design.h"
#include "exchange/form_export.h"
#include "geometry/geometry_state.h"
#include "haul/form_haul.h"
#include "haul/haul_state.h"
#include "sections/form_set.h"
#include "sections/form_sort.h"
#include "sections/sections_state.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {

class Application;

// The Windows shell owns one Session per process; tests and the command-line tool make their own.
// It puts the features' own states together (each command gets the parts it needs from the
// command table) with the connected host and the dialogs; nothing here is ever saved.
struct Session {
  // What the features keep between runs.
  SectionsState Sections;  // the dictionary and the last drawing
  GeometryState Geometry;  // the worksheet functions' loaded profile and slope files
  HaulState Haul;          // the platform's diagram page writer

  // The host's Application while the host has the add-in connected; null otherwise.
  Application* HostApplication = nullptr;

  // The commands' dialogs, created at their first use and kept, hidden, so that every entry stays
  // for the next run (the settings dialog with its clipboard watcher).
  std::unique_ptr<FormSort> SortDialog;
  std::unique_ptr<FormSet> DrawDialog;
  std::unique_ptr<FormDrawVSheet> VolumeDialog;
  std::unique_ptr<FormDesign> DesignDialog;
  std::unique_ptr<FormExport> ExportDialog;
  std::unique_ptr<FormHaul> HaulDialog;
  // The plug-in installation dialog, made once (each showing starts it afresh); the platform's
  // download reports to it.
  std::unique_ptr<FormCad> CadDialog;
};

}  // namespace kestrel
