// msi_registry x86|x64 FOLDER: writes the MSI's components (components.wxi, references.wxi) and
// the SQL for its non-ASCII registry texts (texts.sql) with the database's code page
// (_ForceCodepage.idt) into FOLDER, from the core's registration data.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "registration/installer_registry.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  const std::string arch = argc == 3 ? argv[1] : "";
  if (arch != "x86" && arch != "x64") {
    std::fprintf(stderr, "usage: msi_registry x86|x64 FOLDER\n");
    return 2;
  }
  try {
    const InstallerWix wix = InstallerWixSource(arch == "x64" ? InstallerArch::X64 : InstallerArch::X86);
    const std::string folder = argv[2];
    // msibuild imports the database's code page as this table.
    const std::string codePage = "\r\n\r\n" + std::to_string(kInstallerCodePage) + "\t_ForceCodepage\r\n";
    for (const auto& [name, text] : {std::pair<const char*, const std::string&>{"components.wxi", wix.components},
                                     {"references.wxi", wix.references},
                                     {"texts.sql", wix.textUpdates},
                                     {"_ForceCodepage.idt", codePage}}) {
      if (!WriteWhole(folder + "/" + name, text)) {
        std::fprintf(stderr, "msi_registry: cannot write %s/%s\n", folder.c_str(), name);
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "msi_registry: %s\n", e.what());
    return 1;
  }
  return 0;
}
