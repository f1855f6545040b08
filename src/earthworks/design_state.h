// What the design command keeps between runs: its dialog, so that it shows the last entries.
#pragma once

#include <memory>

namespace kestrel {

class FormDesign;

struct DesignState {
  DesignState();
  ~DesignState();
  DesignState(const DesignState&) = delete;
  DesignState& operator=(const DesignState&) = delete;

  // The design dialog, created at its first use and kept, hidden, while the state lives.
  std::unique_ptr<FormDesign> DesignDialog;
};

}  // namespace kestrel
