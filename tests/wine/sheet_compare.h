// Compares two in-memory workbooks sheet by sheet: every cell's value, formula, format, borders,
// note and superscripts, and the merges, selection, column and row formats and page setup.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "workbook/memory_workbook.h"

namespace kestrel::testing {

inline std::string Where(const MemoryWorksheet& sheet, CellRef cell) { return sheet.SheetName() + "!" + CellA1(cell); }

inline void ExpectSameSheet(const MemoryWorksheet& expected, const MemoryWorksheet& actual) {
  EXPECT_EQ(expected.SheetName(), actual.SheetName());
  auto& e = const_cast<MemoryWorksheet&>(expected);
  auto& a = const_cast<MemoryWorksheet&>(actual);
  std::set<std::tuple<int, int>> cells;
  for (CellRef c : expected.UsedCells()) cells.insert({c.row, c.column});
  for (CellRef c : actual.UsedCells()) cells.insert({c.row, c.column});
  // Cells whose neighbours carry a border show it too: look one row and column around.
  std::set<std::tuple<int, int>> around = cells;
  for (auto [r, c] : cells) {
    around.insert({r + 1, c});
    around.insert({r, c + 1});
  }
  int differences = 0;
  for (auto [r, c] : around) {
    const CellRef cell{r, c};
    if (r > kMaxRows || c > kMaxColumns) continue;
    const bool same = e.Value(cell) == a.Value(cell) && e.Formula(cell) == a.Formula(cell) &&
                      expected.EffectiveStyle(cell) == actual.EffectiveStyle(cell) &&
                      expected.Borders(cell) == actual.Borders(cell) && e.GetNote(cell) == a.GetNote(cell) &&
                      expected.SuperscriptRuns(cell) == actual.SuperscriptRuns(cell);
    if (!same && ++differences <= 10) {
      ADD_FAILURE() << Where(expected, cell) << " differs: value " << e.Value(cell).AsText() << " / "
                    << a.Value(cell).AsText() << ", formula " << e.Formula(cell) << " / " << a.Formula(cell)
                    << ", format " << expected.EffectiveStyle(cell).numberFormat << " / "
                    << actual.EffectiveStyle(cell).numberFormat << ", note "
                    << (e.GetNote(cell) ? e.GetNote(cell)->text : "-") << " / "
                    << (a.GetNote(cell) ? a.GetNote(cell)->text : "-");
    }
  }
  EXPECT_EQ(differences, 0) << "cells that differ on " << expected.SheetName();
  EXPECT_EQ(expected.Merges(), actual.Merges());
  EXPECT_EQ(e.Selection(), a.Selection());
  auto columns = [](const MemoryWorksheet& s) {
    std::vector<std::tuple<int, std::optional<double>, CellStyle>> out;
    for (const ColumnFormat& f : s.ColumnFormats()) out.emplace_back(f.column, f.width, s.StyleById(f.style));
    return out;
  };
  auto rows = [](const MemoryWorksheet& s) {
    std::vector<std::tuple<int, std::optional<double>, CellStyle>> out;
    for (const RowFormat& f : s.RowFormats()) out.emplace_back(f.row, f.height, s.StyleById(f.style));
    return out;
  };
  EXPECT_TRUE(columns(expected) == columns(actual)) << "column widths or formats differ";
  EXPECT_TRUE(rows(expected) == rows(actual)) << "row heights or formats differ";
  const PageSetup& p = expected.Page();
  const PageSetup& q = actual.Page();
  EXPECT_TRUE(p.orientation == q.orientation && p.printTitleRows == q.printTitleRows &&
              p.leftMargin == q.leftMargin && p.rightMargin == q.rightMargin && p.topMargin == q.topMargin &&
              p.bottomMargin == q.bottomMargin && p.headerMargin == q.headerMargin && p.footerMargin == q.footerMargin)
      << "page setup differs";
}

inline void ExpectSameBook(MemoryWorkbook& expected, MemoryWorkbook& actual) {
  ASSERT_EQ(expected.SheetCount(), actual.SheetCount());
  EXPECT_EQ(expected.ActiveIndex(), actual.ActiveIndex());
  for (int i = 0; i < expected.SheetCount(); ++i) ExpectSameSheet(expected.Sheet(i), actual.Sheet(i));
}

}  // namespace kestrel::testing
