// Writing the volume sheet in blocks: the same sheet as cell by cell, and few host calls.
#include <random>

#include "host_doubles/counting_host.h"
#include "refusing_host.h"
#include "support/command_fixture.h"
#include "volume_sheet_reference.h"
#include "volumes/volume_formulas.h"
#include "volumes/volume_sheet.h"

namespace kestrel {
namespace {

class VolumeBlocksTest : public CommandFixture {
 protected:
  CommandOutcome Build(int last, int variant) {
    CommandContext context = Context();
    return DrawVolumeSheet(context, {variant, last, fillStations}, session.Sections);
  }
  bool fillStations = false;
  void Record(int count, std::mt19937& random) {
    session.Sections.SectionList.clear();
    for (int i = 0; i < count; ++i) {
      SectionRecord record;
      record.Station = 10000 + 20.0 * i + (random() % 1000) / 1000.0;
      session.Sections.SectionList.push_back(record);
    }
    session.Sections.SectionCount = count;
  }
};

void ExpectSameSheet(MemoryWorksheet& got, MemoryWorksheet& want, int last) {
  ASSERT_EQ(got.UsedCells().size(), want.UsedCells().size());
  for (CellRef c : want.UsedCells()) {
    SCOPED_TRACE(CellA1(c));
    ASSERT_EQ(got.Value(c), want.Value(c));
    ASSERT_EQ(got.Formula(c), want.Formula(c));
    ASSERT_EQ(got.EffectiveStyle(c), want.EffectiveStyle(c));
    ASSERT_EQ(got.Borders(c), want.Borders(c));
    ASSERT_EQ(got.SuperscriptRuns(c), want.SuperscriptRuns(c));
  }
  EXPECT_EQ(got.Merges(), want.Merges());
  EXPECT_EQ(got.ColumnFormats(), want.ColumnFormats());
  EXPECT_EQ(got.RowFormats().size(), want.RowFormats().size());
  for (int r = 1; r <= last + 1; ++r) ASSERT_EQ(got.RowHeight(r), want.RowHeight(r)) << r;
  const PageSetup& a = got.Page();
  const PageSetup& b = want.Page();
  EXPECT_EQ(a.orientation, b.orientation);
  EXPECT_EQ(a.printTitleRows, b.printTitleRows);
  EXPECT_EQ((std::vector<double>{a.leftMargin, a.rightMargin, a.topMargin, a.bottomMargin, a.headerMargin,
                                 a.footerMargin}),
            (std::vector<double>{b.leftMargin, b.rightMargin, b.topMargin, b.bottomMargin, b.headerMargin,
                                 b.footerMargin}));
}

TEST_F(VolumeBlocksTest, BlocksGiveExactlyWhatCellByCellGives) {
  std::mt19937 random(11);
  // Sizes around the block height, so that the last block is full, one row long, or partial.
  const int lasts[] = {6, 7, 23, kFormulaBlockRows + 4, kFormulaBlockRows + 5, 2 * kFormulaBlockRows + 6, 10004};
  int round = 0;
  for (int last : lasts) {
    for (int variant : {2, 4, 6}) {
      SCOPED_TRACE("last row " + std::to_string(last) + " variant " + std::to_string(variant));
      const bool fill = round % 2 == 0;
      Record(static_cast<int>(random() % (last + 4)), random);
      fillStations = fill;
      MemoryWorkbook reference;
      ReferenceVolumeSheet(reference, session, last, variant, fill);
      MemoryWorkbook blocks;
      session.HostApplication = &blocks;
      ASSERT_EQ(Build(last, variant), CommandOutcome::Completed);
      ExpectSameSheet(blocks.Active(), reference.Active(), last);
      ++round;
    }
  }
}

TEST_F(VolumeBlocksTest, ARefusedBlockIsWrittenCellByCell) {
  MemoryWorkbook reference;
  ReferenceVolumeSheet(reference, session, 40, 6, false);
  Refusals refusals;
  refusals.formulaBlocks = true;
  RefusingHost host(book, refusals);
  session.HostApplication = &host;
  ASSERT_EQ(Build(40, 6), CommandOutcome::Completed);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(host.Counter().Calls(HostCall::SetValues), 1);  // the headers; the refused blocks never got through
  EXPECT_EQ(host.Counter().Calls(HostCall::SetValue), 2 + 36 * 2 + 35 * 7 + 7);  // title, totals label, every formula
  ExpectSameSheet(book.Active(), reference.Active(), 40);
}

TEST_F(VolumeBlocksTest, HostCallsDoNotGrowWithTheNumberOfSections) {
  for (int variant : {2, 4, 6}) {
    SCOPED_TRACE(variant);
    std::mt19937 random(variant);
    Record(10000, random);
    fillStations = true;
    CountingApplication small(book);
    session.HostApplication = &small;
    ASSERT_EQ(Build(20, variant), CommandOutcome::Completed);
    CountingApplication large(book);
    session.HostApplication = &large;
    ASSERT_EQ(Build(10004, variant), CommandOutcome::Completed);

    // Each block of formulas takes one call per kFormulaBlockRows rows; nothing else depends on
    // the number of sections.
    const long blocksPerColumnGroup = (10000 + kFormulaBlockRows - 1) / kFormulaBlockRows;
    const long groups = variant == 6 ? 2 : 1;
    // The blocks, the totals, the headers and the stations.
    EXPECT_EQ(large.Counter().Calls(HostCall::SetValues), groups * blocksPerColumnGroup + 3);
    EXPECT_EQ(large.Counter().Calls(HostCall::SetValue), small.Counter().Calls(HostCall::SetValue));
    EXPECT_EQ(large.Counter().TotalCalls() - small.Counter().TotalCalls(), groups * (blocksPerColumnGroup - 1));
    EXPECT_LT(large.Counter().TotalCalls(), 60);
    EXPECT_EQ(book.Active().Value({10003, 1}), CellValue(session.Sections.SectionList[9999].Station));
    EXPECT_EQ(book.Active().Formula({10004, 2 + variant}),
              "=SUM(" + ColumnLetters(2 + variant) + "5:" + ColumnLetters(2 + variant) + "10003)");
  }
}

}  // namespace
}  // namespace kestrel
