// The Ui port on Win32: message boxes, and the host's own file prompts through its Application.
#pragma once

#include <windows.h>
#undef MessageBox  // the port's method, not the Win32 macro

#include <memory>

#include "host/ui.h"

namespace kestrel {

class DispatchApplication;

class Win32Ui final : public Ui {
 public:
  // `host` is where the server holds its connected host, empty while none is connected; it is read
  // at each call.
  explicit Win32Ui(const std::unique_ptr<DispatchApplication>& host) : host_(host) {}

  // A modal MessageBoxW: Ok or Yes/No buttons, optionally the information icon; the answer the
  // user clicked. Its owner is the add-in's modal dialog while one is up, else the active window.
  MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                           MessageIcon icon) override;
  // The host's GetOpenFilename and GetSaveAsFilename; HostError when no host is connected.
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) override;
  std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                               std::string_view title) override;

 private:
  DispatchApplication& Host();

  const std::unique_ptr<DispatchApplication>& host_;
};

}  // namespace kestrel
