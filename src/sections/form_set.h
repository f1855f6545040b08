// FormSet: the drawing settings dialog's presenter, with its clipboard watcher.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "host/dialogs.h"
#include "sections/draw_data.h"

namespace kestrel {

class Clipboard;
class Shell;
class Timer;
class Ui;
class Application;
struct DictionaryState;

// The draw-data dialog's entries as typed.
struct DrawEntries {
  std::string ColumnSpacing = "200", RowSpacing = "0";
  std::string StationLabelDX = "0", StationLabelDY = "20", StationTextHeight = "1";
  std::string LevelDigits = "3", LevelTextHeight = "0.7";
  int LabelMode = 1;  // the list index of "标注模式"
  bool LabelOffsets = false;
  bool UseDictionary = false;
};

// The request the entries make: each number read as far as it goes, as the dialog's OK reads it
// (the dialog and the command-line tool both go through this).
DrawRequest DrawRequestFrom(const DrawEntries& entries);

// Created once per session and only hidden between uses: every value typed stays for the next
// run. While "同时标注偏距" is ticked a timer watches the clipboard, also while the dialog is
// hidden, and strips the double quotes the host puts around copied two-line label cells.
class FormSet : public Presenter {
 public:
  // clipboard and timer may be null where the platform has none: no watcher then.
  FormSet(DictionaryState& dictionary, Ui& ui, Shell& shell, Clipboard* clipboard, Timer* timer);
  ~FormSet() override;
  const char* DialogName() const override { return "FormSet"; }

  // Shows the dialog modally through the platform; returns when it is hidden again. host is
  // the connected host the dictionary picture lists on (none: the picture only closes).
  void Show(DialogHost& dialogs, Application* host);
  // Shows the dialog and gives the request its OK made, or nothing when it was cancelled.
  std::optional<DrawRequest> Ask(DialogHost& dialogs, Application* host);
  // The request of the last showing (nothing when it was cancelled).
  const std::optional<DrawRequest>& Request() const { return request_; }

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
  DictionaryState& dictionary_;
  std::optional<DrawRequest> request_;
  Application* host_ = nullptr;  // the host of the current showing
  Ui& ui_;
  Shell& shell_;
  Clipboard* clipboard_;
  Timer* timer_;
  bool loaded_ = false;
};

}  // namespace kestrel
