// FunhdmDrawSheet: the volume sheet dialog, then the builder.
#include "volumes/draw_sheet_command.h"

#include <memory>

#include "volumes/form_draw_v_sheet.h"
#include "volumes/volume_sheet.h"
#include "volumes/volume_state.h"

namespace kestrel {

CommandOutcome FunhdmDrawSheet(CommandContext& context, VolumeState& volume, const DrawnSections& sections) {
  if (context.host == nullptr) return CommandOutcome::Cancelled;
  if (!volume.VolumeDialog) {
    volume.VolumeDialog = std::make_unique<FormDrawVSheet>(volume, sections, context.ui, context.shell);
  }
  volume.VolumeDialog->Show(context.dialogs);
  const VolumeSheetRequest& request = volume.VolumeRequest;
  if (request.Cancelled) return CommandOutcome::Cancelled;
  return DrawVolumeSheet(context, volume, sections, request.LastRow, request.Variant);
}

}  // namespace kestrel
