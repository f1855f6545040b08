// FormDesign: the design-sections dialog's presenter (the four files, the volume sheet choice).
#pragma once

#include <optional>

#include "host/dialogs.h"
#include "earthworks/design_command.h"

namespace kestrel {

class Ui;

// Kept between uses, so every control keeps its last value. OK with a profile and a template
// named hides the dialog and leaves Cancelled false; OK without them says what is missing and
// stays; Cancel and the close box leave Cancelled true. Each "..." button asks for its file
// with the host's open-file prompt and puts the answer in its box (a cancelled prompt changes
// nothing).
//
//   FormDesign form(ui);
//   form.Show(dialogs);   // OK: form.Request() has the four names, Volume and Variant 4
class FormDesign : public Presenter {
 public:
  explicit FormDesign(Ui& ui);
  const char* DialogName() const override { return "FormDesign"; }

  void Show(DialogHost& host);
  // Shows the dialog and gives the request its OK made, or nothing when it was cancelled.
  std::optional<DesignRequest> Ask(DialogHost& host);
  // The request as the controls stand: the trimmed names, the check box, the variant 2, 4 or 6.
  DesignRequest Request() const;

  // Events.
  void OnBrowseProfileClick();
  void OnBrowseSlopesClick();
  void OnBrowseWideningClick();
  void OnBrowseTemplateClick();
  void OnCommandOKClick();
  void OnCommandCancelClick() { OnCloseRequest(); }
  void OnCloseRequest() override;

  // Controls: captions, file boxes and their "..." buttons, the volume choice, OK and Cancel.
  Control LabelProfile, TextProfile, BrowseProfile;
  Control LabelSlopes, TextSlopes, BrowseSlopes;
  Control LabelWidening, TextWidening, BrowseWidening;
  Control LabelTemplate, TextTemplate, BrowseTemplate;
  Control CheckVolume, ComboVariant, CommandOK, CommandCancel;

 private:
  Ui& ui_;
  bool cancelled_ = true;
};

// The add-in's design command: the dialog (which its owner keeps between runs, so that it shows
// the last entries), then RunDesign on the active sheet. A file or station that fails is said in
// a message box titled "失败" (Stopped); a finished run says how many sections it designed and
// how many had their ground line extended. Cancelled when the dialog was cancelled or no host is
// connected.
//   FormDesign dialog(context.ui);
//   DesignSectionsCommand(context, dialog);
CommandOutcome DesignSectionsCommand(CommandContext& context, FormDesign& dialog);

}  // namespace kestrel
