// Shell: the port to the operating system's shell ("Open" verb) and the library's own folder.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a URL or a file with the shell's "Open" verb; the result is not reported.
  virtual void Open(std::string_view target, std::string_view workingFolder) = 0;
  // The folder of the add-in library (or of the program), without a trailing separator.
  virtual std::string ModuleFolder() = 0;
  // The folder a worksheet function takes a file name without a folder from: the add-in's own
  // folder in the spreadsheet; a command-line tool overrides it with its current directory.
  virtual std::string FunctionFileFolder() { return ModuleFolder(); }
};

// Asks the shell to open a key's target (WebTarget in util/web_links.h) with the "Open" verb; a
// key outside the table does nothing. Nothing is reported.
//   GoWebPage("help", shell);   // opens <module folder>/使用说明书.pdf
void GoWebPage(std::string_view key, Shell& shell);

}  // namespace kestrel
