// kestrel dump: a sheet as CSV on standard output (values, formulas or display text).
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "commands.h"
#include "io/csv_record.h"

namespace kestrel {
namespace {

enum class DumpMode { Values, Formulas, Text };

struct DumpOptions {
  BookOptions book;
  bool formulas = false;
  bool text = false;
};

int Dump(CliContext& context, const DumpOptions& options) {
  MemoryWorkbook& book = context.OpenBook(options.book);
  MemoryWorksheet& sheet = book.Active();
  const DumpMode mode = options.formulas ? DumpMode::Formulas : options.text ? DumpMode::Text : DumpMode::Values;
  std::optional<RangeRef> used = sheet.UsedRange();
  if (!used) return kExitDone;
  // Rows and columns count from A1 so that a cell's place in the output is its place on the sheet.
  const RangeRef block = RangeRef::Block(1, 1, used->last.row, used->last.column);
  const Grid values = sheet.Values(block);
  const std::vector<std::string> texts = mode == DumpMode::Text ? sheet.Texts(block) : std::vector<std::string>();
  std::vector<std::string> fields(block.Columns());
  for (int r = 0; r < block.Rows(); ++r) {
    for (int c = 0; c < block.Columns(); ++c) {
      switch (mode) {
        case DumpMode::Values:
          fields[c] = values.At(r, c).AsText();
          break;
        case DumpMode::Formulas:
          fields[c] = sheet.Formula({r + 1, c + 1});
          break;
        case DumpMode::Text:
          fields[c] = texts[static_cast<size_t>(r) * block.Columns() + c];
          break;
      }
    }
    context.Out() << CsvRecord(fields) << "\n";
  }
  return kExitDone;
}

}  // namespace

CliCommand AddDumpCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* command = app.add_subcommand("dump", "print a sheet as CSV: values (numbers in the general form), "
                                                 "formulas, or display text");
  CliContext::AddBookOptions(*command, options->book, false, false);
  auto* formulas = command->add_flag("--formulas", options->formulas, "formulas instead of their values");
  auto* text = command->add_flag("--text", options->text, "the text each cell displays");
  formulas->excludes(text);
  return {command, [&context, options] { return Dump(context, *options); }};
}

const CommandRegistrar kDumpCommandRegistrar(10, AddDumpCommand);

}  // namespace kestrel
