// Application: the port to the spreadsheet host itself (its active sheet, new sheets, switches).
#pragma once

#include <optional>
#include <string>

#include "addin/host/address.h"
#include "addin/host/worksheet.h"

namespace kestrel {

// The cell whose formula is being calculated (for worksheet functions).
struct CallerCell {
  std::string sheet;
  CellRef cell;
};

class Application {
 public:
  virtual ~Application() = default;

  virtual Worksheet& ActiveSheet() = 0;
  // Adds a sheet in front of the active one, with the host's default name; it becomes active.
  virtual Worksheet& AddSheet() = 0;

  virtual bool ScreenUpdating() = 0;
  virtual void SetScreenUpdating(bool on) = 0;
  virtual bool DisplayAlerts() = 0;
  virtual void SetDisplayAlerts(bool on) = 0;

  virtual double InchesToPoints(double inches) = 0;
  // The calling cell while a worksheet function runs; nothing otherwise.
  virtual std::optional<CallerCell> Caller() = 0;
};

// Switches screen updating off for a scope and always back on, also when the scope throws.
class ScreenUpdatingOff {
 public:
  explicit ScreenUpdatingOff(Application& app) : app_(app) { app_.SetScreenUpdating(false); }
  ~ScreenUpdatingOff() {
    try {
      app_.SetScreenUpdating(true);
    } catch (...) {
    }
  }
  ScreenUpdatingOff(const ScreenUpdatingOff&) = delete;
  ScreenUpdatingOff& operator=(const ScreenUpdatingOff&) = delete;

 private:
  Application& app_;
};

}  // namespace kestrel
