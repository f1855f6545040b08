// Writing one model worksheet through libxlsxwriter, and what the library leaves to patch afterwards.
#pragma once

#include <xlsxwriter.h>

#include <string>
#include <vector>

#include "addin/host/memory_worksheet.h"
#include "io/xlsx_writer_formats.h"

namespace kestrel {

// A cell whose type libxlsxwriter 1.1.4 cannot write: an error value, or a formula whose result
// is an error or a boolean. It is written as a formula with a text result, then given its type
// `t` ("e" or "b") and value `v` in the saved file; a constant loses the stand-in formula.
struct RetypedCell {
  CellRef at;
  std::string type;
  std::string value;
  bool keepFormula = false;
};

// A note whose first `boldLength` code points are bold: libxlsxwriter 1.1.4 writes a note as one
// plain run, which the saved file's comments part then splits.
struct BoldNoteTitle {
  CellRef at;
  int boldLength = 0;
};

struct SheetPatches {
  std::vector<RetypedCell> cells;  // in row order
  std::vector<BoldNoteTitle> notes;
  bool Empty() const { return cells.empty() && notes.empty(); }
};

// Writes the sheet's cells, merges, column and row formats, page setup and notes into `target`
// (visibility and activation are the workbook's). Throws std::runtime_error with the reason
// when the library refuses something.
SheetPatches WriteSheetContent(lxw_worksheet* target, const MemoryWorksheet& sheet, WriterFormats& formats);

// Points (the model's unit of note sizes) as whole pixels at 96 dots per inch, within the
// 1 to 65535 the library takes.
int PointsToPixels(double points);

}  // namespace kestrel
