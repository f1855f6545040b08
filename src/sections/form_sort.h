// FormSort: the sort dialog's presenter (spacing, tolerance, dictionary file).
#pragma once

#include <map>
#include <optional>
#include <string>

#include "host/dialogs.h"
#include "sections/initial_sort.h"

namespace kestrel {

class Shell;
class Ui;
class Application;
struct DictionaryState;

// The sort dialog's entries as typed.
struct SortEntries {
  std::string Spacing = "5";
  std::string Tolerance = "1";
  bool UseDictionary = false;
};

// The request the entries make, or nothing when the spacing is not a whole number of metres
// above zero: the user is then told so ("横断面整理间距请填入大于零的整数,…"). The dialog's OK and
// the command-line tool both go through this check.
std::optional<SortRequest> SortRequestFrom(const SortEntries& entries, Ui& ui);

// Created once per session and only hidden between uses, so every control keeps what the user
// last entered. Events take the control state as the window left it (a check box is already
// ticked when its click arrives).
//
//   FormSort form(dictionary, ui, shell);
//   if (std::optional<SortRequest> request = form.Ask(dialogs, host)) ...   // OK; nothing when cancelled
class FormSort : public Presenter {
 public:
  FormSort(DictionaryState& dictionary, Ui& ui, Shell& shell);
  const char* DialogName() const override { return "FormSort"; }

  // Shows the dialog modally through the platform; returns when it is hidden again.
  void Show(DialogHost& dialogs, Application* host);
  // Shows the dialog and gives the request its OK made, or nothing when it was cancelled.
  std::optional<SortRequest> Ask(DialogHost& dialogs, Application* host);
  // The request of the last showing (nothing when it was cancelled).
  const std::optional<SortRequest>& Request() const { return request_; }

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
  DictionaryState& dictionary_;
  std::optional<SortRequest> request_;
  Application* host_ = nullptr;  // the host of the current showing
  Ui& ui_;
  Shell& shell_;
  bool loaded_ = false;
};

}  // namespace kestrel
