// Benchmark of draw data: seconds and host calls for 10,000 and 100,000 points.
#include <chrono>
#include <cstdio>

#include "addin/commands.h"
#include "host_doubles/counting_host.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "host/shell.h"
#include "addin/session.h"
#include "bench_support.h"
#include "benchmarks.h"
#include "sections/draw_data.h"
#include "sections/form_set.h"

namespace kestrel {
namespace {

// A sorted sheet: sections of ten points, offsets out of order (each section gets sorted).
void FillSortedSheet(MemoryWorksheet& sheet, int sections, int perSection) {
  FillSectionSheet(
      sheet, sections, perSection, [&](int, int p) { return (p * 7 % perSection) - perSection / 2.0; },
      [](int, int p) { return 300.0 + p * 0.37; });
}

void BenchOne(int points, int sections, int mode) {
  MemoryWorkbook book;
  FillSortedSheet(book.Active(), sections, points / sections);
  CountingApplication host(book);
  Session session;
  session.HostApplication = &host;
  ScriptedUi ui;
  QuietShell shell;
  ScriptedDialogs dialogs;
  DrawRequest request;
  request.LabelMode = mode;
  CommandContext context{*session.HostApplication, {ui, shell, dialogs}};
  DrawingPlan plan;
  auto start = std::chrono::steady_clock::now();
  CommandOutcome outcome = DrawSections(context, request, session.Sections, plan);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("  draw data, mode %d, %6d points in %5d sections: %7.3f s, %6ld host calls (%ld sorts), %zu labels%s\n",
              mode, points, sections, seconds, host.Counter().TotalCalls(), host.Counter().Calls(HostCall::Sort),
              session.Sections.LabelCommands.size(), outcome == CommandOutcome::Completed ? "" : "  [did not complete]");
}

}  // namespace

void BenchDrawData() {
  std::printf("Draw data on the in-memory workbook\n");
  BenchOne(10000, 1000, 1);
  BenchOne(100000, 10000, 1);
  BenchOne(100000, 10000, 2);
}

}  // namespace kestrel
