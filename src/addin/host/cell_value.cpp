// CellValue's text forms: the host's error texts and a value as a macro converts it to a string.
#include "addin/host/cell_value.h"

#include "util/number_text.h"

namespace kestrel {

const char* CellErrorText(CellError e) {
  switch (e) {
    case CellError::Null: return "#NULL!";
    case CellError::Div0: return "#DIV/0!";
    case CellError::Value: return "#VALUE!";
    case CellError::Ref: return "#REF!";
    case CellError::Name: return "#NAME?";
    case CellError::Num: return "#NUM!";
    case CellError::NA: return "#N/A";
  }
  return "#VALUE!";
}

std::string CellValue::AsText() const {
  if (IsEmpty()) return "";
  if (IsNumber()) return GeneralText(Number());
  if (IsText()) return Text();
  if (IsBoolean()) return Bool() ? "True" : "False";
  return CellErrorText(Error());
}

}  // namespace kestrel
