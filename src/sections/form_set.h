// FormSet: the drawing settings dialog's presenter, with its clipboard watcher.
#pragma once

#include <map>

#include "host/dialogs.h"

namespace kestrel {

class Clipboard;
class Shell;
class Timer;
class Ui;
class Application;
struct SectionsState;

// Created once per session and only hidden between uses: every value typed stays for the next
// run. While "同时标注偏距" is ticked a timer watches the clipboard, also while the dialog is
// hidden, and strips the double quotes the host puts around copied two-line label cells.
class FormSet : public Presenter {
 public:
  // clipboard and timer may be null where the platform has none: no watcher then.
  FormSet(SectionsState& state, Ui& ui, Shell& shell, Clipboard* clipboard, Timer* timer);
  ~FormSet() override;
  const char* DialogName() const override { return "FormSet"; }

  // Shows the dialog modally through the platform; returns when it is hidden again. host is
  // the connected host the dictionary picture lists on (none: the picture only closes).
  void Show(DialogHost& dialogs, Application* host);

  // Events.
  void OnLoad();
  void OnPaint();
  void OnResize(int innerWidth);
  void OnCheckAddFileClick();
  void OnCBFileAddClick();
  void OnImageViewClick();
  void OnLabelInfoClick(int index);
  void OnTextBoxDrawDClick();
  void OnTimerTick();
  void OnCommandOKClick();
  void OnCommandCancelClick() { OnCloseRequest(); }
  void OnCloseRequest() override;

  // Controls.
  Control uc1, uc2, UC3, TextBoxCol, TextBoxRow, CheckAddFile, TextFileName, CBFileAdd, Frame1, ImageView, TextBoxZHX,
      TextBoxZHY, TextBoxZHsize, Text5, ComboHeightModel, TextBoxHeightDigit, TextBoxHeightSize, TextBoxDrawD,
      CommandOK, CommandCancel;
  std::map<int, Control> LabelInfo;  // indices 0 to 7, 9, 10, 11

 private:
  SectionsState& state_;
  Application* host_ = nullptr;  // the host of the current showing
  Ui& ui_;
  Shell& shell_;
  Clipboard* clipboard_;
  Timer* timer_;
  bool loaded_ = false;
};

}  // namespace kestrel
