// Clipboard: the port to the system clipboard's text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The clipboard's text, or nothing when it holds no text. May throw HostError.
  virtual std::optional<std::string> GetText() = 0;
  virtual void Clear() = 0;
  virtual void SetText(std::string_view text) = 0;
};

}  // namespace kestrel
