// The dictionary file button of the section dialogs.
#include "sections/dictionary_chooser.h"

#include "host/dialogs.h"
#include "host/ui.h"
#include "sections/dictionary_file.h"
#include "util/unicode.h"

namespace kestrel {

ChooseOutcome ChooseDictionaryFile(DictionaryState& dictionary, Ui& ui) {
  std::optional<std::string> path =
      ui.GetOpenFilename("KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*", "选择断面位置字典文件");
  if (!path || AsciiLower(*path) == "false") return ChooseOutcome::Cancelled;
  if (ReadDicFile(*path, dictionary) == 1) {
    dictionary.DicFileName = *path;
    return ChooseOutcome::Loaded;
  }
  dictionary.DicFileName.clear();
  ui.MessageBox("你打开的不是有效的断面位置字典文件!", "失败", MessageButtons::Ok, MessageIcon::Information);
  return ChooseOutcome::Failed;
}

void PaintDictionaryPath(const DictionaryState& dictionary, Control& path, Control& frame) {
  path.text = dictionary.DicFileName;
  path.toolTip = dictionary.DicFileName;
  frame.visible = !dictionary.DicFileName.empty();
}

void ChooseDictionaryInto(DictionaryState& dictionary, Ui& ui, Control& path, Control& frame) {
  switch (ChooseDictionaryFile(dictionary, ui)) {
    case ChooseOutcome::Cancelled:
      break;
    case ChooseOutcome::Loaded:
      path.text = dictionary.DicFileName;
      path.caret = static_cast<int>(CodePointCount(path.text));
      frame.visible = true;
      break;
    case ChooseOutcome::Failed:
      path.text.clear();
      frame.visible = false;
      break;
  }
}

}  // namespace kestrel
