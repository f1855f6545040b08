// kestrel_bench: runs every benchmark and prints its figures (never a pass/fail test).
#include <cstdio>

#include "benchmarks.h"

int main() {
  std::printf("Kestrel benchmarks (figures only; compare runs on the same machine)\n");
  kestrel::BenchWorkbook();
  kestrel::BenchInitialSort();
  kestrel::BenchDrawData();
  kestrel::BenchWorkbookFiles();
  kestrel::BenchGeometry();
  return 0;
}
