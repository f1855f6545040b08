// FunhdmDrawSheet: the draw-volume-sheet command, from its dialog to the new sheet.
#pragma once

#include "addin/commands.h"

namespace kestrel {

// Shows FormDrawVSheet (made at the first use and kept in the session) and, when it was
// accepted, builds the sheet with its last row and variant. Cancelled when the dialog was
// cancelled or no host is connected; Stopped when the builder showed its error message.
//
//   CommandOutcome outcome = FunhdmDrawSheet(context);
CommandOutcome FunhdmDrawSheet(CommandContext& context);

}  // namespace kestrel
