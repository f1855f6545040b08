// What the section commands (sort, draw data, the dictionary) keep between runs.
#pragma once

#include <memory>

#include "sections/dictionary_state.h"
#include "sections/drawn_sections.h"

namespace kestrel {

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

class FormSort;
class FormSet;

// The dictionary both dialogs load, the two dialogs with their settings, and the last drawing.
struct SectionsState : DictionaryState, DrawnSections {
  SectionsState();
  ~SectionsState();
  SectionsState(const SectionsState&) = delete;
  SectionsState& operator=(const SectionsState&) = delete;

  SortSettings Sort;
  // The sort dialog, created at its first use and kept, hidden, while the state lives.
  std::unique_ptr<FormSort> SortDialog;

  DrawSettings Draw;
  // The drawing settings dialog, created at its first use and kept, hidden, with its watcher.
  std::unique_ptr<FormSet> SetDialog;
};

}  // namespace kestrel
