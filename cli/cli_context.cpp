// CliContext: opening and saving the workbook of a command, with the shared options.
#include "cli_context.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <iterator>

#include "io/workbook_file.h"
#include "workbook/formula_eval.h"
#include "io/xlsx_reader.h"
#include "io/xlsx_kept.h"
#include "util/text_file.h"
#include "util/unicode.h"
#include "file_checks.h"
#include "workbook_state.h"

namespace kestrel {

namespace {

// A fault drill for tests: KESTREL_FAIL_HOST_CALL=N makes the command's N-th call to the workbook
// fail as a refusing host would, to show that a failure anywhere leaves BOOK whole.
std::optional<long> FaultDrillCall() {
  const char* text = std::getenv("KESTREL_FAIL_HOST_CALL");
  if (text == nullptr) return std::nullopt;
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < 1) return std::nullopt;
  return n;
}

int VisibleSheets(MemoryWorkbook& book) {
  int count = 0;
  for (int i = 0; i < book.SheetCount(); ++i) count += book.Sheet(i).Hidden() ? 0 : 1;
  return count;
}

bool IsCsvFile(const std::string& path) { return AsciiLower(PathToUtf8(PathFromUtf8(path).extension())) == ".csv"; }

}  // namespace

CliContext::CliContext(std::istream& in, std::ostream& out, std::ostream& err, bool interactive,
                       std::string programFolder)
    : in_(in),
      out_(out),
      err_(err),
      interactive_(interactive),
      ui_(std::make_unique<CliUi>(AnswerPolicy::Ask, in, err, interactive)),
      shell_(err, std::move(programFolder)) {}

void CliContext::AddBookOptions(CLI::App& command, BookOptions& options, bool writes, bool asks) {
  command.add_option("BOOK", options.book, "the workbook (.xlsx, .xlsm or .csv)")->required();
  command.add_option("--sheet", options.sheet, "the sheet to work on (default: the active sheet)");
  if (writes) command.add_option("-o,--output", options.output, "where the workbook is written (default: over BOOK)");
  if (asks) {
    auto* yes = command.add_flag("--yes", options.yes, "answer Yes to every question");
    auto* no = command.add_flag("--no", options.no, "answer No to every question");
    yes->excludes(no);
  }
}

MemoryWorkbook& CliContext::OpenBook(const BookOptions& options) {
  // An -o that can never be written is refused before the command runs.
  if (!options.output.empty()) RequireWritableOutput("-o", options.output);
  const AnswerPolicy policy = options.yes ? AnswerPolicy::Yes : options.no ? AnswerPolicy::No : AnswerPolicy::Ask;
  ui_ = std::make_unique<CliUi>(policy, in_, err_, interactive_);
  Progress("reading " + options.book);
  std::vector<std::string> warnings;
  // Taken before the file is read: a save by another run from here on is noticed.
  const std::optional<FileStamp> stamp = StampOf(PathFromUtf8(options.book));
  const std::string onlySheet = !options.oneSheet ? "" : options.sheet.empty() ? kActiveSheet : options.sheet;
  UseBook(LoadWorkbook(options.book, &warnings, onlySheet));
  bookStamp_ = stamp;
  Progress("");
  bookPath_ = options.book;
  for (const std::string& warning : warnings) err_ << "kestrel: " << warning << "\n";
  // A state sheet that was not read is no state.
  if (std::string ignored = options.oneSheet ? "" : RestoreSessionState(*book_, session_);
      !ignored.empty())
    err_ << "kestrel: " << options.book << ": " << ignored << "\n";
  if (!options.sheet.empty()) {
    bool found = false;
    for (int i = 0; i < book_->SheetCount() && !found; ++i) {
      if (book_->Sheet(i).SheetName() == options.sheet) {
        book_->Activate(i);
        found = true;
      }
    }
    if (!found) throw CliError(options.book + ": no sheet named " + options.sheet);
  }
  return *book_;
}

MemoryWorkbook& CliContext::UseBook(std::unique_ptr<MemoryWorkbook> book) {
  book_ = std::move(book);
  host_ = std::make_unique<CountingApplication>(*book_);
  faultDrill_ = FaultDrillCall();
  if (faultDrill_) host_->Counter().FailOnCall(*faultDrill_);
  sheetsAtOpen_ = VisibleSheets(*book_);
  session_.HostApplication = host_.get();
  openedRevision_ = book_->Revision();
  return *book_;
}

CommandContext CliContext::Command() {
  if (!host_) throw CliError("no workbook is open");
  return {*host_, {*ui_, shell_, dialogs_}};
}

void CliContext::SaveBook(const BookOptions& options) {
  StoreSessionState(Book(), session_);
  const std::string& target = options.output.empty() ? options.book : options.output;
  if (IsCsvFile(target) && VisibleSheets(Book()) > sheetsAtOpen_)
    throw CliError(target + ": the command added a sheet, which a .csv file cannot hold; name an .xlsx with -o");
  if (!IsCsvFile(target))
    for (const std::string& line : UnkeptOnSave(Book())) err_ << "kestrel: " << target << ": " << line << "\n";
  // As Excel saves a macro-enabled workbook as .xlsx: without its macros, and says so.
  if (!IsCsvFile(target) && !IsMacroWorkbookFile(target) && HoldsMacros(Book()))
    err_ << "kestrel: " << target << ": the workbook's macros (VBA project) are not kept in a .xlsx; name an .xlsm to keep them\n";
  // The file holds each formula's result as well: brought up to date before it is written.
  RecalculateWorkbook(Book());
  Progress("writing " + target);
  // Over the file read: only while no other run has saved it since.
  const bool overBook = !bookPath_.empty() && SameFile(target, bookPath_);
  SaveWorkbook(Book(), target, overBook && bookStamp_ ? bookStamp_ : std::nullopt);
  Progress("");
}

void CliContext::Progress(const std::string& what) {
  if (!progressShown_ && what.empty()) return;
  // One status line, rewritten in place; only on a terminal, never into a redirected stream.
  if (isatty(STDERR_FILENO) != 1) return;
  err_ << "\r\x1b[K" << (what.empty() ? "" : what + " ...") << std::flush;
  progressShown_ = !what.empty();
}

// Under the address sanitizer the workbook is taken apart as usual: its leak checker cannot follow
// a value's text (the pointer is tagged inside the value) and would report every text as lost.
#if defined(__SANITIZE_ADDRESS__)
#define KESTREL_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTREL_LEAK_CHECKED 1
#endif
#endif

#ifndef KESTREL_LEAK_CHECKED
namespace {
// The workbook let go at the end, never freed.
MemoryWorkbook* leftAtExit = nullptr;
}  // namespace
#endif

void CliContext::LeaveBookToExit() {
#ifndef KESTREL_LEAK_CHECKED
  session_.HostApplication = nullptr;
  host_.reset();
  leftAtExit = book_.release();
#endif
}

bool CliContext::BookChanged() const { return book_ && book_->Revision() != openedRevision_; }

int CliContext::Finish(CommandOutcome outcome, const BookOptions& options) {
  if (faultDrill_ && host_ && host_->Counter().TotalCalls() < *faultDrill_) {
    err_ << "kestrel: fault drill: the command made " << host_->Counter().TotalCalls() << " calls\n";
  }
  const bool completed = outcome == CommandOutcome::Completed;
  // A command that stopped part-way never writes over BOOK; its state at the stop goes only to an
  // -o naming another file. A command that ended where it is meant to after a step the user
  // approved keeps that step, with the exit status of a stop.
  const bool approved = outcome == CommandOutcome::EndedAfterApprovedStep;
  const bool keep =
      completed || approved || (!options.output.empty() && !SameFile(options.output, options.book));
  if (!keep && BookChanged()) {
    // Said even when the command itself said nothing on the way out.
    err_ << "kestrel: " << options.book << ": the command stopped part-way; nothing was written"
         << " (-o FILE keeps what it changed)\n";
  }
  if (keep && BookChanged()) {
    SaveBook(options);
    err_ << "wrote " << (options.output.empty() ? options.book : options.output) << "\n";
  }
  return completed ? kExitDone : kExitStopped;
}

MemoryWorkbook& CliContext::Book() {
  if (!book_) throw CliError("no workbook is open");
  return *book_;
}

}  // namespace kestrel
