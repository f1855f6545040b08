// FormSort: the sort dialog's presenter (spacing, tolerance, dictionary file).
#pragma once

#include <map>

#include "host/dialogs.h"

namespace kestrel {

class Shell;
class Ui;
class Application;
struct SectionsState;

// Created once per session and only hidden between uses, so every control keeps what the user
// last entered. Events take the control state as the window left it (a check box is already
// ticked when its click arrives).
//
//   FormSort form(sections, ui, shell);
//   form.Show(dialogs, host);   // modal; OK leaves sections.Sort.SortCancelled false
class FormSort : public Presenter {
 public:
  FormSort(SectionsState& state, Ui& ui, Shell& shell);
  const char* DialogName() const override { return "FormSort"; }

  // Shows the dialog modally through the platform; returns when it is hidden again.
  void Show(DialogHost& dialogs, Application* host);

  // Events.
  void OnLoad();
  void OnPaint();
  void OnResize(int innerWidth);
  void OnCheckAddFileClick();
  void OnCheckDistanceClick();
  void OnCBFileAddClick();
  void OnImageViewClick();
  void OnLabelInfoClick(int index);
  void OnCommandOKClick();
  void OnCommandCancelClick() { OnCloseRequest(); }
  void OnCloseRequest() override;

  // Controls.
  Control CommandOK, CommandCancel, uc1, CheckAddFile, TextOffset, CheckDistance, Frame1, ImageView,
      TextBoxDistance, TextFileName, CBFileAdd;
  std::map<int, Control> LabelInfo;  // indices 0, 6, 7

 private:
  SectionsState& state_;
  Application* host_ = nullptr;  // the host of the current showing
  Ui& ui_;
  Shell& shell_;
  bool loaded_ = false;
};

}  // namespace kestrel
