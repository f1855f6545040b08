// CliContext: one invocation of the tool: its session, user interface, shell and open workbook.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "host/command_context.h"
#include "host_doubles/counting_host.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "addin/session.h"
#include "util/atomic_output.h"
#include "cli_shell.h"
#include "cli_ui.h"

namespace CLI {
class App;
}

namespace kestrel {

// Exit statuses: the command ran to its end; it stopped at a message, a refused entry or a No;
// a usage or file error.
enum ExitStatus { kExitDone = 0, kExitStopped = 1, kExitError = 2 };

// A usage or file error, reported as one plain line and exit status 2.
class CliError : public std::runtime_error {
 public:
  explicit CliError(const std::string& what) : std::runtime_error(what) {}
};

// The options every workbook command shares.
struct BookOptions {
  std::string book;    // the workbook file
  std::string sheet;   // --sheet: the sheet to work on (default: the active sheet)
  std::string output;  // -o: where to write (default: over the input)
  bool yes = false;    // --yes / --no: the answer to every Yes/No question
  bool no = false;
  bool oneSheet = false;  // the command reads only the sheet it works on and saves nothing
};

class CliContext {
 public:
  CliContext(std::istream& in, std::ostream& out, std::ostream& err, bool interactive, std::string programFolder);

  std::ostream& Out() { return out_; }
  std::ostream& Err() { return err_; }
  Session& GetSession() { return session_; }
  CliUi& Ui() { return *ui_; }
  CliShell& Shell() { return shell_; }
  // The dialogs of a command: the options are typed into them and OK is pressed.
  ScriptedDialogs& Dialogs() { return dialogs_; }
  // What a core command works with, on the open workbook (OpenBook or UseBook first).
  CommandContext Command();
  // Whether the open workbook changed since it was opened (its revision moved).
  bool BookChanged() const;
  // The exit status of a command's outcome; saves the workbook when the command changed it. A
  // command that stopped part-way leaves BOOK as it was: what it changed is written only to an -o
  // that names another file.
  int Finish(CommandOutcome outcome, const BookOptions& options);

  // Adds BOOK, --sheet, and where asked -o and --yes/--no to a command.
  static void AddBookOptions(CLI::App& command, BookOptions& options, bool writes, bool asks);

  // Loads the workbook and makes the chosen sheet active; the answer policy follows --yes/--no.
  MemoryWorkbook& OpenBook(const BookOptions& options);
  // Makes a workbook built in memory the open one (the demo's).
  MemoryWorkbook& UseBook(std::unique_ptr<MemoryWorkbook> book);
  // Writes the workbook to -o, or over the input. A command that added a sheet cannot write a
  // .csv file, which holds one: CliError, and nothing is written.
  void SaveBook(const BookOptions& options);
  MemoryWorkbook& Book();
  // The workbook file of the command, for messages; empty before one is opened.
  const std::string& BookPath() const { return bookPath_; }
  // Shows what the tool is doing on a terminal's status line; "" clears it.
  void Progress(const std::string& what);
  // For the end of the process: the open workbook is let go without being taken apart, so that
  // its memory goes back to the system at once instead of cell by cell (a fifth of a second over
  // a million points). Nothing of it is used afterwards.
  void LeaveBookToExit();

 private:
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  bool interactive_;
  Session session_;
  std::unique_ptr<CliUi> ui_;
  CliShell shell_;
  std::unique_ptr<MemoryWorkbook> book_;
  std::unique_ptr<CountingApplication> host_;  // the workbook as commands see it, counted
  std::optional<long> faultDrill_;  // KESTREL_FAIL_HOST_CALL: the call that fails, for tests
  std::uint64_t openedRevision_ = 0;  // the workbook's revision when it was opened
  ScriptedDialogs dialogs_;
  bool progressShown_ = false;
  std::string bookPath_;
  int sheetsAtOpen_ = 0;  // visible sheets of the workbook as opened
  std::optional<FileStamp> bookStamp_;  // the workbook file as it was when read
};

}  // namespace kestrel
