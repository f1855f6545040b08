// The fixed web pages and the user manual, by key (GoWebPage in host/shell.h opens them).
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The maker's site root (set at build time); the pages are paths under it.
std::string_view SiteRoot();

// The target of a key (compared in lower case): "corvane", "index", "cadweb", "qqgroup", "help";
// "" for a key outside the table. "help" is the manual beside the library.
std::string WebTarget(std::string_view key, std::string_view moduleFolder);

}  // namespace kestrel
