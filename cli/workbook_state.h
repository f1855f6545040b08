// What one invocation leaves for the next, kept in the workbook file itself: a hidden sheet.
#pragma once

#include "workbook/memory_workbook.h"
#include "addin/session.h"

namespace kestrel {

// The hidden sheet's name. Row 1: "SectionList" and the section count; then one row per section
// of the last draw-data run: StartRow, EndRow, Station, StationText, CentreLevel, BaseX, BaseY,
// Matched. The add-in keeps the same list in memory while the host is open; the tool keeps it
// here so that `kestrel volume --fill-stations` finds the sections of an earlier `kestrel draw`.
inline constexpr const char* kStateSheet = "KestrelState";

// Restores the section list from the workbook's state sheet, when it has one. A state sheet that
// does not make sense (no marker, a count that is no whole number of sections the sheet can hold,
// a section's rows outside the sheet) is never trusted: the session keeps no sections and the
// reason comes back as one line ("the KestrelState sheet ...; ignored"); "" otherwise.
std::string RestoreSessionState(MemoryWorkbook& book, Session& session);
// Writes the session's section list into the state sheet (made, hidden, when missing).
void StoreSessionState(MemoryWorkbook& book, const Session& session);

}  // namespace kestrel
