// The volume sheet command: its dialog, then the builder.
#pragma once

#include "host/command_context.h"
#include "sections/drawn_sections.h"

namespace kestrel {

class FormDrawVSheet;

// Shows the volume sheet dialog (kept by its owner between runs) and, when it was accepted,
// builds the sheet as asked. Cancelled when the dialog was cancelled or no host is connected;
// Stopped when the builder showed its error message.
//
//   CommandOutcome outcome = VolumeSheetCommand(context, dialog, sections);
CommandOutcome VolumeSheetCommand(CommandContext& context, FormDrawVSheet& dialog, const DrawnSections& sections);

}  // namespace kestrel
