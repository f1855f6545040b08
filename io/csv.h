// CSV files: one sheet, UTF-8, comma separated, quoted as usual.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "workbook/memory_workbook.h"

namespace kestrel {

// One sheet named after the file (without extension); fields that read as numbers become
// numbers. Throws WorkbookFileError.
std::unique_ptr<MemoryWorkbook> ReadCsv(const std::string& path);
// The active sheet's values in the general form (texts quoted when needed), as WriteSheetRecords
// writes them; a formula cell gives its cached result (RecalculateWorkbook brings them up to date).
void WriteCsv(MemoryWorkbook& book, const std::string& path);

// The sheet's cells from A1 as CSV records, written row by row as the stored cells are visited:
// one line for each row up to the last one with a non-empty field, each line ending at its last
// non-empty field. A cell's place in the output is its place on the sheet, and only the cells
// that exist cost time and memory (a value at XFD1048576 alone is a million short lines).
// `field` gives a stored cell's text.
//   WriteSheetRecords(sheet, [](const CellView& c) { return CsvFieldText(*c.value); }, std::cout);
void WriteSheetRecords(const MemoryWorksheet& sheet, const std::function<std::string(const CellView&)>& field,
                       std::ostream& out);

// A value as a CSV field: numbers in the general form, TRUE/FALSE as a spreadsheet shows them,
// error texts, texts as they are.
std::string CsvFieldText(const CellValue& value);

}  // namespace kestrel
