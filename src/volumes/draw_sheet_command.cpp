// FunhdmDrawSheet: the volume sheet dialog, then the builder.
#include "volumes/draw_sheet_command.h"

#include <memory>

#include "addin/session.h"
#include "volumes/form_draw_v_sheet.h"
#include "volumes/volume_sheet.h"

namespace kestrel {

CommandOutcome FunhdmDrawSheet(CommandContext& context) {
  Session& session = context.session;
  if (session.HostApplication == nullptr) return CommandOutcome::Cancelled;
  if (!session.VolumeDialog) session.VolumeDialog = std::make_unique<FormDrawVSheet>(session, context.ui, context.shell);
  session.VolumeDialog->Show(context.dialogs);
  const VolumeSheetRequest& request = session.VolumeRequest;
  if (request.Cancelled) return CommandOutcome::Cancelled;
  return DrawVolumeSheet(context, request.LastRow, request.Variant);
}

}  // namespace kestrel
