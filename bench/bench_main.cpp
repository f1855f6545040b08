// kestrel_bench: runs every benchmark and prints its figures (never a pass/fail test).
#include <cstdio>
#include <cstring>

#include "benchmarks.h"

// kestrel_bench [NAME]: every benchmark, or those whose name holds NAME (e.g. "plot").
int main(int argc, char** argv) {
  std::printf("Kestrel benchmarks (figures only; compare runs on the same machine)\n");
  const struct {
    const char* name;
    void (*run)();
  } benchmarks[] = {{"workbook", kestrel::BenchWorkbook}, {"sort", kestrel::BenchInitialSort},
                    {"draw", kestrel::BenchDrawData},     {"files", kestrel::BenchWorkbookFiles},
                    {"geometry", kestrel::BenchGeometry}, {"plot", kestrel::BenchPlot},
                    {"design", kestrel::BenchDesign},
                    {"haul", kestrel::BenchHaul}};
  for (const auto& b : benchmarks)
    if (argc < 2 || std::strstr(b.name, argv[1]) != nullptr) b.run();
  return 0;
}
