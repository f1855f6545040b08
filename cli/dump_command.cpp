// kestrel dump: a sheet as CSV on standard output (values, formulas or display text).
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "commands.h"
#include "io/csv.h"

namespace kestrel {
namespace {

enum class DumpMode { Values, Formulas, Text };

struct DumpOptions {
  BookOptions book;
  bool formulas = false;
  bool text = false;
};

int Dump(CliContext& context, DumpOptions options) {
  options.book.oneSheet = true;
  MemoryWorkbook& book = context.OpenBook(options.book);
  MemoryWorksheet& sheet = book.Active();
  const DumpMode mode = options.formulas ? DumpMode::Formulas : options.text ? DumpMode::Text : DumpMode::Values;
  // Rows and columns count from A1 so that a cell's place in the output is its place on the sheet.
  WriteSheetRecords(
      sheet,
      [&](const CellView& c) -> std::string {
        switch (mode) {
          case DumpMode::Values: return CsvFieldText(*c.value);
          case DumpMode::Formulas: return sheet.Formula(c.at);
          case DumpMode::Text: return sheet.Text(c.at);
        }
        return "";
      },
      context.Out());
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
