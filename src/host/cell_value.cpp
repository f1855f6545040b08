// CellValue's text forms: the host's error texts and a value as a macro converts it to a string.
#include "host/cell_value.h"

#include <utility>

#include "util/number_text.h"

namespace kestrel {

namespace {

constexpr std::pair<CellError, std::string_view> kErrorTexts[] = {
    {CellError::Null, "#NULL!"},         {CellError::Div0, "#DIV/0!"},        {CellError::Value, "#VALUE!"},
    {CellError::Ref, "#REF!"},           {CellError::Name, "#NAME?"},         {CellError::Num, "#NUM!"},
    {CellError::NA, "#N/A"},             {CellError::GettingData, "#GETTING_DATA"}, {CellError::Spill, "#SPILL!"},
    {CellError::Connect, "#CONNECT!"},   {CellError::Blocked, "#BLOCKED!"},   {CellError::Unknown, "#UNKNOWN!"},
    {CellError::Field, "#FIELD!"},       {CellError::Calc, "#CALC!"},         {CellError::Busy, "#BUSY!"}};

}  // namespace

std::string CellErrorText(CellError e) {
  for (const auto& [error, text] : kErrorTexts) {
    if (error == e) return std::string(text);
  }
  return "#ERR" + std::to_string(static_cast<int>(e));
}

std::optional<CellError> CellErrorOfText(std::string_view text) {
  for (const auto& [error, name] : kErrorTexts) {
    if (name == text) return error;
  }
  return std::nullopt;
}

std::string CellValue::AsText() const {
  if (IsEmpty()) return "";
  if (IsNumber()) return GeneralText(Number());
  if (IsText()) return Text();
  if (IsBoolean()) return Bool() ? "True" : "False";
  return CellErrorText(Error());
}

}  // namespace kestrel
