// The Application port over the host's own Application object, called late-bound through IDispatch.
#pragma once

#include <oaidl.h>

#include <optional>
#include <string_view>

#include "addin/host/application.h"

namespace kestrel {

// Holds a reference to the host's Application from OnConnection until it is destroyed.
//   DispatchApplication app(hostDispatch);
//   app.SetScreenUpdating(false);   // Application.ScreenUpdating = False
class DispatchApplication final : public Application {
 public:
  explicit DispatchApplication(IDispatch* host);
  ~DispatchApplication() override;
  DispatchApplication(const DispatchApplication&) = delete;
  DispatchApplication& operator=(const DispatchApplication&) = delete;

  Worksheet& ActiveSheet() override;
  Worksheet& AddSheet() override;

  bool ScreenUpdating() override;
  void SetScreenUpdating(bool on) override;
  bool DisplayAlerts() override;
  void SetDisplayAlerts(bool on) override;

  double InchesToPoints(double inches) override;
  std::optional<CallerCell> Caller() override;

 private:
  bool GetSwitch(std::wstring_view name);
  void SetSwitch(std::wstring_view name, bool on);

  IDispatch* host_;
};

}  // namespace kestrel
