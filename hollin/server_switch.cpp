// ParseServerCommand: the switch of a local server's command line and its registration scope.
#include "server_switch.h"

#include <cwctype>
#include <string>
#include <vector>

namespace kestrel {
namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

std::vector<std::wstring_view> Words(std::wstring_view line) {
  const std::wstring_view blanks = L" \t";
  std::vector<std::wstring_view> words;
  for (size_t at = line.find_first_not_of(blanks); at != std::wstring_view::npos;
       at = line.find_first_not_of(blanks, at)) {
    size_t end = line.find_first_of(blanks, at);
    if (end == std::wstring_view::npos) end = line.size();
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

ServerSwitch SwitchOf(std::wstring_view word) {
  if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) return ServerSwitch::Unknown;
  word.remove_prefix(1);
  if (SameText(word, L"RegServer")) return ServerSwitch::RegServer;
  if (SameText(word, L"UnregServer")) return ServerSwitch::UnregServer;
  if (SameText(word, L"Embedding") || SameText(word, L"Automation")) return ServerSwitch::Embedding;
  return ServerSwitch::Unknown;
}

}  // namespace

ServerCommand ParseServerCommand(std::wstring_view commandLine) {
  const std::vector<std::wstring_view> words = Words(commandLine);
  if (words.empty()) return {};
  ServerCommand command{SwitchOf(words[0]), false};
  const bool registration =
      command.action == ServerSwitch::RegServer || command.action == ServerSwitch::UnregServer;
  if (words.size() == 1) return command;
  if (words.size() == 2 && registration) {
    if (SameText(words[1], L"machine")) {
      command.perMachine = true;
      return command;
    }
    if (SameText(words[1], L"user")) return command;
  }
  return {ServerSwitch::Unknown, false};
}

}  // namespace kestrel
