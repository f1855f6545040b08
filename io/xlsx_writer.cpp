// WriteXlsx: the model's workbook as a .xlsx file, its rows written by Kestrel and the rest by libxlsxwriter.
#include "io/xlsx_writer.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "io/system_calls.h"
#include "io/workbook_file_error.h"
#include "io/xlsx_kept.h"
#include "io/xlsx_writer_formats.h"
#include "io/xlsx_writer_patch.h"
#include "io/xlsx_writer_sheet.h"

namespace kestrel {

namespace {

struct WorkbookFreer {
  void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

// The file cannot show a hidden sheet as the active one: the active sheet of the model, else
// the first visible sheet; when every sheet is hidden the active one is shown after all.
int ShownActiveSheet(MemoryWorkbook& book) {
  if (!book.Sheet(book.ActiveIndex()).Hidden()) return book.ActiveIndex();
  for (int i = 0; i < book.SheetCount(); ++i)
    if (!book.Sheet(i).Hidden()) return i;
  return book.ActiveIndex();
}

}  // namespace

void WriteXlsx(MemoryWorkbook& book, const std::string& path, bool macroEnabled) {
  auto failure = [&](const std::string& reason) { return WorkbookFileError(WorkbookFileFault::WorkbookNotWritten, path, reason); };

  // libxlsxwriter prints its own "[ERROR][file.c:line]: ..." lines besides returning the error,
  // which the caller reports in one line of its own.
  const SilencedStandardError quiet;

  // libxlsxwriter writes everything but the rows and the shared strings: those are streamed to
  // temporary files as the sheets are visited, and put into the saved file afterwards.
  lxw_workbook_options options{};
  std::unique_ptr<lxw_workbook, WorkbookFreer> target(workbook_new_opt(path.c_str(), &options));
  if (!target) throw failure("out of memory");
  WriterFormats formats(target.get());
  SharedStringTable strings;

  const int active = ShownActiveSheet(book);
  std::vector<SheetPatches> patches;
  lxw_worksheet* activeSheet = nullptr;
  for (int i = 0; i < book.SheetCount(); ++i) {
    MemoryWorksheet& sheet = book.Sheet(i);
    const std::string& name = sheet.SheetName();
    if (lxw_error error = workbook_validate_sheet_name(target.get(), name.c_str()))
      throw failure("sheet name \"" + name + "\": " + lxw_strerror(error));
    lxw_worksheet* written = workbook_add_worksheet(target.get(), name.c_str());
    if (!written) throw failure("sheet \"" + name + "\" refused");
    try {
      patches.push_back(WriteSheetContent(written, sheet, formats, strings));
    } catch (const std::runtime_error& e) {
      throw failure("sheet \"" + name + "\", " + e.what());
    }
    if (i == active)
      activeSheet = written;
    else if (sheet.Hidden())
      worksheet_hide(written);
  }
  worksheet_activate(activeSheet);
  // One text through the library gives the file its shared-strings part, which is replaced.
  if (!strings.Empty()) worksheet_write_string(activeSheet, 0, 0, "-", nullptr);

  // workbook_close frees the workbook whatever happens.
  if (lxw_error error = workbook_close(target.release())) {
    std::remove(path.c_str());
    throw failure(lxw_strerror(error));
  }
  try {
    PatchSavedWorkbook(path, patches, strings, dynamic_cast<XlsxWorkbook*>(&book), macroEnabled);
  } catch (const std::runtime_error& e) {
    std::remove(path.c_str());
    throw failure(e.what());
  }
}

}  // namespace kestrel
