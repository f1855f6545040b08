// What the distribution command keeps between runs: its dialog, and the platform's page writer.
#pragma once

#include <memory>

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
  // Draws the diagram page where the platform has a renderer; null where it has none.
  MassHaulPageWriter WriteHaulPage = nullptr;
};

}  // namespace kestrel
