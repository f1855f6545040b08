// Tests of CellValue's text forms.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrel
