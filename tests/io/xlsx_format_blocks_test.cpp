// Formats applied by blocks give every cell exactly what applying each cell on its own gives.
#include "io/xlsx_format_blocks.h"

#include <gtest/gtest.h>

#include <random>

#include "host_doubles/counting_host.h"

namespace kestrel {
namespace {

// Format 0 is the file's default (Arial 10, unlike the sheet's own default), the others differ
// from it in one or more ways, borders included.
XlsxStyles Styles() {
  static const char* kXml = R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
    <numFmts><numFmt numFmtId="164" formatCode="&quot;K&quot;0+000.000"/></numFmts>
    <fonts><font><sz val="10"/><name val="Arial"/></font><font><b/><sz val="12"/><name val="宋体"/>
      <color rgb="FFFF0000"/></font></fonts>
    <borders><border/><border><left style="thin"/><bottom style="thin"/></border>
      <border><left style="thin"/><right style="thin"/><top style="thin"/><bottom style="thin"/></border></borders>
    <cellXfs>
      <xf numFmtId="0" fontId="0" borderId="0"/>
      <xf numFmtId="164" fontId="0" borderId="0"/>
      <xf numFmtId="2" fontId="1" borderId="1"/>
      <xf numFmtId="0" fontId="0" borderId="2"><alignment horizontal="center" vertical="top" wrapText="1"/></xf>
      <xf numFmtId="49" fontId="1" borderId="2"/>
      <xf numFmtId="0" fontId="0" borderId="0"/>
    </cellXfs></styleSheet>)";
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(kXml));
  return XlsxStyles(doc.document_element(), XlsxPalette());
}

std::vector<StyledCell> RandomCells(unsigned seed, int rows, int columns) {
  std::mt19937 random(seed);
  std::vector<StyledCell> cells;
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= columns; ++c) {
      if (random() % 5 == 0) continue;  // gaps break runs and blocks
      // Mostly the format of the cell above, so that blocks form; sometimes another.
      std::uint32_t format = random() % 3 == 0 ? random() % 6 : static_cast<std::uint32_t>((c / 3) % 6);
      cells.push_back({r, c, format});
    }
  std::shuffle(cells.begin(), cells.end(), random);  // the order of the file's cells is no matter
  return cells;
}

void ExpectSameFormats(MemoryWorksheet& blocks, MemoryWorksheet& single, int rows, int columns) {
  for (int r = 1; r <= rows + 1; ++r)
    for (int c = 1; c <= columns + 1; ++c) {
      ASSERT_EQ(blocks.EffectiveStyle({r, c}), single.EffectiveStyle({r, c})) << CellA1({r, c});
      ASSERT_EQ(blocks.Borders({r, c}), single.Borders({r, c})) << CellA1({r, c});
    }
}

class FormatBlocks : public ::testing::TestWithParam<unsigned> {};

TEST_P(FormatBlocks, MatchApplyingEachCellOnItsOwn) {
  const XlsxStyles styles = Styles();
  constexpr int kRows = 40, kColumns = 12;
  for (bool full : {false, true}) {
    auto cells = RandomCells(GetParam(), kRows, kColumns);
    MemoryWorksheet blocks, single;
    CallCounter blockCalls, singleCalls;
    CountingWorksheet countedBlocks(blocks, blockCalls), countedSingle(single, singleCalls);
    ApplyCellFormats(countedBlocks, cells, styles, full);
    for (const StyledCell& cell : cells)
      ApplyFormat(countedSingle, RangeRef::Cell(cell.row, cell.column), styles.Format(cell.format), styles.Format(0),
                  full);
    SCOPED_TRACE(full ? "full" : "differences only");
    ExpectSameFormats(blocks, single, kRows, kColumns);
    EXPECT_LT(blockCalls.TotalCalls(), singleCalls.TotalCalls());
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, FormatBlocks, ::testing::Values(1u, 2u, 3u, 20240301u));

TEST(FormatBlocksOfAColumn, TakeAFewCallsWhateverTheNumberOfRows) {
  const XlsxStyles styles = Styles();
  std::vector<StyledCell> cells;
  for (int r = 1; r <= 10000; ++r) {
    cells.push_back({r, 1, 1});  // the station format
    cells.push_back({r, 2, 1});
    cells.push_back({r, 3, 3});  // centred and wrapped, with all four edges
  }
  MemoryWorksheet sheet;
  CallCounter calls;
  CountingWorksheet counted(sheet, calls);
  ApplyCellFormats(counted, cells, styles, false);
  // One block of two columns, one of one column: a call per property, three per pair of edges.
  EXPECT_EQ(calls.Calls(HostCall::SetNumberFormat), 1);
  EXPECT_EQ(calls.Calls(HostCall::SetAlignment), 1);
  EXPECT_EQ(calls.Calls(HostCall::SetBorder), 6);
  EXPECT_EQ(sheet.NumberFormat({10000, 2}), "\"K\"0+000.000");
  EXPECT_EQ(sheet.EffectiveStyle({5000, 3}).borders.top, LineStyle::Continuous);
}

TEST(FormatBlocksOfTheDefault, CellsOfTheFilesDefaultFormatKeepTheSheetsOwn) {
  const XlsxStyles styles = Styles();
  MemoryWorksheet sheet;
  ApplyCellFormats(sheet, {{1, 1, 0}, {1, 2, 5}, {2, 1, 99}}, styles, false);  // 5 equals 0; 99 is none
  EXPECT_EQ(sheet.EffectiveStyle({1, 1}), CellStyle{});
  EXPECT_EQ(sheet.EffectiveStyle({1, 2}), CellStyle{});
  EXPECT_EQ(sheet.EffectiveStyle({2, 1}), CellStyle{});
  EXPECT_TRUE(sheet.UsedCells().empty());
}

TEST(FormatBlocksOfTheDefault, AFontEqualToTheFilesDefaultIsTheSheetsDefaultFont) {
  const XlsxStyles styles = Styles();
  MemoryWorksheet sheet;
  ApplyCellFormats(sheet, {{1, 1, 1}, {1, 2, 2}}, styles, false);
  EXPECT_EQ(sheet.EffectiveStyle({1, 1}).font, FontStyle{});  // Arial 10 is the file's default
  EXPECT_EQ(sheet.NumberFormat({1, 1}), "\"K\"0+000.000");
  FontStyle bold = sheet.EffectiveStyle({1, 2}).font;
  EXPECT_EQ(bold.name, "宋体");
  EXPECT_EQ(bold.size, 12);
  EXPECT_EQ(bold.color, 255);
}

}  // namespace
}  // namespace kestrel
