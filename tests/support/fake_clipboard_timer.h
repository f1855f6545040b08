// Test doubles of the clipboard and the timer: a clipboard in memory, a timer ticked by hand.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/clipboard.h"
#include "host/host_error.h"
#include "host/timer.h"

namespace kestrel {

class MemoryClipboard : public Clipboard {
 public:
  std::optional<std::string> GetText() override {
    if (busy) throw HostError("the clipboard is held by another program");
    return text;
  }
  void Clear() override { text.reset(); }
  void SetText(std::string_view t) override { text = std::string(t); }

  std::optional<std::string> text;
  bool busy = false;
};

class ManualTimer : public Timer {
 public:
  void Start(int ms, std::function<void()> callback) override {
    interval = ms;
    tick = std::move(callback);
  }
  void Stop() override { tick = nullptr; }
  bool Running() const override { return static_cast<bool>(tick); }
  // One interval passes.
  void Elapse() {
    if (tick) tick();
  }

  int interval = 0;
  std::function<void()> tick;
};

}  // namespace kestrel
