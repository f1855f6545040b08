// Cell notes of a .xlsx worksheet: texts from its comments part, visibility and size from its VML drawing.
#pragma once

#include <string>
#include <vector>

#include "workbook/memory_worksheet.h"
#include "io/xlsx_xml.h"

namespace kestrel {

// Gives the sheet the notes its relationships lead to. A note's text joins all its runs; its
// bold length is the leading bold run(s). Without a drawing entry a note is hidden, with the
// width and height 0 (the host's default size). `where` names the sheet in messages. A note
// longer than a cell's text can be (kMaxNoteLength characters) is cut to that length, with a
// line in `warnings` when given: a longer one could not be saved again.
inline constexpr size_t kMaxNoteLength = 32767;
void ReadNotes(ZipArchive& zip, const std::vector<Relationship>& sheetRelationships, const std::string& where,
               MemoryWorksheet& sheet, std::vector<std::string>* warnings = nullptr);

}  // namespace kestrel
