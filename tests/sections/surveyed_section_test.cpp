// The measured-section sheet as its one reader sees it: sections, stations, points, offset order.
#include "sections/surveyed_section.h"

#include <gtest/gtest.h>

#include "workbook/memory_workbook.h"

namespace kestrel {
namespace {

class SurveyedSectionTest : public ::testing::Test {
 protected:
  // One surveyed point: name in A, level in D, measured station in E, section station in F, offset in G.
  void Point(int row, const CellValue& station, const CellValue& offset, double level) {
    Sheet().SetValue({row, 1}, "p" + std::to_string(row));
    Sheet().SetValue({row, 4}, level);
    Sheet().SetValue({row, 5}, station);
    Sheet().SetValue({row, 6}, station);
    Sheet().SetValue({row, 7}, offset);
  }
  MemoryWorksheet& Sheet() { return book.Active(); }
  MemoryWorkbook book;
};

TEST_F(SurveyedSectionTest, SectionsAreRunsOfNamedRowsWithTheirStationsAsTheSheetShowsThem) {
  Point(1, 12220.0, -5.0, 101);
  Point(2, 12220.0, 5.0, 103);
  // rows 3 and 4 empty: no empty section between
  Point(5, 12240.0, -2.0, 100);
  Point(6, 12240.0, 0.0, 100.5);
  Point(8, "K12+260", 1.0, 99);  // a station that is no number keeps its text
  Sheet().SetNumberFormat(RangeRef::Block(5, 6, 6, 6), "0.00");

  const std::vector<SurveyedSection> sections = ReadSurveyedSections(Sheet());
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0].StartRow, 1);
  EXPECT_EQ(sections[0].EndRow, 2);
  EXPECT_EQ(sections[0].StationText, "K12+220.000");
  EXPECT_EQ(sections[0].StationFormat, "General");
  EXPECT_DOUBLE_EQ(sections[0].CentreLevel(), 102);  // halfway between -5 and 5
  EXPECT_EQ(sections[1].StartRow, 5);
  EXPECT_EQ(sections[1].StationText, "12240.00");
  EXPECT_DOUBLE_EQ(sections[1].CentreLevel(), 100.5);
  ASSERT_EQ(sections[1].Points.size(), 2u);
  EXPECT_EQ(sections[1].Points[1].Row, 6);
  EXPECT_FALSE(sections[2].StationIsNumber);
  EXPECT_EQ(sections[2].Station, 0);
  EXPECT_EQ(sections[2].StationText, "K12+260");
  EXPECT_EQ(sections[2].CentreLevel(), 0);  // nothing on the left
  EXPECT_EQ(LastSurveyRow(Sheet()), 8);
}

TEST_F(SurveyedSectionTest, ASurveyOfMoreRowsThanOneReadingTakesIsReadWhole) {
  // Sections of 7 points and an empty row over 72,000 rows: the sheet is read a run of whole
  // sections at a time, and a run that ended inside a section would cut or shift its points.
  constexpr int kSections = 9000;
  Grid values(kSections * 8, 7);
  for (int s = 0; s < kSections; ++s) {
    for (int p = 0; p < 7; ++p) {
      const int row = s * 8 + p + 1;
      values.At(row - 1, 0) = "p" + std::to_string(row);
      values.At(row - 1, 3) = 100 + row * 0.25;  // exact in every floating-point unit
      values.At(row - 1, 4) = values.At(row - 1, 5) = 1000.0 + 20 * s;
      values.At(row - 1, 6) = p - 3.0;
    }
  }
  Sheet().SetValues({1, 1}, values);
  const std::vector<SurveyedSection> sections = ReadSurveyedSections(Sheet());
  ASSERT_EQ(sections.size(), static_cast<size_t>(kSections));
  std::string firstWrong;
  for (int s = 0; s < kSections && firstWrong.empty(); ++s) {
    const SurveyedSection& section = sections[static_cast<size_t>(s)];
    bool right = section.StartRow == s * 8 + 1 && section.EndRow == s * 8 + 7 && section.Points.size() == 7 &&
                 section.Station == 1000.0 + 20 * s;
    for (int p = 0; right && p < 7; ++p) {
      const SurveyedPoint& point = section.Points[static_cast<size_t>(p)];
      right = point.Row == s * 8 + p + 1 && point.Level == 100 + point.Row * 0.25 && point.Offset == p - 3.0;
    }
    if (!right) firstWrong = "section " + std::to_string(s) + " at " + section.StationText;
  }
  EXPECT_EQ(firstWrong, "");
}

TEST_F(SurveyedSectionTest, OnlySectionsOutOfOffsetOrderAreSortedAndEachStaysInItsRows) {
  Point(1, 100.0, 3.0, 10);
  Point(2, 100.0, -3.0, 11);
  Point(3, 100.0, 0.0, 12);
  Point(5, 120.0, -1.0, 20);
  Point(6, 120.0, 1.0, 21);
  SortSectionsByOffset(Sheet(), 8);
  const std::vector<SurveyedSection> sections = ReadSurveyedSections(Sheet());
  ASSERT_EQ(sections.size(), 2u);
  std::vector<double> offsets;
  for (const SurveyedPoint& p : sections[0].Points) offsets.push_back(p.Offset);
  EXPECT_EQ(offsets, (std::vector<double>{-3, 0, 3}));
  EXPECT_EQ(sections[0].Points[0].Level, 11);
  EXPECT_EQ(sections[1].Points[0].Level, 20);
  EXPECT_TRUE(ReadSurveyedSections(book.AddSheet()).empty());
}

}  // namespace
}  // namespace kestrel
