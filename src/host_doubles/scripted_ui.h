// ScriptedUi: the Ui port answered from queues, recording everything shown, for tests.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/ui.h"

namespace kestrel {

struct ShownMessage {
  std::string text;
  std::string title;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
};

enum class PromptKind { Open, SaveAs };

struct ShownPrompt {
  PromptKind kind = PromptKind::Open;
  std::string filter;
  std::string title;
  std::string initialName;  // empty for an open prompt
};

// Yes/No boxes take the next queued answer (No when the queue is empty); an OK box always
// answers Ok and leaves the queue alone, so that a notice between two questions cannot eat an
// answer meant for a question. Each file prompt takes the next entry of its own queue: a path,
// or nothing for a cancelled prompt (also when the queue is empty).
//
//   ScriptedUi ui;
//   ui.QueueAnswer(MessageAnswer::Yes);
//   ui.QueueOpenFile("C:\\data\\road.Dic");
class ScriptedUi : public Ui {
 public:
  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  void QueueOpenFile(std::optional<std::string> path) { openFiles_.push_back(std::move(path)); }
  void QueueSaveFile(std::optional<std::string> path) { saveFiles_.push_back(std::move(path)); }

  const std::vector<ShownMessage>& Messages() const { return messages_; }
  const std::vector<ShownPrompt>& Prompts() const { return prompts_; }
  // Queued entries nobody asked for.
  size_t PendingAnswers() const { return answers_.size(); }
  size_t PendingFiles() const { return openFiles_.size() + saveFiles_.size(); }

  MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                           MessageIcon icon) override;
  std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) override;
  std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                               std::string_view title) override;

 private:
  std::deque<MessageAnswer> answers_;
  std::deque<std::optional<std::string>> openFiles_;
  std::deque<std::optional<std::string>> saveFiles_;
  std::vector<ShownMessage> messages_;
  std::vector<ShownPrompt> prompts_;
};

}  // namespace kestrel
