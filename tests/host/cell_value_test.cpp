// Tests of CellValue: its kinds and its text forms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "host/cell_value.h"

namespace kestrel {
namespace {

TEST(CellValueTest, ConvertsAsAMacroConvertsToString) {
  EXPECT_EQ(CellValue().AsText(), "");
  EXPECT_EQ(CellValue(200).AsText(), "200");
  EXPECT_EQ(CellValue(0.7).AsText(), "0.7");
  EXPECT_EQ(CellValue(-12.35).AsText(), "-12.35");
  EXPECT_EQ(CellValue(34.0 / 3).AsText(), "11.3333333333333");
  EXPECT_EQ(CellValue("K12+235.689").AsText(), "K12+235.689");
  EXPECT_EQ(CellValue::Boolean(true).AsText(), "True");
  EXPECT_EQ(CellValue::Boolean(false).AsText(), "False");
  EXPECT_EQ(CellValue::Error(CellError::Div0).AsText(), "#DIV/0!");
  EXPECT_EQ(CellValue::Error(CellError::NA).AsText(), "#N/A");
  EXPECT_EQ(CellValue::Error(CellError::Name).AsText(), "#NAME?");
  EXPECT_EQ(CellErrorText(CellError::Ref), "#REF!");
  EXPECT_EQ(CellErrorText(CellError::Null), "#NULL!");
  EXPECT_EQ(CellErrorText(CellError::Value), "#VALUE!");
  EXPECT_EQ(CellErrorText(CellError::Num), "#NUM!");
}

TEST(CellValueTest, NewerErrorValuesHaveTheirTextsAndAnUnnamedCodeStaysItself) {
  const std::pair<int, const char*> named[] = {{2043, "#GETTING_DATA"}, {2045, "#SPILL!"},  {2046, "#CONNECT!"},
                                               {2047, "#BLOCKED!"},     {2048, "#UNKNOWN!"}, {2049, "#FIELD!"},
                                               {2050, "#CALC!"},        {2051, "#BUSY!"}};
  for (const auto& [code, text] : named) {
    EXPECT_EQ(CellErrorText(static_cast<CellError>(code)), text);
    EXPECT_EQ(CellErrorOfText(text), static_cast<CellError>(code)) << text;
  }
  const CellValue unnamed = CellValue::Error(static_cast<CellError>(2099));
  EXPECT_EQ(unnamed.AsText(), "#ERR2099");
  EXPECT_NE(unnamed, CellValue::Error(CellError::Value));
  EXPECT_EQ(CellErrorOfText("#ERR2099"), std::nullopt);
  EXPECT_EQ(CellErrorOfText("#N/A"), CellError::NA);
}

// A value keeps its kind and content whatever number it holds: a NaN with any sign or payload
// (as arithmetic makes them) and the infinities stay numbers; texts, booleans and error codes
// survive copies and moves.
TEST(CellValueTest, EveryNumberStaysANumberAndEveryOtherKindItsOwn) {
  std::vector<double> numbers = {0.0, -0.0, 1e308, -1e-320, std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()};
  for (std::uint64_t bits : {0xFFF8'0000'0000'0000ull, 0xFFFA'0000'0000'1234ull, 0x7FF0'0000'0000'0001ull,
                             0xFFFF'FFFF'FFFF'FFFFull}) {
    double nan;
    std::memcpy(&nan, &bits, sizeof nan);
    numbers.push_back(nan);
  }
  for (double n : numbers) {
    const CellValue v(n);
    EXPECT_TRUE(v.IsNumber()) << n;
    EXPECT_FALSE(v.IsEmpty() || v.IsText() || v.IsBoolean() || v.IsError()) << n;
    if (std::isnan(n)) {
      EXPECT_TRUE(std::isnan(v.Number()));
    } else {
      EXPECT_EQ(v.Number(), n);
      EXPECT_EQ(std::signbit(v.Number()), std::signbit(n));
    }
  }
  EXPECT_TRUE(CellValue().IsEmpty());
  EXPECT_FALSE(CellValue().IsNumber());
  EXPECT_NE(CellValue(), CellValue(0));
  EXPECT_NE(CellValue(""), CellValue());
  EXPECT_NE(CellValue::Boolean(false), CellValue(0));
  EXPECT_NE(CellValue::Error(CellError::Null), CellValue(2000));

  CellValue text("K12+235.689");
  CellValue copy = text;
  CellValue moved = std::move(copy);
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_EQ(moved.Text(), "K12+235.689");
  EXPECT_EQ(moved, CellValue(std::string("K12+235.689")));
  text = CellValue::Boolean(true);
  EXPECT_EQ(moved.Text(), "K12+235.689");
  EXPECT_TRUE(text.IsBoolean() && text.Bool());
  EXPECT_EQ(CellValue::Error(static_cast<CellError>(2099)).Error(), static_cast<CellError>(2099));
}

}  // namespace
}  // namespace kestrel
