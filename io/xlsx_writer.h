// Writing the in-memory workbook as a .xlsx file with everything the model holds.
#pragma once

#include <string>

#include "workbook/memory_workbook.h"

namespace kestrel {

// Writes exactly to path (SaveWorkbook makes that atomic). Formula cells are written with the
// cached results the book holds: a command brings them up to date first (RecalculateWorkbook),
// so that viewers that do not recalculate show the right numbers. Every part of the file is
// written here into one zip archive, the rows streamed as they are visited. Throws
// WorkbookFileError ("road.xlsx: cannot write (reason)"); nothing is left at path then.
//
// Kept: sheets in order with their names, hidden sheets, the active sheet; numbers, texts,
// booleans, error values (as typed error cells without formula), formulas with their results;
// number formats, fonts (name, size, bold, colour), alignment, wrap, borders, merged areas and
// the formats of every cell inside them, superscript characters, column widths and formats, row
// heights and formats, orientation, the six margins, print title rows; notes with their text,
// visibility, size and bold title. A workbook read from a .xlsx file (XlsxWorkbook) also gets
// back what that file held beside the model (PutBack: charts, images, tables, hyperlinks,
// validation, conditional formats, panes, very hidden sheets).
//
// Not kept: a hidden active sheet (the file shows the first visible sheet instead, or the
// active one when every sheet is hidden); header and footer margins of 0 or less (the file
// keeps 0.3 inch); note sizes finer than a pixel (0.75 point).
//
//   MemoryWorkbook book;
//   book.Sheet(0).SetValue({1, 1}, "=1+1");
// `macroEnabled`: the file is a macro-enabled workbook (.xlsm), which keeps the VBA project of
// the file read; a .xlsx keeps none.
//
//   RecalculateWorkbook(book);
//   WriteXlsx(book, "out.xlsx");   // A1 holds the formula with the result 2
void WriteXlsx(MemoryWorkbook& book, const std::string& path, bool macroEnabled = false);

}  // namespace kestrel
