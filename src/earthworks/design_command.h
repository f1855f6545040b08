// The design command: design sections for every measured section of the active sheet, a results
// sheet, and on request a volume sheet filled with the design areas.
#pragma once

#include <vector>

#include "host/command_context.h"
#include "earthworks/design_inputs.h"

namespace kestrel {

class Worksheet;

struct DesignRequest {
  DesignFiles Files;
  bool Volume = false;  // also build a volume sheet and fill its areas
  int Variant = 4;      // of that volume sheet: 2, 4 or 6
};

// The design section of every measured section, in sheet order. Throws DesignError for a
// station the cross-slope or widening file does not cover.
std::vector<DesignSection> DesignSections(const std::vector<GroundSection>& ground, const DesignInputs& inputs);

// How many sections had a side's ground line extended (the results sheet's remarks).
int SectionsWithGroundExtended(const std::vector<DesignSection>& sections);

// The measured sections of a sorted survey sheet, their points in increasing offset (points of
// equal offset keep their sheet order).
std::vector<GroundSection> MeasuredSections(Worksheet& sheet);

// The whole command on the host's active sheet: reads the files and the sections, computes
// every design section, adds the results sheet (WriteDesignResults) and, with Volume, a volume
// sheet of the variant (DrawVolumeSheet) whose stations and areas it fills. Nothing is added
// when a file or a station fails: DesignError says which. Completed, or what the volume
// builder returned. The results, when asked for, are handed back.
CommandOutcome RunDesign(CommandContext& context, const DesignRequest& request,
                         std::vector<DesignSection>* results = nullptr);

}  // namespace kestrel
