// CommaLocale: switches the process to a locale whose decimal separator is a comma, for a scope.
#pragma once

#include <clocale>
#include <locale>
#include <string>

namespace kestrel {

// Both the C and the C++ global locale, restored afterwards. Active() is false when the system
// has no such locale (the test then has nothing to show).
class CommaLocale {
 public:
  CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)), savedCpp_(std::locale()) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "de-DE"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        const std::lconv* conv = std::localeconv();
        if (conv && conv->decimal_point && std::string(conv->decimal_point) == ",") {
          active_ = true;
          try {
            std::locale::global(std::locale(name));
          } catch (const std::exception&) {
            // The C locale alone still shows whether anything reads it.
          }
          return;
        }
      }
    }
    std::setlocale(LC_ALL, saved_.c_str());
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, saved_.c_str());
    std::locale::global(savedCpp_);
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;
  bool Active() const { return active_; }

 private:
  std::string saved_;
  std::locale savedCpp_;
  bool active_ = false;
};

}  // namespace kestrel
