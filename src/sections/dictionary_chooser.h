// Choosing and loading a dictionary file, as both section dialogs' ".." buttons do.
#pragma once

namespace kestrel {

class Ui;
struct Session;

enum class ChooseOutcome { Cancelled, Loaded, Failed };

// Asks for a .Dic file and loads it. Loaded: the session's DicFileName is the path. Failed: it
// is emptied and the user has been told. Cancelled: nothing changed.
ChooseOutcome ChooseDictionaryFile(Session& session, Ui& ui);

}  // namespace kestrel
