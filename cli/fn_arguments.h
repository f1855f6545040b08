// The arguments of `kestrel fn`: numbers, texts and workbook ranges as typed on the command line.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "workbook/memory_workbook.h"
#include "geometry/function_catalogue.h"

namespace kestrel {

// A range written on the command line: "road.xlsx!A1:C3" or "road.xlsx!Sheet1!A1:C3" (.csv too,
// any case); sheet is "" for the book's active sheet.
struct RangeText {
  std::string book;
  std::string sheet;
  RangeRef range;
};
std::optional<RangeText> ParseRangeText(const std::string& text);

// Turns typed arguments into values, loading each workbook named in a range once.
class FnArguments {
 public:
  // A range for any text in the range form; otherwise a text for a String argument, and for
  // the others a number when the whole text is one, else the text (which a number argument then
  // refuses as the host would). Throws CliError for a workbook or sheet that cannot be opened.
  FunctionValue Parse(const std::string& text, ArgumentType type);

 private:
  MemoryWorkbook& Book(const std::string& path);
  std::map<std::string, std::unique_ptr<MemoryWorkbook>> books_;
};

}  // namespace kestrel
