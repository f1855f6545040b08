// The notes of a saved sheet: their texts (a comments part) and their boxes (a VML drawing).
#pragma once

#include <string>
#include <vector>

#include "io/xlsx_writer_sheet.h"

namespace kestrel {

// The comments part: each note's text in the standard note font, its first boldLength code
// points a bold run of their own.
std::string NotesPart(const std::vector<WrittenNote>& notes);

// The VML drawing of the notes' boxes: shown or hidden, with the note's size in whole pixels (a
// note without a size gets the standard box); `sheetNumber` numbers the shapes apart from other
// sheets' shapes.
std::string NoteBoxesPart(const std::vector<WrittenNote>& notes, int sheetNumber);

// Points as whole pixels at 96 dots per inch, at least one.
int PointsToPixels(double points);

}  // namespace kestrel
