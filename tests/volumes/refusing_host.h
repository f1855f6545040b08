// RefusingHost: an in-memory host that refuses chosen writes, for the builder's error paths.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "host_doubles/counting_host.h"
#include "host/host_error.h"
#include "workbook/memory_workbook.h"

namespace kestrel {

// What the host refuses: writing one of `cells`, alone or within a block, and, with
// formulaBlocks, every block whose first value is a formula text. Other calls go through.
struct Refusals {
  std::vector<CellRef> cells;
  bool formulaBlocks = false;
};

class RefusingSheet : public CountingWorksheet {
 public:
  RefusingSheet(Worksheet& inner, CallCounter& counter, const Refusals& refusals)
      : CountingWorksheet(inner, counter), refusals_(refusals) {}
  void SetValue(CellRef cell, const CellValue& value) override {
    for (CellRef r : refusals_.cells)
      if (r == cell) throw HostError("refused " + CellA1(cell));
    CountingWorksheet::SetValue(cell, value);
  }
  void SetValues(CellRef topLeft, const Grid& values) override {
    const RangeRef block = RangeRef::Block(topLeft.row, topLeft.column, topLeft.row + values.Rows() - 1,
                                           topLeft.column + values.Columns() - 1);
    for (CellRef r : refusals_.cells)
      if (block.Contains(r)) throw HostError("refused " + block.ToA1());
    const CellValue& first = values.At(0, 0);
    if (refusals_.formulaBlocks && first.IsText() && first.Text().starts_with("="))
      throw HostError("refused " + block.ToA1());
    CountingWorksheet::SetValues(topLeft, values);
  }

 private:
  Refusals refusals_;
};

class RefusingHost : public Application {
 public:
  RefusingHost(MemoryWorkbook& book, Refusals refusals) : book_(book), refusals_(std::move(refusals)) {}
  CallCounter& Counter() { return counter_; }
  Worksheet& ActiveSheet() override {
    sheet_ = std::make_unique<RefusingSheet>(book_.Active(), counter_, refusals_);
    return *sheet_;
  }
  Worksheet& AddSheet() override {
    book_.AddSheet();
    return ActiveSheet();
  }
  std::vector<Worksheet*> Worksheets() override { return book_.Worksheets(); }
  bool ScreenUpdating() override { return book_.ScreenUpdating(); }
  void SetScreenUpdating(bool on) override { book_.SetScreenUpdating(on); }
  bool DisplayAlerts() override { return book_.DisplayAlerts(); }
  void SetDisplayAlerts(bool on) override { book_.SetDisplayAlerts(on); }
  double InchesToPoints(double inches) override { return book_.InchesToPoints(inches); }
  std::optional<CallerCell> Caller() override { return std::nullopt; }

 private:
  MemoryWorkbook& book_;
  Refusals refusals_;
  CallCounter counter_;
  std::unique_ptr<RefusingSheet> sheet_;
};

}  // namespace kestrel
