// Finishing a saved .xlsx: the rows and shared strings written by Kestrel, bold note titles.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/xlsx_kept.h"
#include "io/xlsx_writer_sheet.h"

namespace kestrel {

// The worksheet part as libxlsxwriter wrote it, split around the content of its <sheetData>, with
// `dimension` as its used range: the head before the rows and the tail after them. Throws
// std::runtime_error when the part has no sheet data.
//   <dimension ref="A1"/>...<sheetData/><pageMargins/>  ->  <dimension ref="B2:H9"/>...<sheetData>, </sheetData><pageMargins/>
std::pair<std::string, std::string> SheetPartAround(std::string_view sheetXml, const std::string& dimension);

// The comments part with the note of each listed cell split into a bold run of its first
// boldLength code points and a plain run of the rest, both keeping the note's font.
std::string BoldNoteTitles(std::string_view commentsXml, const std::vector<BoldNoteTitle>& notes);

// Puts the rows of each sheet (index = the sheet's place in the workbook) and, when there are any,
// the shared strings into the saved file, and gives its notes their bold titles, replacing only
// the parts concerned; for a workbook `read` from a .xlsx file, puts back what that file held
// beside the model (PutBack), with its VBA project when `macroEnabled`, which also gives the
// workbook part the macro-enabled content type. Throws std::runtime_error with the reason.
void PatchSavedWorkbook(const std::string& path, std::vector<SheetPatches>& sheets, SharedStringTable& strings,
                        XlsxWorkbook* read = nullptr, bool macroEnabled = false);

}  // namespace kestrel
