// GoWebPage: the fixed web pages and the user manual, opened through the shell.
#include "host/shell.h"

#include "util/web_links.h"

namespace kestrel {

void GoWebPage(std::string_view key, Shell& shell) {
  std::string folder = shell.ModuleFolder();
  std::string target = WebTarget(key, folder);
  if (!target.empty()) shell.Open(target, folder);
}

}  // namespace kestrel
