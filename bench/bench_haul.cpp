// Benchmark of the earthwork distribution: 10,000 stations of rolling cut and fill, the exact
// least-cost haul and the table written on the in-memory workbook.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "workbook/memory_workbook.h"
#include "benchmarks.h"
#include "haul/haul_sheet.h"

namespace kestrel {
namespace {

// Stations every 20 m whose centre height rolls between cut and fill over a few hundred metres,
// with a ripple, so that hauls run both ways and some lengths borrow or waste.
std::vector<HaulStation> RollingRoad(int count) {
  std::vector<HaulStation> stations;
  for (int k = 0; k < count; ++k) {
    const double s = 20.0 * k;
    const double h = 3 * std::sin(s / 310) + 1.2 * std::sin(s / 47) + 0.4;
    const double area = std::abs(h) * (12 + 1.5 * std::abs(h));
    stations.push_back({s, h < 0 ? area : 0, h > 0 ? area : 0, h, 12 + 3 * std::abs(h)});
  }
  return stations;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

void BenchHaul() {
  std::printf("Earthwork distribution (exact least-cost haul) and its table\n");
  for (const int count : {1000, 10000}) {
    for (const double freeHaul : {20.0, 300.0}) {
      HaulRequest request;
      request.Prices = {freeHaul, 10, 15, 3};
      request.Volumes.Prismoidal = true;
      const std::vector<HaulStation> stations = RollingRoad(count);
      const auto start = std::chrono::steady_clock::now();
      const HaulTable table = ComputeHaulTable(stations, request);
      const double solve = Seconds(start);
      MemoryWorkbook book;
      const auto writing = std::chrono::steady_clock::now();
      WriteHaulSheet(book.Active(), table);
      const double write = Seconds(writing);
      std::printf("  %5d stations, free haul %3.0f m: %zu hauls, cost %.2f; solve %.3f s, sheet %.3f s, total %.3f s\n",
                  count, freeHaul, table.Hauls.Hauls.size(), table.Hauls.TotalCost(), solve, write, solve + write);
    }
  }
}

}  // namespace kestrel
