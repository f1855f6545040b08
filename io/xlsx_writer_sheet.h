// Writing one model worksheet: its rows by the writer itself, the rest through libxlsxwriter.
#pragma once

#include <xlsxwriter.h>

#include <memory>
#include <string>
#include <vector>

#include "workbook/memory_worksheet.h"
#include "io/xlsx_writer_formats.h"
#include "io/xlsx_writer_parts.h"

namespace kestrel {

// A note whose first `boldLength` code points are bold: libxlsxwriter 1.1.4 writes a note as one
// plain run, which the saved file's comments part then splits.
struct BoldNoteTitle {
  CellRef at;
  int boldLength = 0;
};

// What the saved sheet part gets after libxlsxwriter: its rows, written here, and bold note titles.
struct SheetPatches {
  std::unique_ptr<PartBody> rows;  // the content of <sheetData>
  std::string dimension;           // the used range, "A1:O109999"
  std::vector<BoldNoteTitle> notes;
  // Merged areas too large for the library, which writes a blank into every cell of an area:
  // they go into the part as elements alone.
  std::vector<RangeRef> largeMerges;
};

// Writes the sheet's merges, column formats, page setup and notes into `target` (visibility and
// activation are the workbook's), and its rows (cells, row formats) to a part file of its own,
// with the texts in `strings`. Throws std::runtime_error with the reason when something cannot
// be written.
SheetPatches WriteSheetContent(lxw_worksheet* target, const MemoryWorksheet& sheet, WriterFormats& formats,
                               SharedStringTable& strings);

// Points (the model's unit of note sizes) as whole pixels at 96 dots per inch, within the
// 1 to 65535 the library takes.
int PointsToPixels(double points);

}  // namespace kestrel
