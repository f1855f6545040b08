// Worksheet: the batched row operations for hosts that do them one row at a time.
#include "addin/host/worksheet.h"

#include <algorithm>
#include <functional>

#include "addin/host/host_error.h"

namespace kestrel {
namespace {

// Distinct rows, bottom first, so that working on one does not move those still to come.
std::vector<int> BottomUp(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end(), std::greater<>());
  if (std::adjacent_find(rows.begin(), rows.end()) != rows.end()) throw HostError("a row is listed twice");
  return rows;
}

}  // namespace

void Worksheet::InsertRowsAbove(std::vector<int> rows) {
  for (int row : BottomUp(std::move(rows))) InsertRows(row, 1);
}

void Worksheet::DeleteRowsAt(std::vector<int> rows) {
  for (int row : BottomUp(std::move(rows))) DeleteRows(row, 1);
}

}  // namespace kestrel
