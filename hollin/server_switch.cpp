// ParseServerSwitch: the one switch of a local server's command line.
#include "server_switch.h"

#include <cwctype>
#include <string>

namespace kestrel {
namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

}  // namespace

ServerSwitch ParseServerSwitch(std::wstring_view commandLine) {
  const std::wstring_view blanks = L" \t";
  size_t first = commandLine.find_first_not_of(blanks);
  if (first == std::wstring_view::npos) return ServerSwitch::None;
  size_t last = commandLine.find_last_not_of(blanks);
  std::wstring_view word = commandLine.substr(first, last - first + 1);
  if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) return ServerSwitch::Unknown;
  word.remove_prefix(1);
  if (SameText(word, L"RegServer")) return ServerSwitch::RegServer;
  if (SameText(word, L"UnregServer")) return ServerSwitch::UnregServer;
  if (SameText(word, L"Embedding") || SameText(word, L"Automation")) return ServerSwitch::Embedding;
  return ServerSwitch::Unknown;
}

}  // namespace kestrel
