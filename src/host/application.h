// Application: the port to the spreadsheet host itself (its active sheet, new sheets, switches).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/address.h"
#include "host/worksheet.h"

namespace kestrel {

// The cell whose formula is being calculated (for worksheet functions).
struct CallerCell {
  std::string sheet;
  CellRef cell;
};

// What the host shows at this moment, as the checks before a command see it: an open workbook, a
// worksheet active (not a chart sheet), whether that sheet's cells are protected, and whether the
// selection is cells (not a picture, a shape or a chart).
struct HostView {
  bool workbookOpen = true;
  bool worksheetActive = true;
  bool sheetProtected = false;
  bool cellsSelected = true;
  friend bool operator==(const HostView&, const HostView&) = default;
};

class Application {
 public:
  virtual ~Application() = default;

  // What the host shows; a host that cannot tell answers that all is well.
  virtual HostView View() { return {}; }

  virtual Worksheet& ActiveSheet() = 0;
  // Adds a sheet in front of the active one, with the host's default name; it becomes active.
  virtual Worksheet& AddSheet() = 0;
  // The worksheets of the active workbook in tab order (chart sheets left out).
  virtual std::vector<Worksheet*> Worksheets() = 0;

  virtual bool ScreenUpdating() = 0;
  virtual void SetScreenUpdating(bool on) = 0;
  virtual bool DisplayAlerts() = 0;
  virtual void SetDisplayAlerts(bool on) = 0;

  virtual double InchesToPoints(double inches) = 0;
  // The calling cell while a worksheet function runs; nothing otherwise.
  virtual std::optional<CallerCell> Caller() = 0;
};

// The worksheet of the active workbook named `name` (without regard to case, as the host names
// sheets); null when there is none.
Worksheet* FindWorksheet(Application& host, std::string_view name);

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
