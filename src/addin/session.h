// Session: the process-wide state of the add-in, alive while the library is loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/geometry_state.h"

namespace kestrel {

class Application;

// One record of the station-location dictionary.
struct DicRecord {
  double Station = 0;
  double OriginX = 0;
  double OriginY = 0;
  double OriginLevel = 0;
  friend bool operator==(const DicRecord&, const DicRecord&) = default;
};

// One section found by the last draw-data run.
struct SectionRecord {
  int StartRow = 0;
  int EndRow = 0;
  double Station = 0;
  std::string StationText;
  double CentreLevel = 0;
  double BaseX = 0;
  double BaseY = 0;
  bool Matched = false;
};

// What the sort reads when its dialog returns.
struct SortSettings {
  bool SortCancelled = true;
  int SortSpacing = 5;        // whole metres, greater than zero
  double MatchTolerance = 1;  // metres, never negative
  bool UseDicFile = false;    // match stations against the dictionary
};

// The drawing settings of the draw-data dialog, read by the draw-data command.
struct DrawSettings {
  bool DialogCancelled = true;
  double ColumnSpacing = 200;
  double RowSpacing = 0;
  double StationLabelDX = 0;
  double StationLabelDY = 20;
  double StationTextHeight = 1;
  double LevelTextHeight = 0.7;
  double LevelDigits = 3;   // rounded to a whole number where used
  int LabelMode = 1;        // 0 centre only, 1 left end, centre and right end, 2 every point
  int LabelOffsets = 0;     // 1: labels carry the offset as well
  bool DrawUseDicFile = false;
};

// What the volume sheet dialog hands its builder. All zero until the dialog's first OK.
struct VolumeSheetRequest {
  bool Cancelled = false;     // set by every close of the dialog; cleared by OK
  int Variant = 0;            // 2, 4 or 6
  int LastRow = 0;            // the totals row: number of sections + 4, at least 6
  bool FillStations = false;  // write the recorded sections' stations into column A
};

class FormSort;
class FormSet;
class FormDrawVSheet;
class FormCad;

// The Windows shell owns one Session per process; tests and the command-line tool make their own.
// Commands take it by reference; nothing here is ever saved.
struct Session {
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The host's Application while the host has the add-in connected; null otherwise.
  Application* HostApplication = nullptr;

  // Station-location dictionary and the file it was loaded from ("" when none).
  std::vector<DicRecord> StationDictionary;
  std::string DicFileName;

  SortSettings Sort;
  // The sort dialog, created at its first use and kept, hidden, while the session lives.
  std::unique_ptr<FormSort> SortDialog;

  DrawSettings Draw;
  // The drawing settings dialog, created at its first use and kept, hidden, with its watcher.
  std::unique_ptr<FormSet> SetDialog;
  // The level-label commands of the last draw-data run, in the order they were produced.
  std::vector<std::string> LabelCommands;

  // Sections recorded by the last draw-data run, read by the volume sheet.
  std::vector<SectionRecord> SectionList;
  int SectionCount = 0;

  VolumeSheetRequest VolumeRequest;
  // The volume sheet dialog, created at its first use and kept, hidden, while the session lives.
  std::unique_ptr<FormDrawVSheet> VolumeDialog;
  // The plug-in installation dialog, kept so that its window is made once; reset at each showing.
  std::unique_ptr<FormCad> CadDialog;

  // The vertical profile GetH loaded last, with its source and timing.
  ProfileCache Profile;
  // The cross-slope and widening files GetHP and GetJK have parsed.
  SlopeCache Slopes;
  // Rand0's draws so far, mixed into its clock seed.
  std::uint64_t RandomDraws = 0;
};

}  // namespace kestrel
