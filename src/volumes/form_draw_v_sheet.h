// FormDrawVSheet: the volume sheet dialog's presenter (variant, count mode, number of sections).
#pragma once

#include <map>

#include "host/dialogs.h"

namespace kestrel {

class Shell;
class Ui;
struct DrawnSections;
struct VolumeState;

// Created at the first volume sheet command and only hidden between uses, so every control keeps
// its last value. OK leaves volume.VolumeRequest filled in with Cancelled false; Cancel and the
// close box leave Cancelled true. Events take the controls as the window left them (a list's
// new selection is already in listIndex when its click arrives).
//
//   FormDrawVSheet form(volume, sections, ui, shell);
//   form.Show(dialogs);   // OK with "16" and "设计+实测": LastRow 20, Variant 4
class FormDrawVSheet : public Presenter {
 public:
  // sections: the last drawing, whose section count the dialog offers.
  FormDrawVSheet(VolumeState& volume, const DrawnSections& sections, Ui& ui, Shell& shell);
  const char* DialogName() const override { return "FormDrawVSheet"; }

  // Shows the dialog modally through the platform; returns when it is hidden again.
  void Show(DialogHost& host);

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
  VolumeState& volume_;
  const DrawnSections& sections_;
  Ui& ui_;
  Shell& shell_;
  bool loaded_ = false;
};

}  // namespace kestrel
