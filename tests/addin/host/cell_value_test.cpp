// Tests of CellValue's text forms.
#include <gtest/gtest.h>

#include "addin/host/cell_value.h"

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
  EXPECT_STREQ(CellErrorText(CellError::Ref), "#REF!");
  EXPECT_STREQ(CellErrorText(CellError::Null), "#NULL!");
  EXPECT_STREQ(CellErrorText(CellError::Value), "#VALUE!");
  EXPECT_STREQ(CellErrorText(CellError::Num), "#NUM!");
}

}  // namespace
}  // namespace kestrel
