// Choosing and loading a dictionary file, as both section dialogs' ".." buttons do.
#pragma once

namespace kestrel {

class Ui;
struct Control;
struct DictionaryState;

enum class ChooseOutcome { Cancelled, Loaded, Failed };

// Asks for a .Dic file and loads it. Loaded: the dictionary's DicFileName is the path. Failed: it
// is emptied and the user has been told. Cancelled: nothing changed.
ChooseOutcome ChooseDictionaryFile(DictionaryState& dictionary, Ui& ui);

// The path box and the picture frame of a section dialog, as every showing paints them: the
// loaded file's path (also as the box's tool tip) with the frame shown, or both empty and the
// frame hidden.
void PaintDictionaryPath(const DictionaryState& dictionary, Control& path, Control& frame);

// The ".." button of a section dialog: choose and load a file, then show the outcome in the path
// box (caret after the last character) and the frame.
void ChooseDictionaryInto(DictionaryState& dictionary, Ui& ui, Control& path, Control& frame);

}  // namespace kestrel
