// Text functions: GetPoint selectors, Pl, and what a range shows, holds and where a call comes from.
#include "geometry/text_functions.h"

#include <gtest/gtest.h>

#include "workbook/memory_workbook.h"
#include "geometry/function_error.h"

namespace kestrel {
namespace {

constexpr const char* kListing = "X=100.5 Y=200.25 Z=3";

TEST(GetPoint, SingleCoordinates) {
  EXPECT_EQ(GetPoint(kListing, "y"), "200.25");
  EXPECT_EQ(GetPoint(kListing, "X"), "100.5");
  EXPECT_EQ(GetPoint(kListing, "z"), "3");
  EXPECT_EQ(GetPoint("x = 1", "x"), "");  // the marker is "x=" exactly
  EXPECT_EQ(GetPoint(kListing, "h"), "");
  EXPECT_EQ(GetPoint("", "x"), "");
}

TEST(GetPoint, BothCoordinatesInEitherOrder) {
  EXPECT_EQ(GetPoint(kListing, "x,y"), "100.5,200.25");
  EXPECT_EQ(GetPoint(kListing, "Y,X"), "200.25,100.5");
  EXPECT_EQ(GetPoint("点 at x=12.123456789 y=-3", "x,y"), "12.12345679,-3");
}

TEST(GetPoint, MarkersIgnoreCaseAndAnyMarkerWorks) {
  EXPECT_EQ(GetPoint("POINT  X=  1.5  Y= 2", "x,y"), "1.5,2");
  EXPECT_EQ(GetPoint("桩号K12 高程=310.456789123", "高程="), "310.45678912");
  EXPECT_EQ(GetPoint("ELEV: 310.5", "elev:"), "310.5");
  EXPECT_EQ(GetPoint("a=abc", "a="), "0");
}

TEST(GetPoint, AMissingMarkerInTheBothFormsReadsFromTheSecondCharacter) {
  EXPECT_EQ(GetPoint("X=100.5 Z=3", "x,y"), "100.5,0");  // "=100.5 Z=3" holds no leading number
  EXPECT_EQ(GetPoint("7812 y=5", "x,y"), "812,5");
  EXPECT_EQ(GetPoint("高12 y=5", "x,y"), "12,5");  // the second character, not the second byte
}

TEST(GetPoint, ANumberBeyondFloat64IsAnError) { EXPECT_EQ(GetPoint("x=1e999", "x"), "#ERROR!"); }

TEST(Pl, JoinsWithAComma) {
  EXPECT_EQ(Pl("100.5", "200.25"), "100.5,200.25");
  EXPECT_EQ(Pl("", ""), ",");
}

class RangeFunctionsTest : public ::testing::Test {
 protected:
  MemoryWorksheet& Sheet() { return book.Active(); }
  RangeArg At(const char* a1) { return RangeArg(Sheet(), RangeRef::Parse(a1).value(), "Book1"); }
  MemoryWorkbook book;
};

TEST_F(RangeFunctionsTest, Text2GivesWhatTheCellShows) {
  Sheet().SetValue({1, 1}, 12235.689);
  Sheet().SetNumberFormat(RangeRef::Cell(1, 1), "\"K\"0+000.000");
  Sheet().SetValue({2, 1}, "路基");
  EXPECT_EQ(Text2(At("A1")), "K12+235.689");
  EXPECT_EQ(Text2(At("A2")), "路基");
  EXPECT_EQ(Text2(At("B9")), "");
  Sheet().SetValue({1, 3}, "同");
  Sheet().SetValue({2, 3}, "同");
  EXPECT_EQ(Text2(At("C1:C2")), "同");
  EXPECT_THROW(Text2(At("A1:A2")), FunctionError);
}

TEST_F(RangeFunctionsTest, ViewFGivesTheFormulaOrTheConstant) {
  Sheet().SetValue({1, 1}, 5);
  Sheet().SetValue({2, 1}, "=A1*2");
  Sheet().SetValue({3, 1}, "text");
  EXPECT_EQ(ViewF(At("A2")), "=A1*2");
  EXPECT_EQ(ViewF(At("A1")), "5");
  EXPECT_EQ(ViewF(At("A3")), "text");
  EXPECT_EQ(ViewF(At("B1")), "");
  EXPECT_THROW(ViewF(At("A1:A2")), FunctionError);
}

TEST_F(RangeFunctionsTest, RangeAddressIsTheCallersWithoutDollars) {
  book.SetCaller(CallerCell{"Sheet1", {7, 3}});
  EXPECT_EQ(RangeAddress(&book), "C7");
  book.SetCaller(CallerCell{"Sheet1", {1048576, 16384}});
  EXPECT_EQ(RangeAddress(&book), "XFD1048576");
  book.SetCaller(std::nullopt);
  EXPECT_THROW(RangeAddress(&book), FunctionError);
  EXPECT_THROW(RangeAddress(nullptr), FunctionError);
}

}  // namespace
}  // namespace kestrel
