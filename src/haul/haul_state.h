// What the distribution command keeps between runs: its dialog, and the platform's page writer.
#pragma once

#include <memory>

#include "drawing/mass_haul_page_layout.h"
#include "haul/haul_run.h"

namespace kestrel {

class FormHaul;

struct HaulState {
  HaulState();
  ~HaulState();
  HaulState(const HaulState&) = delete;
  HaulState& operator=(const HaulState&) = delete;

  // The distribution dialog, created at its first use and kept, hidden, while the state lives.
  std::unique_ptr<FormHaul> HaulDialog;
  // Draws the diagram page: an SVG document on every platform; a platform with another renderer
  // may put one here that draws more kinds of file.
  MassHaulPageWriter WriteHaulPage = WriteMassHaulSvgFile;
};

}  // namespace kestrel
