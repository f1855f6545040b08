// What the distribution command keeps between runs: the platform's page writer.
#pragma once

#include "drawing/mass_haul_page_layout.h"
#include "haul/haul_run.h"

namespace kestrel {

struct HaulState {
  // Draws the diagram page: an SVG document on every platform; a platform with another renderer
  // may put one here that draws more kinds of file.
  MassHaulPageWriter WriteHaulPage = WriteMassHaulSvgFile;
};

}  // namespace kestrel
