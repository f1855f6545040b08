// CliUi: message boxes on stderr, Yes/No from --yes/--no or the terminal, file prompts from options.
#pragma once

#include <deque>
#include <iosfwd>
#include <optional>
#include <string>

#include "host/ui.h"

namespace kestrel {

enum class AnswerPolicy { Ask, Yes, No };

// Every message box prints its title and text on the error stream. A Yes/No question takes the
// policy's answer; with Ask it asks on the terminal when standard input is one, else answers No.
// File prompts are answered from the paths the command line gave (queued before the command
// runs); a prompt with nothing queued counts as cancelled.
class CliUi : public Ui {
 public:
  CliUi(AnswerPolicy policy, std::istream& in, std::ostream& err, bool interactive)
      : policy_(policy), in_(in), err_(err), interactive_(interactive) {}

  void QueueOpenFile(std::string path) { openFiles_.push_back(std::move(path)); }
  void QueueSaveFile(std::string path) { saveFiles_.push_back(std::move(path)); }

  MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                           MessageIcon icon) override;
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) override;
  std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                               std::string_view title) override;

 private:
  MessageAnswer AskYesNo();

  AnswerPolicy policy_;
  std::istream& in_;
  std::ostream& err_;
  bool interactive_;
  std::deque<std::string> openFiles_;
  std::deque<std::string> saveFiles_;
};

}  // namespace kestrel
