// FormDrawVSheet: the volume sheet dialog's presenter (variant, count mode, number of sections).
#pragma once

#include <map>
#include <optional>
#include <string>

#include "host/dialogs.h"
#include "volumes/volume_sheet.h"

namespace kestrel {

class Shell;
class Ui;
struct DrawnSections;

// The volume sheet dialog's entries as chosen and typed.
struct VolumeSheetEntries {
  int VariantIndex = 1;       // "实测", "设计+实测", "设计+实测+剩余"
  bool FillStations = false;  // "检测横断面数量+填入桩号"
  std::string Sections = "16";
};

// The request the entries make: the totals row is |leading number| + 4 to the nearest whole
// number, halves to even, at least 6; nothing when that is beyond a sheet's row numbers (the
// dialog's OK then does nothing, with no message). The dialog and the command-line tool share it.
std::optional<VolumeSheetRequest> VolumeSheetRequestFrom(const VolumeSheetEntries& entries);

// Whether the last drawing's sections can fill the stations: at least two; when not, the user is
// told to draw the data first ("以下注意事项:…").
bool CanFillStations(const DrawnSections& sections, Ui& ui);

// Created at the first volume sheet command and only hidden between uses, so every control keeps
// its last value. Events take the controls as the window left them (a list's new selection is
// already in listIndex when its click arrives).
//
//   FormDrawVSheet form(sections, ui, shell);
//   form.Ask(dialogs);   // OK with "16" and "设计+实测": LastRow 20, Variant 4; nothing when cancelled
class FormDrawVSheet : public Presenter {
 public:
  // sections: the last drawing, whose section count the dialog offers.
  FormDrawVSheet(const DrawnSections& sections, Ui& ui, Shell& shell);
  const char* DialogName() const override { return "FormDrawVSheet"; }

  // Shows the dialog modally through the platform; returns when it is hidden again.
  void Show(DialogHost& host);
  // Shows the dialog and gives the request its OK made, or nothing when it was cancelled.
  std::optional<VolumeSheetRequest> Ask(DialogHost& host);
  // The request of the last showing (nothing when it was cancelled).
  const std::optional<VolumeSheetRequest>& Request() const { return request_; }

  // Events.
  void OnLoad();
  void OnResize(int innerWidth);
  // The count-mode rule, on every click or change of selection of ComboHDMnumber.
  void OnComboHDMnumberClick();
  void OnLabelInfoClick(int index);
  void OnCommandOKClick();
  void OnCommandCancelClick() { OnCloseRequest(); }
  void OnCloseRequest() override;

  // Controls.
  Control uc1, ComboVMode, ComboHDMnumber, TextDrawDMnumber, CommandOK, CommandCancel;
  std::map<int, Control> LabelInfo;  // indices 11, 0, 1 and the links 6, 7

  // The entries of ComboHDMnumber.
  static constexpr int kDetectSections = 0;  // "检测横断面数量+填入桩号"
  static constexpr int kTypeSections = 1;    // "填入横断面数量+不填入桩号"

 private:
  const DrawnSections& sections_;
  std::optional<VolumeSheetRequest> request_;
  Ui& ui_;
  Shell& shell_;
  bool loaded_ = false;
};

}  // namespace kestrel
