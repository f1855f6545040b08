// The Application port over the host's own Application object, called late-bound through IDispatch.
#pragma once

#include <oaidl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/application.h"
#include "dispatch_call.h"
#include "dispatch_worksheet.h"

namespace kestrel {

// Holds a reference to the host's Application from OnConnection until it is destroyed.
//   DispatchApplication app(hostDispatch);
//   app.SetScreenUpdating(false);                  // Application.ScreenUpdating = False
//   Worksheet& sheet = app.ActiveSheet();          // Application.ActiveSheet
class DispatchApplication final : public Application {
 public:
  explicit DispatchApplication(IDispatch* host);
  ~DispatchApplication() override;
  DispatchApplication(const DispatchApplication&) = delete;
  DispatchApplication& operator=(const DispatchApplication&) = delete;

  // The sheet handed out stays valid until ReleaseSheets; asking again for the same host sheet
  // gives the same Worksheet.
  Worksheet& ActiveSheet() override;
  // Application.Sheets.Add, then the active sheet (the new one).
  Worksheet& AddSheet() override;
  // Application.Worksheets: Count, then Item(1) to Item(Count).
  std::vector<Worksheet*> Worksheets() override;

  bool ScreenUpdating() override;
  void SetScreenUpdating(bool on) override;
  bool DisplayAlerts() override;
  void SetDisplayAlerts(bool on) override;

  double InchesToPoints(double inches) override;
  // Application.Caller when it is a Range: its sheet's name, row and column.
  std::optional<CallerCell> Caller() override;
  // ActiveWorkbook is not Nothing; ActiveSheet has Range (a chart sheet has not) and its
  // ProtectContents; Selection has Address (a shape or a chart has not).
  HostView View() override;

  // The host's file prompts, for the Ui port: the chosen path, or nothing when the host answers
  // the Boolean False (the user cancelled).
  //   Application.GetOpenFilename(filter, 1, title, , False)
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title);
  //   Application.GetSaveAsFilename(initialName, filter, , title)
  std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                               std::string_view title);

  // Lets go of every sheet handed out, so that host objects are held only while a command runs.
  void ReleaseSheets();

 private:
  bool GetSwitch(std::wstring_view name);
  void SetSwitch(std::wstring_view name, bool on);
  Worksheet& Wrap(DispatchRef sheet);
  std::optional<std::string> PromptAnswer(Variant& answer, std::string_view what);

  IDispatch* host_;
  // Sheets by COM identity (their IUnknown), each held by its DispatchWorksheet.
  std::vector<std::pair<IUnknown*, std::unique_ptr<DispatchWorksheet>>> sheets_;
};

}  // namespace kestrel
