// MemoryClipboard: the Clipboard port held in memory, with a fault switch for the error paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/clipboard.h"
#include "host/host_error.h"

namespace kestrel {

// Holds what was last put on it. With Refuse(true) every call throws HostError, as when another
// program keeps the clipboard open.
//   MemoryClipboard clipboard;
//   clipboard.SetText("PLINE 0,0 10,0");  clipboard.GetText() == "PLINE 0,0 10,0"
class MemoryClipboard : public Clipboard {
 public:
  std::optional<std::string> GetText() override {
    Check();
    return text_;
  }
  void Clear() override {
    Check();
    text_.reset();
  }
  void SetText(std::string_view text) override {
    Check();
    text_ = std::string(text);
  }
  void Refuse(bool refuse) { refuse_ = refuse; }

 private:
  void Check() const {
    if (refuse_) throw HostError("the clipboard cannot be opened");
  }
  std::optional<std::string> text_;
  bool refuse_ = false;
};

}  // namespace kestrel
