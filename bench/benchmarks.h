// The benchmark functions that bench_main runs, one per area; each prints its own figures.
#pragma once

namespace kestrel {

// Memory workbook: separator rows inserted one at a time, sort, block read and write.
void BenchWorkbook();
// The initial sort: seconds and host calls.
void BenchInitialSort();
// Draw data: seconds and host calls.
void BenchDrawData();
// Workbook files: writing and reading 100,000 rows (the command-line tool's builds only).
void BenchWorkbookFiles();

// Cross-section sheets: seconds and memory for 10,000 sections in one PDF.
void BenchPlot();

// Road geometry: GetH from a profile file, GetHP/GetJK with and without the parse cache.
void BenchGeometry();

// Design sections: 10,000 sections of 30 points, design, areas and the results sheet.
void BenchDesign();

// Earthwork distribution: 10,000 stations solved exactly and the table written.
void BenchHaul();

}  // namespace kestrel
