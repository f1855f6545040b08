// The benchmark functions that bench_main runs, one per area; each prints its own figures.
#pragma once

namespace kestrel {

// Memory workbook: separator rows inserted one at a time, sort, block read and write.
void BenchWorkbook();
// The initial sort: seconds and host calls.
void BenchInitialSort();

}  // namespace kestrel
