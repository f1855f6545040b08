// What the tool types into the section dialogs' dictionary controls, as a person would click them.
#pragma once

namespace kestrel {

// Ticks the dialog's dictionary box and, when load is true, presses its ".." button (the file
// name comes from the prompt answers queued before). True when the dictionary box ends up
// showing a loaded file or no load was asked for; false when the dialog refused the file.
template <class SectionDialog>
bool TickDictionary(SectionDialog& form, bool load) {
  form.CheckAddFile.checked = true;
  form.OnCheckAddFileClick();
  if (!load) return true;
  form.OnCBFileAddClick();
  return !form.TextFileName.text.empty();
}

}  // namespace kestrel
