// Finishing touches on a saved .xlsx that libxlsxwriter 1.1.4 cannot write: typed cells, bold note titles.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/xlsx_writer_sheet.h"

namespace kestrel {

// The worksheet part with each listed cell (written by libxlsxwriter as a formula with a text
// result, listed in row order) given its type and value, and its formula dropped unless kept.
// Throws std::runtime_error when a listed cell is not in the part.
//   <c r="B5" s="3" t="str"><f>1/0</f><v>#DIV/0!</v></c>  ->  <c r="B5" s="3" t="e"><f>1/0</f><v>#DIV/0!</v></c>
std::string RetypeCells(std::string_view sheetXml, const std::vector<RetypedCell>& cells);

// The comments part with the note of each listed cell split into a bold run of its first
// boldLength code points and a plain run of the rest, both keeping the note's font.
std::string BoldNoteTitles(std::string_view commentsXml, const std::vector<BoldNoteTitle>& notes);

// Applies the patches of each sheet (index = the sheet's place in the workbook) to the saved
// file, replacing only the parts concerned. Throws std::runtime_error with the reason.
void PatchSavedWorkbook(const std::string& path, const std::vector<SheetPatches>& sheets);

}  // namespace kestrel
