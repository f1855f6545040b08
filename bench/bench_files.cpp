// Benchmark of workbook files: writing and reading a volume-sheet-like workbook of 100,000 rows.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "workbook/memory_workbook.h"
#include "benchmarks.h"
#include "io/xlsx_reader.h"
#include "io/xlsx_writer.h"
#include "workbook/formula_eval.h"

namespace kestrel {

void BenchWorkbookFiles() {
  std::printf("Workbook files (100,000 rows x 8 columns, a third of them formulas)\n");
  constexpr int kRows = 100000;
  MemoryWorkbook book;
  MemoryWorksheet& sheet = book.Active();
  Grid grid(kRows, 8);
  for (int r = 1; r <= kRows; ++r) {
    const std::string n = std::to_string(r), p = std::to_string(r - 1);
    grid.At(r - 1, 0) = 12000 + 10.0 * r;
    grid.At(r - 1, 1) = 1.5 + r % 7;
    grid.At(r - 1, 2) = 0.25 * (r % 5);
    if (r > 1) {
      grid.At(r - 1, 3) = "=A" + n + "-A" + p;
      grid.At(r - 1, 4) = "=(B" + n + "+B" + p + ")/2*D" + n;
      grid.At(r - 1, 5) = "=(C" + n + "+C" + p + ")/2*D" + n;
    }
    grid.At(r - 1, 6) = "第" + n + "断面";
    grid.At(r - 1, 7) = r * 0.001;
  }
  sheet.SetValues({1, 1}, grid);
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "kestrel-bench-files.xlsx";
  auto start = std::chrono::steady_clock::now();
  RecalculateWorkbook(book);  // as a command does before it saves
  WriteXlsx(book, path.string());
  const double write = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  start = std::chrono::steady_clock::now();
  auto loaded = ReadXlsx(path.string());
  const double read = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("  write (recalculation included)  %7.3f s, %ju KiB\n", write,
              static_cast<uintmax_t>(std::filesystem::file_size(path) / 1024));
  std::printf("  read                            %7.3f s, %d formulas\n", read, loaded->Sheet(0).FormulaCount());
  std::filesystem::remove(path);
}

}  // namespace kestrel
