// InitialSort: surveyed points into sections by station, sorted and separated by empty rows.
#pragma once

#include <string_view>

#include "host/command_context.h"
#include "host/worksheet.h"

namespace kestrel {

struct SectionsState;

// Runs the whole command on the active sheet: the sort dialog, the already-sorted and station
// checks with their questions, the new station column F, the sort, the separating rows, the
// one-point borders and the note on F1. A host error ends it where it happens; what was done
// stays in the sheet.
CommandOutcome InitialSort(CommandContext& context, SectionsState& sections);

// Puts a hidden note on one cell: the title in bold, CR LF, then the body. A host error ends it
// quietly.
void SetHeaderNote(Worksheet& sheet, CellRef cell, std::string_view title, std::string_view body, int width,
                   int height);

}  // namespace kestrel
