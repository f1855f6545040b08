// Speed figures of the memory workbook on sheets the size of a large survey.
#include <chrono>
#include <cstdio>

#include "workbook/formula_eval.h"
#include "workbook/memory_workbook.h"
#include "benchmarks.h"

namespace kestrel {

namespace {

class Stopwatch {
 public:
  double Milliseconds() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  }
  void Restart() { start_ = std::chrono::steady_clock::now(); }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

void Report(const char* what, double ms) { std::printf("  %-58s %10.1f ms\n", what, ms); }

}  // namespace

void BenchWorkbook() {
  constexpr int kRows = 100000, kColumns = 8, kGroup = 10;
  std::printf("memory workbook (%d rows x %d columns)\n", kRows, kColumns);

  // Column A: point number; D: level; E: station; F: section (mostly kGroup rows each); others text.
  Grid block(kRows, kColumns);
  for (int r = 0; r < kRows; ++r) {
    block.At(r, 0) = r + 1;
    block.At(r, 1) = "p" + std::to_string(r + 1);
    block.At(r, 2) = "note";
    block.At(r, 3) = 100 + (r % 97) * 0.125;
    block.At(r, 4) = 12000 + ((r * 7919) % kRows) * 0.5;  // scattered stations
    block.At(r, 5) = 12000 + ((r + kGroup / 2) / kGroup) * 5;  // 10,001 sections
    block.At(r, 6) = (r % 21) - 10.5;
    block.At(r, 7) = "12.5";  // number text, read as a number when written
  }
  MemoryWorkbook book;
  MemoryWorksheet& sheet = book.Active();
  const RangeRef all = RangeRef::Block(1, 1, kRows, kColumns);

  Stopwatch watch;
  sheet.SetValues({1, 1}, block);
  Report("write the 100,000 x 8 block (SetValues)", watch.Milliseconds());
  watch.Restart();
  Grid read = sheet.Values(all);
  Report("read it back (Values)", watch.Milliseconds());
  watch.Restart();
  auto texts = sheet.Texts(all);
  Report("read its display texts (Texts)", watch.Milliseconds());

  // Separator rows, bottom-up, one insert per section change (as the initial sort does).
  watch.Restart();
  Grid sections = sheet.Values(RangeRef::Block(1, 6, kRows, 6));
  int inserted = 0;
  for (int r = kRows; r >= 2; --r) {
    if (!(sections.At(r - 1, 0) == sections.At(r - 2, 0))) {
      sheet.InsertRows(r, 1);
      ++inserted;
    }
  }
  char label[96];
  std::snprintf(label, sizeof label, "insert %d separator rows one at a time, bottom-up", inserted);
  Report(label, watch.Milliseconds());
  const int last = sheet.EndUp({kMaxRows, 5});
  std::printf("  %-58s %10d\n", "last row afterwards (End up from column E)", last);

  watch.Restart();
  sheet.Sort(RangeRef::Block(1, 1, last, kColumns), 5, SortHeader::Guess);
  std::snprintf(label, sizeof label, "sort %d rows on the scattered station column", last);
  Report(label, watch.Milliseconds());

  watch.Restart();
  sheet.InsertRows(2, 10000);
  Report("insert 10,000 rows in one call near the top", watch.Milliseconds());
  watch.Restart();
  sheet.DeleteRows(2, 10000);
  Report("delete them again in one call", watch.Milliseconds());

  watch.Restart();
  sheet.Replace(RangeRef::WholeColumns(2, 2), "p", "P");
  Report("replace in a whole column (100,000 filled cells)", watch.Milliseconds());

  std::printf("  %-58s %10zu\n", "display texts read", texts.size());
  std::printf("  %-58s %10d\n", "cells read", read.Rows() * read.Columns());

  // The formulas volume --fill-stations writes: per row the differences, the distance to the row
  // above and the mean areas times it, totals below; on a second sheet the station labels.
  MemoryWorkbook formulas;
  MemoryWorksheet& volumes = formulas.Active();
  constexpr int kFirst = 4, kLast = kFirst + 10000;
  Grid rows(kLast - kFirst + 1, 14);
  for (int r = kFirst; r < kLast; ++r) {
    const std::string n = std::to_string(r), p = std::to_string(r - 1);
    const int i = r - kFirst;
    rows.At(i, 0) = 10000.0 + 20 * i;
    for (int c = 1; c <= 4; ++c) rows.At(i, c) = 1.0 + (r * 7 + c) % 13 * 0.25;
    rows.At(i, 5) = "=B" + n + "-D" + n;
    rows.At(i, 6) = "=C" + n + "-E" + n;
    if (r == kFirst) continue;
    rows.At(i, 7) = "=A" + n + "-A" + p;
    for (int c = 8; c < 14; ++c) {
      const std::string x = ColumnLetters(c - 6);
      rows.At(i, c) = "=(" + x + n + "+" + x + p + ")/2*H" + n;
    }
  }
  for (int c = 7; c < 14; ++c)
    rows.At(kLast - kFirst, c) = "=SUM(" + ColumnLetters(c + 1) + "5:" + ColumnLetters(c + 1) + std::to_string(kLast - 1) + ")";
  volumes.SetValues({kFirst, 1}, rows);
  Grid labels(10000, 1);
  for (int r = 1; r <= 10000; ++r) labels.At(r - 1, 0) = "=\"" + std::to_string(200 * r) + ",\" & 0+K" + std::to_string(r);
  formulas.AppendSheet("Stations").SetValues({1, 14}, labels);
  watch.Restart();
  RecalcCounts counts = RecalculateWorkbook(formulas);
  std::snprintf(label, sizeof label, "recalculate %d formulas (volumes and station labels)", counts.computed);
  Report(label, watch.Milliseconds());

  // A chain where each formula needs the one below it: the first needs all the others first.
  MemoryWorkbook chain;
  constexpr int kChain = 200000;
  Grid links(kChain, 1);
  for (int r = 1; r < kChain; ++r) links.At(r - 1, 0) = "=A" + std::to_string(r + 1) + "+1";
  links.At(kChain - 1, 0) = 0.0;
  chain.Active().SetValues({1, 1}, links);
  watch.Restart();
  counts = RecalculateWorkbook(chain);
  std::snprintf(label, sizeof label, "recalculate a chain of %d formulas", counts.computed);
  Report(label, watch.Milliseconds());
}

}  // namespace kestrel
