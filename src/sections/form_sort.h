// FormSort: the sort dialog's presenter (spacing, tolerance, dictionary file).
#pragma once

#include <map>

#include "addin/host/dialogs.h"

namespace kestrel {

class Shell;
class Ui;
struct Session;

// Created once per session and only hidden between uses, so every control keeps what the user
// last entered. Events take the control state as the window left it (a check box is already
// ticked when its click arrives).
//
//   FormSort form(session, ui, shell);
//   form.Show(dialogs);     // modal; OK leaves session.Sort.SortCancelled false
class FormSort : public Presenter {
 public:
  FormSort(Session& session, Ui& ui, Shell& shell);
  const char* DialogName() const override { return "FormSort"; }

  // Shows the dialog modally through the platform; returns when it is hidden again.
  void Show(DialogHost& host);

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
  Session& session_;
  Ui& ui_;
  Shell& shell_;
  bool loaded_ = false;
};

}  // namespace kestrel
