// RecordingShell: a Shell double that remembers what it was asked to open.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/shell.h"

namespace kestrel {

class RecordingShell : public Shell {
 public:
  explicit RecordingShell(std::string folder = "/opt/kestrel") : folder_(std::move(folder)) {}
  void Open(std::string_view target, std::string_view workingFolder) override {
    opened.emplace_back(std::string(target), std::string(workingFolder));
  }
  std::string ModuleFolder() override { return folder_; }

  std::vector<std::pair<std::string, std::string>> opened;  // target, working folder

 private:
  std::string folder_;
};

}  // namespace kestrel
