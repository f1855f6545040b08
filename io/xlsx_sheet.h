// One worksheet part of a .xlsx file read into a MemoryWorksheet.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "workbook/memory_worksheet.h"
#include "io/xlsx_kept.h"
#include "io/xlsx_shared_strings.h"
#include "io/xlsx_strings.h"
#include "io/xlsx_styles.h"
#include "io/zip_archive.h"

namespace kestrel {

// The longest text a cell holds, in characters (code points); a longer one is cut on reading.
inline constexpr size_t kMaxCellTextLength = 32767;

// What the sheets of one workbook share.
struct XlsxShared {
  // The shared strings' texts, by index: each stored once for all the cells that show it.
  SharedTexts strings;
  std::unordered_map<size_t, std::vector<TextRun>> superscripts;  // by index, of the strings that have any
  XlsxStyles styles;
};

// Reads the worksheet part: cells (values exactly as stored, formulas with their cached results,
// shared formulas shifted to each cell), superscript runs, formats, column widths, row heights,
// merges, notes and page setup. `sheetName` is for messages. Throws WorkbookFileError.
// What had to change to load it goes to `warnings` when given; what the model does not hold goes
// to `kept` when given (KeepSheetElements).
void ReadWorksheet(ZipArchive& zip, const std::string& part, const std::string& sheetName, const XlsxShared& shared,
                   MemoryWorksheet& sheet, std::vector<std::string>* warnings = nullptr, KeptSheet* kept = nullptr);
// The same with the part's text read already, UTF-8 repaired (RepairUtf8).
void ReadWorksheet(ZipArchive& zip, const std::string& part, std::string text, const std::string& sheetName,
                   const XlsxShared& shared, MemoryWorksheet& sheet, std::vector<std::string>* warnings = nullptr,
                   KeptSheet* kept = nullptr);

// The same with the part read as it is inflated, a run of rows at a time, so that its text is
// never held whole. Throws SheetNeedsWholeReading when the part turns out to need reading whole
// (ReadWorksheet) after some of its rows went into the sheet: the caller starts again.
struct SheetNeedsWholeReading {};
void ReadWorksheetStreamed(ZipArchive& zip, const std::string& part, const std::string& sheetName,
                           const XlsxShared& shared, MemoryWorksheet& sheet, std::vector<std::string>* warnings = nullptr,
                           KeptSheet* kept = nullptr);

// A column width of the file (characters of the default font's widest digit plus padding) as
// the host's ColumnWidth, in characters, for the standard font (a 7-pixel digit, 5 pixels of
// padding): 9.140625 -> 8.43.
double ColumnWidthFromFile(double fileWidth);

}  // namespace kestrel
