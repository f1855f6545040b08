// CliUi: the user's side of a command, on a terminal or in a script.
#include "cli_ui.h"

#include <istream>
#include <ostream>

#include "util/unicode.h"

namespace kestrel {

MessageAnswer CliUi::MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                MessageIcon /*icon*/) {
  err_ << "[" << title << "] " << text << "\n";
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  MessageAnswer answer = AskYesNo();
  err_ << (answer == MessageAnswer::Yes ? "  -> yes\n" : "  -> no\n");
  return answer;
}

MessageAnswer CliUi::AskYesNo() {
  if (policy_ == AnswerPolicy::Yes) return MessageAnswer::Yes;
  if (policy_ == AnswerPolicy::No || !interactive_) return MessageAnswer::No;
  err_ << "  yes or no? [y/N] " << std::flush;
  std::string line;
  if (!std::getline(in_, line)) return MessageAnswer::No;
  std::string answer = AsciiLower(line);
  return (answer == "y" || answer == "yes") ? MessageAnswer::Yes : MessageAnswer::No;
}

std::optional<std::string> CliUi::GetOpenFilename(std::string_view, std::string_view) {
  if (openFiles_.empty()) return std::nullopt;
  std::string path = openFiles_.front();
  openFiles_.pop_front();
  return path;
}

std::optional<std::string> CliUi::GetSaveAsFilename(std::string_view, std::string_view, std::string_view) {
  if (saveFiles_.empty()) return std::nullopt;
  std::string path = saveFiles_.front();
  saveFiles_.pop_front();
  return path;
}

}  // namespace kestrel
