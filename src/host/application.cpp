// Finding a worksheet of the active workbook by its name.
#include "host/application.h"

#include "util/unicode.h"

namespace kestrel {

Worksheet* FindWorksheet(Application& host, std::string_view name) {
  const std::string wanted = AsciiLower(name);
  for (Worksheet* sheet : host.Worksheets())
    if (AsciiLower(sheet->Name()) == wanted) return sheet;
  return nullptr;
}

}  // namespace kestrel
