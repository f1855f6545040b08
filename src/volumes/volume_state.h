// What the volume sheet command keeps between runs: its dialog and the request it last accepted.
#pragma once

#include <memory>

namespace kestrel {

// What the volume sheet dialog hands its builder. All zero until the dialog's first OK.
struct VolumeSheetRequest {
  bool Cancelled = false;     // set by every close of the dialog; cleared by OK
  int Variant = 0;            // 2, 4 or 6
  int LastRow = 0;            // the totals row: number of sections + 4, at least 6
  bool FillStations = false;  // write the recorded sections' stations into column A
};

class FormDrawVSheet;

struct VolumeState {
  VolumeState();
  ~VolumeState();
  VolumeState(const VolumeState&) = delete;
  VolumeState& operator=(const VolumeState&) = delete;

  VolumeSheetRequest VolumeRequest;
  // The volume sheet dialog, created at its first use and kept, hidden, while the state lives.
  std::unique_ptr<FormDrawVSheet> VolumeDialog;
};

}  // namespace kestrel
