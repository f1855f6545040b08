// CellValue's text forms: the host's error texts and a value as a macro converts it to a string.
#include "host/cell_value.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
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

std::uint64_t CellValue::NewText(std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("a text of 4 GB or more");
  void* room = ::operator new(sizeof(TextBlock) + text.size());
  auto* block = new (room) TextBlock{{1}, static_cast<std::uint32_t>(text.size())};
  if (!text.empty()) std::memcpy(block + 1, text.data(), text.size());
  return Tagged(Kind::Text, reinterpret_cast<std::uintptr_t>(block));
}

void CellValue::FreeText(TextBlock* block) {
  block->~TextBlock();
  ::operator delete(block);
}

std::string CellValue::AsText() const {
  if (IsEmpty()) return "";
  if (IsNumber()) return GeneralText(Number());
  if (IsText()) return std::string(Text());
  if (IsBoolean()) return Bool() ? "True" : "False";
  return CellErrorText(Error());
}

}  // namespace kestrel
