// Worksheet: the batched row operations and block reads for hosts that do them one row at a time.
#include "host/worksheet.h"

#include <algorithm>
#include <functional>
#include <string>

#include "host/host_error.h"

namespace kestrel {
namespace {

// Distinct rows, bottom first, so that working on one does not move those still to come.
std::vector<int> BottomUp(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end(), std::greater<>());
  if (std::adjacent_find(rows.begin(), rows.end()) != rows.end()) throw HostError("a row is listed twice");
  return rows;
}

}  // namespace

namespace {

void AppendRun(std::vector<FormatRun>& runs, int rows, std::string format) {
  if (!runs.empty() && runs.back().format == format)
    runs.back().rows += rows;
  else
    runs.push_back({rows, std::move(format)});
}

void Halve(int first, int last, const std::function<std::optional<std::string>(int, int)>& uniform,
           std::vector<FormatRun>& runs) {
  if (std::optional<std::string> format = uniform(first, last)) return AppendRun(runs, last - first + 1, std::move(*format));
  if (first == last) throw HostError("no number format for row " + std::to_string(first));
  const int middle = first + (last - first) / 2;
  Halve(first, middle, uniform, runs);
  Halve(middle + 1, last, uniform, runs);
}

}  // namespace

std::vector<FormatRun> FormatRunsByHalves(int first, int last,
                                          const std::function<std::optional<std::string>(int, int)>& uniform) {
  std::vector<FormatRun> runs;
  if (first <= last) Halve(first, last, uniform, runs);
  return runs;
}

std::vector<FormatRun> Worksheet::NumberFormats(int column, int firstRow, int lastRow) {
  std::vector<FormatRun> runs;
  for (int row = firstRow; row <= lastRow; ++row) AppendRun(runs, 1, NumberFormat({row, column}));
  return runs;
}

void Worksheet::InsertRowsAbove(std::vector<int> rows) {
  for (int row : BottomUp(std::move(rows))) InsertRows(row, 1);
}

void Worksheet::DeleteRowsAt(std::vector<int> rows) {
  for (int row : BottomUp(std::move(rows))) DeleteRows(row, 1);
}

}  // namespace kestrel
