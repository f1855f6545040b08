// Benchmark of the initial sort: seconds and host calls for 10,000 and 100,000 points.
#include <chrono>
#include <cstdio>
#include <algorithm>
#include <random>

#include "addin/commands.h"
#include "host_doubles/counting_host.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "host/shell.h"
#include "addin/session.h"
#include "bench_support.h"
#include "benchmarks.h"
#include "sections/form_sort.h"
#include "sections/initial_sort.h"

namespace kestrel {
namespace {

// Points recorded section by section in a shuffled section order, ten points a section.
void FillSurvey(MemoryWorksheet& sheet, int sections, int perSection) {
  std::mt19937 random(11);
  std::vector<int> order(sections);
  for (int i = 0; i < sections; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  Grid block(sections * perSection, 6);
  int r = 0;
  for (int s : order) {
    const double station = 10000.0 + 20 * s + (random() % 800) / 1000.0 - 0.4;
    for (int p = 0; p < perSection; ++p, ++r) {
      block.At(r, 0) = "P" + std::to_string(r + 1);
      block.At(r, 3) = 300.0 + (random() % 500) / 100.0;
      block.At(r, 4) = station;
      block.At(r, 5) = p - perSection / 2.0;
    }
  }
  sheet.SetValues({1, 1}, block);
}

void BenchOne(int points, int sections) {
  MemoryWorkbook book;
  FillSurvey(book.Active(), sections, points / sections);
  CountingApplication host(book);
  Session session;
  session.HostApplication = &host;
  ScriptedUi ui;
  QuietShell shell;
  ScriptedDialogs dialogs;
  CommandContext context{*session.HostApplication, {ui, shell, dialogs}};
  auto start = std::chrono::steady_clock::now();
  CommandOutcome outcome = SortSurvey(context, SortRequest{}, session.Sections);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("  initial sort, %6d points in %5d sections: %7.3f s, %4ld host calls (%.4f per point)%s\n", points,
              sections, seconds, host.Counter().TotalCalls(),
              static_cast<double>(host.Counter().TotalCalls()) / points,
              outcome == CommandOutcome::Completed ? "" : "  [did not complete]");
}

}  // namespace

void BenchInitialSort() {
  std::printf("Initial sort on the in-memory workbook\n");
  BenchOne(10000, 1000);
  BenchOne(100000, 10000);
}

}  // namespace kestrel
