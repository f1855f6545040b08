// Ui: the port for what the user answers: message boxes and the host's file prompts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information };
enum class MessageAnswer { Ok, Yes, No };

class Ui {
 public:
  virtual ~Ui() = default;
  virtual MessageAnswer MessageBox(std::string_view text, std::string_view title, MessageButtons buttons,
                                   MessageIcon icon) = 0;
  // The host's GetOpenFilename: the chosen path, or nothing when the user cancelled (the host's
  // value False). filter: "KestrelDicFiles (*.Dic), *.Dic,All files (*.*),*.*".
  virtual std::optional<std::string> GetOpenFilename(std::string_view filter, std::string_view title) = 0;
  // The host's GetSaveAsFilename, likewise.
  virtual std::optional<std::string> GetSaveAsFilename(std::string_view initialName, std::string_view filter,
                                                       std::string_view title) = 0;
};

}  // namespace kestrel
