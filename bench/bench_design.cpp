// Benchmark of the design command: 10,000 sections of 30 ground points on the in-memory workbook,
// design sections, areas and the results sheet, with the host calls counted.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host_doubles/counting_host.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "bench_support.h"
#include "benchmarks.h"
#include "earthworks/design_command.h"
#include "earthworks/design_template.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

// A sorted sheet of rolling ground: per section 30 points from -30 m to 30 m, a hill or a hollow
// crossing the centre, so that sections mix cut, fill and side-hill shapes.
void FillSurvey(MemoryWorksheet& sheet, int sections, int perSection) {
  auto offset = [&](int, int p) { return -30 + 60.0 * p / (perSection - 1); };
  FillSectionSheet(sheet, sections, perSection, offset, [&](int s, int p) {
    return 300 + 4 * std::sin(s * 0.05) + 0.1 * offset(s, p) * std::cos(s * 0.031) + 0.5 * std::sin(offset(s, p));
  });
}

}  // namespace

void BenchDesign() {
  constexpr int kSections = 10000, kPoints = 30;
  std::printf("Design sections on the in-memory workbook\n");
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrel-bench-design";
  std::filesystem::create_directories(folder);
  const std::string zm = PathToUtf8(folder / "road.ZM"), hp = PathToUtf8(folder / "road.hp"),
                    tpl = PathToUtf8(folder / "road.tpl");
  WriteTextFile(zm, "QuillbeckFile2.0-ZM\r\n0,300,100000,301,300000,299,20000\r\n");
  WriteTextFile(hp, "KestrelFile2.0-HP\r\n0,-2,-2\r\n150000,3,-3\r\n300000,-2,-2\r\n");
  SaveTemplateText(tpl, TemplateExampleText());

  MemoryWorkbook book;
  FillSurvey(book.Active(), kSections, kPoints);
  CountingApplication host(book);
  ScriptedUi ui;
  QuietShell shell;
  ScriptedDialogs dialogs;
  CommandContext context{host, {ui, shell, dialogs}};
  DesignRequest request;
  request.Files = {zm, hp, "", tpl};
  std::vector<DesignSection> results;
  const auto start = std::chrono::steady_clock::now();
  const CommandOutcome outcome = RunDesign(context, request, &results);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cut = 0, fill = 0;
  for (const DesignSection& s : results) {
    cut += s.Areas.Cut();
    fill += s.Areas.Fill();
  }
  std::printf("  design, %d sections of %d points, areas and results sheet: %7.3f s, %ld host calls "
              "(cut %.0f m2, fill %.0f m2)%s\n",
              kSections, kPoints, seconds, host.Counter().TotalCalls(), cut, fill,
              outcome == CommandOutcome::Completed ? "" : "  [did not complete]");
  std::filesystem::remove_all(folder);
}

}  // namespace kestrel
