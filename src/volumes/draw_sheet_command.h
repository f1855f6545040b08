// FunhdmDrawSheet: the draw-volume-sheet command, from its dialog to the new sheet.
#pragma once

#include "host/command_context.h"
#include "sections/drawn_sections.h"

namespace kestrel {

struct VolumeState;

// Shows FormDrawVSheet (made at the first use and kept in the volume state) and, when it was
// accepted, builds the sheet with its last row and variant. Cancelled when the dialog was
// cancelled or no host is connected; Stopped when the builder showed its error message.
//
//   CommandOutcome outcome = FunhdmDrawSheet(context, volume, sections);
CommandOutcome FunhdmDrawSheet(CommandContext& context, VolumeState& volume, const DrawnSections& sections);

}  // namespace kestrel
