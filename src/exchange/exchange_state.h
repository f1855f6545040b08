// What the export command keeps between runs: its dialog, so that it shows the last entries.
#pragma once

#include <memory>

namespace kestrel {

class FormExport;

struct ExchangeState {
  ExchangeState();
  ~ExchangeState();
  ExchangeState(const ExchangeState&) = delete;
  ExchangeState& operator=(const ExchangeState&) = delete;

  // The export dialog, created at its first use and kept, hidden, while the state lives.
  std::unique_ptr<FormExport> ExportDialog;
};

}  // namespace kestrel
