// InitialSort: surveyed points into sections by station, sorted and separated by empty rows.
#pragma once

#include <string_view>

#include "host/command_context.h"
#include "host/worksheet.h"

namespace kestrel {

struct DictionaryState;
class FormSort;

// What a sort is asked to do: the sort dialog's entries, checked (SortRequestFrom).
struct SortRequest {
  int Spacing = 5;             // whole metres, greater than zero
  double MatchTolerance = 1;   // metres, never negative
  bool UseDictionary = false;  // match stations against the loaded dictionary
};

// Sorts the active sheet as asked: the already-sorted and station checks with their questions,
// the new station column F, the sort, the separating rows, the one-point borders and the note
// on F1. A host error ends it where it happens; what was done stays in the sheet.
CommandOutcome SortSurvey(CommandContext& context, const SortRequest& request, const DictionaryState& dictionary);

// The whole command: the sort dialog (kept by its owner between runs), then SortSurvey;
// Cancelled when the dialog is.
CommandOutcome InitialSort(CommandContext& context, FormSort& dialog, const DictionaryState& dictionary);

// Puts a hidden note on one cell: the title in bold, CR LF, then the body. A host error ends it
// quietly.
void SetHeaderNote(Worksheet& sheet, CellRef cell, std::string_view title, std::string_view body, int width,
                   int height);

}  // namespace kestrel
