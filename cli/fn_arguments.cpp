// The arguments of `kestrel fn`: the range form, the workbooks it names, numbers and texts.
#include "fn_arguments.h"

#include "cli_context.h"
#include "io/workbook_file.h"
#include "util/number_text.h"
#include "util/unicode.h"

namespace kestrel {
namespace {

bool IsBookName(const std::string& name) {
  const std::string lower = AsciiLower(name);
  auto endsWith = [&](std::string_view tail) {
    return lower.size() > tail.size() && lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
  };
  return endsWith(".xlsx") || endsWith(".csv");
}

}  // namespace

std::optional<RangeText> ParseRangeText(const std::string& text) {
  const size_t bang = text.rfind('!');
  if (bang == std::string::npos) return std::nullopt;
  std::optional<RangeRef> range = RangeRef::Parse(text.substr(bang + 1));
  if (!range) return std::nullopt;
  const std::string before = text.substr(0, bang);
  if (IsBookName(before)) return RangeText{before, "", *range};
  const size_t sheetBang = before.rfind('!');
  if (sheetBang == std::string::npos || !IsBookName(before.substr(0, sheetBang))) return std::nullopt;
  return RangeText{before.substr(0, sheetBang), before.substr(sheetBang + 1), *range};
}

MemoryWorkbook& FnArguments::Book(const std::string& path) {
  std::unique_ptr<MemoryWorkbook>& book = books_[path];
  if (!book) book = LoadWorkbook(path);
  return *book;
}

FunctionValue FnArguments::Parse(const std::string& text, ArgumentType type) {
  if (std::optional<RangeText> range = ParseRangeText(text)) {
    MemoryWorkbook& book = Book(range->book);
    MemoryWorksheet* sheet = range->sheet.empty() ? &book.Active() : book.FindSheet(range->sheet);
    if (sheet == nullptr) throw CliError(range->book + ": no sheet named " + range->sheet);
    return RangeArg(*sheet, range->range, range->book);
  }
  if (type == ArgumentType::String) return text;
  if (std::optional<double> number = StrictNumber(text)) return *number;
  return text;
}

}  // namespace kestrel
