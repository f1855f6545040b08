// Cell formats of a .xlsx file (styles.xml cellXfs) as the in-memory worksheet's CellStyle.
#pragma once

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "workbook/memory_style.h"
#include "io/xlsx_colors.h"

namespace kestrel {

// The code of a built-in number format id, as every language reads it ("0.00" for 2, "@" for
// 49); "General" for ids whose code depends on the language of the writing program (5 to 8,
// 23 to 36, 41 to 44, 50 and up) unless the file states it.
std::string BuiltInNumberFormat(int id);

// The formats of the cellXfs list, by index. A cell's s="N" is Formats()[N]; 0 is the file's
// default, which the in-memory sheet takes as its own default.
class XlsxStyles {
 public:
  // A workbook without a styles part: one default format.
  XlsxStyles() : formats_(1) {}
  // <styleSheet>. Style defects never fail a load: a reference that points nowhere reads as the
  // default (font, border or number format).
  XlsxStyles(pugi::xml_node styleSheet, const XlsxPalette& palette);

  size_t Count() const { return formats_.size(); }
  // Out-of-range indices read as the default format.
  const CellStyle& Format(size_t index) const { return index < formats_.size() ? formats_[index] : formats_[0]; }

 private:
  std::vector<CellStyle> formats_;
};

}  // namespace kestrel
