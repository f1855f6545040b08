// Benchmark of the cross-section sheets: 10,000 sections at 12 a page into one PDF, the time and
// the memory the process holds while the pages are written.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "workbook/memory_workbook.h"
#include "bench_support.h"
#include "benchmarks.h"
#include "io/section_plot.h"
#include "earthworks/design_results.h"
#include "sections/section_sheets.h"

namespace kestrel {
namespace {

// Resident memory now, in MB (Linux).
double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

double PeakMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Sections of 12 points over 30 m, levels within 5 m: at 1:200 on A3 turned, in two columns,
// six fit a column, twelve a page.
void FillSurvey(MemoryWorksheet& sheet, int sections) {
  constexpr int kPoints = 12;
  FillSectionSheet(
      sheet, sections, kPoints, [](int, int p) { return -15 + 30.0 * p / (kPoints - 1); },
      [](int s, int p) { return 300.2 + 4.6 * std::fabs(std::sin(p * 0.7 + s)); });
}

void BenchOne(int count) {
  MemoryWorkbook book;
  FillSurvey(book.Active(), count);
  const std::filesystem::path pdf = std::filesystem::temp_directory_path() / "kestrel-bench-sections.pdf";
  const double before = ResidentMb();
  const auto start = std::chrono::steady_clock::now();
  const std::vector<SheetSection> sections =
      SheetSectionsOf(ReadSurveyedSections(book.Active()), *WorkbookDesignResults(book));
  const SheetLayout layout = LayOutSheets(sections, {.paper = *PaperNamed("A3", true), .columns = 2});
  const double laidOut = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double atTenth = 0, highest = 0;
  const std::string error = WriteSectionSheets(sections, layout, "bench", pdf.string(), [&](int page, int pages) {
    const double now = ResidentMb();
    highest = std::max(highest, now);
    if (page == pages / 10) atTenth = now;
  });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::error_code ignored;
  const auto bytes = std::filesystem::file_size(pdf, ignored);
  std::filesystem::remove(pdf, ignored);
  std::printf("  %6d sections, %4d pages (%zu a page): %6.2f s (%.2f s reading and layout), %5.1f MB of PDF;"
              " resident %.1f MB before, %.1f MB at page %d, %.1f MB at most; process peak %.1f MB%s\n",
              count, layout.pages, layout.pageStart.size() > 1 ? layout.pageStart[1] : layout.placed.size(), seconds,
              laidOut, bytes / 1e6, before, atTenth, layout.pages / 10, highest, PeakMb(),
              error.empty() ? "" : ("  [" + error + "]").c_str());
}

}  // namespace

void BenchPlot() {
  std::printf("Cross-section sheets (A3 turned, 1:200, two columns)\n");
  BenchOne(1000);
  BenchOne(10000);
}

}  // namespace kestrel
