// What the plug-in installation command keeps between runs: its dialog, so that the window is made once.
#pragma once

#include <memory>

namespace kestrel {

class FormCad;

struct CadPluginState {
  CadPluginState();
  ~CadPluginState();
  CadPluginState(const CadPluginState&) = delete;
  CadPluginState& operator=(const CadPluginState&) = delete;

  // The plug-in installation dialog; reset at each showing.
  std::unique_ptr<FormCad> CadDialog;
};

}  // namespace kestrel
