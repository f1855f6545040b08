// The help of `kestrel fn`: the catalogue as text.
#include "fn_help.h"

#include "util/number_text.h"

namespace kestrel {
namespace {

const char* TypeName(ArgumentType type) {
  switch (type) {
    case ArgumentType::Double: return "number";
    case ArgumentType::Long: return "whole number (32-bit)";
    case ArgumentType::Integer: return "whole number (16-bit)";
    case ArgumentType::String: return "text";
    case ArgumentType::Variant: return "number, text or range";
    case ArgumentType::Range: return "range";
  }
  return "value";
}

const char* ResultName(ResultType type) {
  switch (type) {
    case ResultType::Double: return "number";
    case ResultType::String: return "text";
    case ResultType::Variant: return "number, text or empty";
  }
  return "value";
}

}  // namespace

std::string CatalogueHelp() {
  std::string text =
      "Usage: kestrel fn NAME [ARG...] [--cell [SHEET!]CELL]\n"
      "       kestrel fn [NAME] --help\n"
      "\n"
      "Computes one worksheet function and prints its result (numbers in the general form).\n"
      "An error prints the spreadsheet's error value (#VALUE!) and exits with 1.\n"
      "ARG: a number or a text as typed; BOOK.xlsx!A1:C3 or BOOK.xlsx!Sheet1!A1:C3 (also .csv)\n"
      "is a range of that workbook; omitted optional arguments take their defaults.\n"
      "--cell: the cell the function is called from (RangeAddress).\n"
      "A file name is taken as on any command line: a relative one from the current directory\n"
      "(in the spreadsheet, GetH takes a name without a folder from the add-in's folder).\n"
      "\n"
      "Functions:\n";
  for (const WorksheetFunction& f : WorksheetFunctions()) {
    text += "  " + f.Signature() + "\n      " + std::string(f.help) + "\n";
  }
  return text;
}

std::string FunctionHelp(const WorksheetFunction& function) {
  std::string text = function.Signature() + " -> " + ResultName(function.result) + "\n  " + std::string(function.help) + "\n";
  for (const FunctionArgument& a : function.arguments) {
    text += "  " + std::string(a.name) + ": " + TypeName(a.type);
    if (a.byReference) text += ", by reference";
    if (a.Optional()) text += ", optional (default " + GeneralText(*a.defaultValue) + ")";
    text += "\n      " + std::string(a.help) + "\n";
  }
  return text;
}

}  // namespace kestrel
