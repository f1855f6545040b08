// The writer's libxlsxwriter formats: one per distinct cell style.
#pragma once

#include <xlsxwriter.h>

#include <map>
#include <utility>

#include "workbook/memory_style.h"

namespace kestrel {

// libxlsxwriter formats belong to one workbook and each one created becomes a style record of
// the file, so each distinct style is created once and shared by every cell, row and column
// that shows it, on every sheet.
class WriterFormats {
 public:
  explicit WriterFormats(lxw_workbook* book) : book_(book) {}

  // The format of cells showing `style`. With superscript the whole cell text is superscript
  // (rich text needs two pieces, so a one-character superscript text is written this way).
  lxw_format* Cell(const CellStyle& style, bool superscript = false);

 private:
  lxw_workbook* book_;
  std::map<std::pair<CellStyle, bool>, lxw_format*> cells_;
};

// The host's colour number (red in the low byte) as libxlsxwriter's 0xRRGGBB.
lxw_color_t WriterColor(long hostColor);

}  // namespace kestrel
