// ScriptedUi: queued answers for message boxes and file prompts.
#include "host_doubles/scripted_ui.h"

namespace kestrel {

namespace {

std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
  if (queue.empty()) return std::nullopt;
  auto front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

MessageAnswer ScriptedUi::MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                     MessageIcon icon) {
  messages_.push_back({std::string(text), std::string(title), buttons, icon});
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (answers_.empty()) return MessageAnswer::No;
  MessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedUi::GetOpenFilename(std::string_view filter, std::string_view title) {
  prompts_.push_back({PromptKind::Open, std::string(filter), std::string(title), ""});
  return Next(openFiles_);
}

std::optional<std::string> ScriptedUi::GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                                         std::string_view title) {
  prompts_.push_back({PromptKind::SaveAs, std::string(filter), std::string(title), std::string(initialName)});
  return Next(saveFiles_);
}

}  // namespace kestrel
