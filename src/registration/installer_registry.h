// The installers' files and registry as data: which component installs which file and writes which
// value, computed from the class table and the registration data (nothing registers itself).
#pragma once

#include <string>
#include <vector>

#include "registration/registration.h"

namespace kestrel {

// The MSI for 32-bit Windows (the 32-bit library and Hollin), or the one for 64-bit Windows, which
// carries both libraries so that 32-bit and 64-bit Office both find theirs.
enum class InstallerArch { X86, X64 };

// One component of the MSI: a file (its key path) with the values that register it, or, with no
// file, values alone (the 64-bit view's copies of Hollin's interfaces).
struct InstallerComponent {
  std::string id;         // "KestrelX64"
  std::string guid;       // fixed for the life of the product, so that upgrades match them
  std::string directory;  // "X86DIR" or "X64DIR", the folders below the installation folder
  bool win64 = false;     // writes the 64-bit registry view (and installs a 64-bit file)
  std::string fileName;   // "Kestrel.dll"; "" for a component of values alone
  std::string source;     // the WiX variable naming the file to take: "KestrelX64"
  // Values as the registration writes them for the current user; the installer writes them under
  // HKEY_CURRENT_USER per user and HKEY_LOCAL_MACHINE per machine. A file's path is written as
  // "[X64DIR]Kestrel.dll": the installer puts the folder it chose in its place.
  std::vector<RegistryValue> values;
};

//   InstallerComponents(InstallerArch::X64)
//     -> KestrelX86 (x86\Kestrel.dll), Hollin (x86\Hollin.exe), KestrelX64 (x64\Kestrel.dll, 64-bit
//        view), HollinInterfaces64 (Hollin's interfaces in the 64-bit view)
std::vector<InstallerComponent> InstallerComponents(InstallerArch arch);

// The WiX source of the components, for the MSI made by msitools' wixl.
struct InstallerWix {
  std::string components;  // <Include> of the folders and their components, inside INSTALLDIR
  std::string references;  // <Include> of the feature's ComponentRefs
  // SQL that puts the values with non-ASCII text into the built MSI's Registry table (wixl cannot
  // store them; msibuild can, once the database's code page is set): one statement a line.
  std::string textUpdates;
};
InstallerWix InstallerWixSource(InstallerArch arch);

// The code page of the MSI's database: Chinese text in the registry values (GBK, which Windows
// Installer reads on every system).
inline constexpr int kInstallerCodePage = 936;

}  // namespace kestrel
