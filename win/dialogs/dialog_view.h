// DialogView: one modeless Win32 dialog window kept in step with its presenter's Control members.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/dialogs.h"

namespace kestrel {

// How a control of the template shows its Control state and what it reports back.
enum class ControlKind {
  Button,        // text, enabled, visible; clicks
  CheckBox,      // BS_AUTOCHECKBOX: text and checked both ways; clicks arrive already toggled
  Edit,          // text both ways; read-only and caret from the presenter
  Label,         // static text; clicks with SS_NOTIFY; the hand pointer when the Control asks
  Frame,         // group box; its visible and enabled state also apply to the controls it holds
  Picture,       // SS_OWNERDRAW static showing a bitmap resource of the module; clicks
  CaptionBand,   // SS_OWNERDRAW static painted as the shaded caption band with the Control's text
  DropDownList,  // CBS_DROPDOWNLIST: items from the presenter, selection both ways
};

// One control of the dialog template and the presenter member it shows.
struct ControlBinding {
  int id = 0;
  Control* control = nullptr;
  ControlKind kind = ControlKind::Label;
  std::function<void()> onClick;       // BN_CLICKED / STN_CLICKED
  std::function<void()> onChange;      // EN_CHANGE / CBN_SELCHANGE, not raised by the view's own updates
  const Control* container = nullptr;  // the frame the control sits in
  const wchar_t* picture = nullptr;    // Picture: the bitmap resource (32-bit, premultiplied alpha)
};

// The window is created once from a DIALOGEX template of the module and then only shown and
// hidden, as the presenter is. Before each event the view copies what the user can change (text,
// checked, selection) into the presenter; after it, everything the presenter holds (text,
// checked, enabled, visible, tool tips, list items and selection, read-only, caret, and the
// geometry of controls whose size the presenter sets) back to the window. WM_CLOSE is the
// presenter's OnCloseRequest; WM_SIZE its resize event.
class DialogView {
 public:
  DialogView(Presenter& presenter, int templateId, std::vector<ControlBinding> bindings,
             std::function<void(int innerWidth)> onResize);
  ~DialogView();
  DialogView(const DialogView&) = delete;
  DialogView& operator=(const DialogView&) = delete;

  Presenter& Owner() { return presenter_; }
  // Creates the window on first use (hidden), owned by `owner`.
  HWND Window(HWND owner);
  HWND Window() const { return window_; }

  void Push();  // presenter -> window
  void Pull();  // window -> presenter
  // Pull, run the handler, Push; an exception is kept for the modal loop. For the controls' events
  // and for events from outside the window (a download's).
  void Event(const std::function<void()>& handler);

  // An exception thrown by a presenter's handler is kept here (it must not unwind through the
  // system's window procedures) and rethrown by the modal loop once the dialog is hidden.
  bool Failed() const { return static_cast<bool>(failure_); }
  void RethrowFailure();

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  const ControlBinding* Find(int id) const;
  const ControlBinding* Find(HWND control) const;
  bool Shown(const ControlBinding& b) const;
  bool Enabled(const ControlBinding& b) const;
  void PushOne(const ControlBinding& b);
  void PushToolTip(const ControlBinding& b, HWND control);
  void Draw(const ControlBinding& b, const DRAWITEMSTRUCT& item);

  Presenter& presenter_;
  int templateId_;
  std::vector<ControlBinding> bindings_;
  std::function<void(int)> onResize_;
  HWND window_ = nullptr;
  HWND toolTips_ = nullptr;
  bool pushing_ = false;
  std::exception_ptr failure_;
  // What was last pushed, so that an unchanged value does not disturb the user's caret or list.
  std::map<int, std::wstring> toolTipShown_;
  std::map<int, int> caretShown_;
  std::map<int, std::vector<std::string>> itemsShown_;
  std::map<int, std::string> captionShown_;
};

}  // namespace kestrel
