// Random edits of the memory worksheet checked against a naive dense model of the same sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "workbook/memory_worksheet.h"

namespace kestrel {
namespace {

// The obvious model: a map from (row, column) to a number; inserting and deleting rebuild it.
class NaiveSheet {
 public:
  void Set(int r, int c, std::optional<double> v) {
    if (v) cells_[{r, c}] = *v;
    else cells_.erase({r, c});
  }
  void Insert(bool rows, int at, int count) { Move(rows, [&](int k) { return k >= at ? k + count : k; }); }
  void Delete(bool rows, int at, int count) {
    Move(rows, [&](int k) { return k < at ? k : k >= at + count ? k - count : 0; });
  }
  const std::map<std::pair<int, int>, double>& Cells() const { return cells_; }

 private:
  template <class F> void Move(bool rows, F newIndex) {
    std::map<std::pair<int, int>, double> moved;
    for (const auto& [at, v] : cells_) {
      int k = newIndex(rows ? at.first : at.second);
      if (k == 0) continue;  // deleted
      moved[rows ? std::pair{k, at.second} : std::pair{at.first, k}] = v;
    }
    cells_ = std::move(moved);
  }
  std::map<std::pair<int, int>, double> cells_;
};

void ExpectSame(MemoryWorksheet& sheet, const NaiveSheet& model, int step) {
  std::vector<CellRef> used = sheet.UsedCells();
  ASSERT_EQ(used.size(), model.Cells().size()) << "step " << step;
  size_t i = 0;
  for (const auto& [at, v] : model.Cells()) {
    ASSERT_EQ(used[i], (CellRef{at.first, at.second})) << "step " << step;
    ASSERT_EQ(sheet.Value(used[i]), CellValue(v)) << "step " << step;
    ++i;
  }
  // End from the bottom of each column: the column's last filled row, or row 1.
  std::map<int, int> lastRow;
  for (const auto& [at, v] : model.Cells()) lastRow[at.second] = std::max(lastRow[at.second], at.first);
  for (int column = 1; column <= 14; ++column)
    ASSERT_EQ(sheet.EndUp({kMaxRows, column}), std::max(lastRow[column], 1)) << "step " << step << ", column " << column;
}

TEST(MemoryWorksheetModelCheckTest, RandomEditsMatchTheNaiveModel) {
  std::mt19937 random(20240611);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  MemoryWorksheet sheet;
  NaiveSheet model;
  // Enough rows for several chunks of stored rows.
  for (int r = 1; r <= 2500; ++r) {
    double v = r * 10 + 1;
    sheet.SetValue({r, 1 + r % 5}, v);
    model.Set(r, 1 + r % 5, v);
  }
  for (int step = 0; step < 600; ++step) {
    int op = pick(0, 9);
    if (op <= 2) {
      int r = pick(1, 3200), c = pick(1, 10);
      std::optional<double> v;
      if (pick(0, 4)) v = pick(-1000, 1000);
      sheet.SetValue({r, c}, v ? CellValue(*v) : CellValue());
      model.Set(r, c, v);
    } else if (op == 3) {
      int r = pick(1, 3200), c = pick(1, 8), h = pick(1, 30), w = pick(1, 4);
      Grid g(h, w);
      for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
          std::optional<double> v;
          if (pick(0, 3)) v = pick(0, 99);
          g.At(i, j) = v ? CellValue(*v) : CellValue();
          model.Set(r + i, c + j, v);
        }
      sheet.SetValues({r, c}, g);
    } else if (op <= 5) {
      int at = pick(1, 3200), count = pick(1, op == 4 ? 3 : 300);
      sheet.InsertRows(at, count);
      model.Insert(true, at, count);
    } else if (op <= 7) {
      // Now and then a deletion from the top that empties whole chunks of rows.
      int at = pick(0, 5) ? pick(1, 3200) : pick(1, 40), count = pick(1, op == 6 ? 3 : 1200);
      sheet.DeleteRows(at, count);
      model.Delete(true, at, count);
    } else if (op == 8) {
      int at = pick(1, 10), count = pick(1, 3);
      sheet.InsertColumns(at, count);
      model.Insert(false, at, count);
    } else {
      int at = pick(1, 10), count = pick(1, 3);
      sheet.DeleteColumns(at, count);
      model.Delete(false, at, count);
    }
    ExpectSame(sheet, model, step);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace kestrel
