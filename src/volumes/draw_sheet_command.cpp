// The volume sheet command: the dialog, then the builder.
#include "volumes/draw_sheet_command.h"

#include <optional>

#include "volumes/form_draw_v_sheet.h"
#include "volumes/volume_sheet.h"

namespace kestrel {

CommandOutcome VolumeSheetCommand(CommandContext& context, FormDrawVSheet& dialog, const DrawnSections& sections) {
  const std::optional<VolumeSheetRequest> request = dialog.Ask(context.dialogs);
  if (!request) return CommandOutcome::Cancelled;
  return DrawVolumeSheet(context, *request, sections);
}

}  // namespace kestrel
