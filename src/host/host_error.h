// HostError: what a failing call into the spreadsheet host throws.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrel {

// Thrown by any port call that the host refuses (a bad address, a failed COM call, an
// injected fault). Each command catches it exactly where its behaviour says its routine ends.
class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace kestrel
