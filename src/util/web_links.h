// GoWebPage: opens the fixed web pages and the user manual by key.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

class Shell;

// The maker's site root (set at build time); the pages are paths under it.
std::string_view SiteRoot();

// The target of a key (compared in lower case): "corvane", "index", "cadweb", "qqgroup", "help";
// "" for a key outside the table. "help" is the manual beside the library.
std::string WebTarget(std::string_view key, std::string_view moduleFolder);

// Asks the shell to open the key's target with the "Open" verb; a key outside the table does
// nothing. Nothing is reported.
void GoWebPage(std::string_view key, Shell& shell);

}  // namespace kestrel
