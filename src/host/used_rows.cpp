// How far down a column is used: End toward the top from the range's last cell.
#include "host/used_rows.h"

namespace kestrel {

int LastFilledRow(Worksheet& sheet, int column, int firstRow, int lastRow) {
  // End from a filled cell stops at the top of its own block, so the bottom cell is asked first.
  if (!sheet.Value({lastRow, column}).IsEmpty()) return lastRow;
  const int above = sheet.EndUp({lastRow, column});
  if (above < firstRow || (above == 1 && sheet.Value({1, column}).IsEmpty())) return firstRow - 1;
  return above;
}

}  // namespace kestrel
