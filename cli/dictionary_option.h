// The --dic option of the section commands: the dictionary loaded as the dialogs' ".." button loads it.
#pragma once

#include <string>

#include "cli_context.h"
#include "sections/dictionary_chooser.h"

namespace kestrel {

// Loads the dictionary file into the session through the same chooser the section dialogs use,
// so its checks and messages are the dialogs' own. False when the file is no dictionary (the
// user has been told); the command then ends as a dialog that stays open would: cancelled.
inline bool LoadDictionary(CliContext& context, const std::string& path) {
  context.Ui().QueueOpenFile(path);
  return ChooseDictionaryFile(context.GetSession().Sections, context.Ui()) == ChooseOutcome::Loaded;
}

}  // namespace kestrel
