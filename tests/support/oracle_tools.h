// The external tools tests compare against: found on PATH; a missing one skips the test with its
// reason, or fails it when KESTREL_REQUIRE_ORACLES=1 (as CI sets).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel::testing {

// Whether a missing oracle is a failure rather than a reason to skip.
inline bool OraclesRequired() {
  const char* value = std::getenv("KESTREL_REQUIRE_ORACLES");
  return value != nullptr && std::string_view(value) == "1";
}

// The full path of the executable `tool` in a folder of PATH, or nothing.
inline std::optional<std::string> FindOnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "";
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    if (!folder.empty()) {
      const std::filesystem::path candidate = std::filesystem::path(folder) / tool;
      std::error_code error;
      if (std::filesystem::is_regular_file(candidate, error) &&
          (std::filesystem::status(candidate, error).permissions() & std::filesystem::perms::others_exec) !=
              std::filesystem::perms::none)
        return candidate.string();
    }
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

}  // namespace kestrel::testing

// Ends the current test unless `tool` is on PATH: a failure when oracles are required, a skip
// with the reason otherwise. `why` names what is missing for the reader ("LibreOffice").
#define KESTREL_NEED_ORACLE(tool, why)                                                                   \
  do {                                                                                                   \
    if (!::kestrel::testing::FindOnPath(tool)) {                                                         \
      if (::kestrel::testing::OraclesRequired())                                                         \
        FAIL() << (why) << " (" << (tool) << ") is not on PATH, and KESTREL_REQUIRE_ORACLES=1 requires it"; \
      GTEST_SKIP() << (why) << " (" << (tool) << ") is not on PATH; scripts/setup installs it";           \
    }                                                                                                    \
  } while (false)
