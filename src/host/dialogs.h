// Dialogs: presenters hold every control's state; the platform shows them modally.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Ui;

// One control's state as the window shows it.
struct Control {
  std::string text;     // caption or content
  std::string toolTip;
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  bool readOnly = false;
  int caret = 0;                   // caret position in code points, for text boxes
  std::vector<std::string> items;  // list entries, for drop-down lists
  int listIndex = -1;              // the selected entry; -1 for none
  bool handCursor = false;         // the hand pointer over a link label
  int left = 0, top = 0, width = 0, height = 0;  // pixels within the dialog
};

// A dialog's presenter: plain state plus one method per event. The dialog is modal while it is
// visible; it hides itself to end the modal loop (OK, Cancel, the close box), and is then kept,
// hidden, for its next showing.
class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual const char* DialogName() const = 0;  // "FormSort"
  bool Visible() const { return visible_; }
  // The close box, or anything else asking the dialog to unload: the dialog refuses, hides itself
  // and records the cancellation.
  virtual void OnCloseRequest() = 0;

 protected:
  void Hide() { visible_ = false; }
  void MarkShown() { visible_ = true; }

 private:
  bool visible_ = false;
};

// The platform's modal loop: shows the presenter's window until the presenter hides itself.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual void RunModal(Presenter& dialog) = 0;
};

// An entry's file chooser: the file picked to open goes into the box; Cancel leaves it as it was.
void ChooseFileToOpen(Ui& ui, Control& box, std::string_view filter, std::string_view title);
// The same for a file to write, offered under the name in the box, or `suggested` while it is empty.
void ChooseFileToWrite(Ui& ui, Control& box, std::string_view suggested, std::string_view filter,
                       std::string_view title);

}  // namespace kestrel
