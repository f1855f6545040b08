// Writing one model worksheet as the parts of a .xlsx file: the sheet part with its rows, and its notes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "workbook/memory_worksheet.h"
#include "io/xlsx_writer_styles.h"
#include "io/xlsx_writer_parts.h"

namespace kestrel {

// A note of the sheet at its cell.
struct WrittenNote {
  CellRef at;
  Note note;
};

// One sheet as the file holds it: the part's text with an empty <sheetData/> where the rows go,
// the rows themselves (deflating as they were written), and what other parts need of it.
struct WrittenSheet {
  std::string xml;                 // the part, its rows left out
  std::unique_ptr<PartBody> rows;  // the content of <sheetData>, finished
  std::string dimension;           // the used range, "A1:O109999"
  std::vector<WrittenNote> notes;  // in the order of their cells
  std::string printTitleRows;      // "$1:$3", or empty
};

// Writes the sheet: columns, rows (cells, row formats), merges, the selection, page setup,
// `selected` marking the sheet the workbook shows; the cells' formats are records of `styles`,
// their texts entries of `strings`; `notesId` is the relationship id of the sheet's notes drawing
// (used only when the sheet has notes). Throws std::runtime_error with the reason when something
// cannot be written.
WrittenSheet WriteSheet(const MemoryWorksheet& sheet, bool selected, WriterStyles& styles, SharedStringTable& strings,
                        const std::string& notesId);

// The file's width of a column (characters plus padding, in 1/256 steps) for the model's width in
// characters of the standard font.
double ColumnWidthToFile(double characters);

}  // namespace kestrel
