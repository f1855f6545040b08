// The installers' components: every registration value of each file they carry, and their WiX source.
#include "registration/installer_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrel {
namespace {

const InstallerComponent& Component(const std::vector<InstallerComponent>& components, const std::string& id) {
  auto found = std::find_if(components.begin(), components.end(), [&](const auto& c) { return c.id == id; });
  if (found == components.end()) throw std::runtime_error("no component " + id);
  return *found;
}

const RegistryValue* Find(const std::vector<RegistryValue>& values, const std::string& key, const std::string& name) {
  for (const RegistryValue& v : values)
    if (v.key == key && v.name == name) return &v;
  return nullptr;
}

// What the registration writes for a library at [DIR]\Kestrel.dll, with the installer's folder
// property standing for the folder.
std::vector<RegistryValue> Expected(std::vector<RegistryValue> values, const std::string& folder) {
  for (RegistryValue& v : values) {
    for (size_t at; (at = v.text.find(folder + "\\")) != std::string::npos;) v.text.erase(at + folder.size(), 1);
  }
  return values;
}

TEST(InstallerRegistry, TheX64InstallerRegistersBothLibrariesAndHollinWithEveryRegistrationValue) {
  const auto components = InstallerComponents(InstallerArch::X64);
  ASSERT_EQ(components.size(), 4u);

  const InstallerComponent& x86 = Component(components, "KestrelX86");
  const InstallerComponent& x64 = Component(components, "KestrelX64");
  EXPECT_FALSE(x86.win64);
  EXPECT_TRUE(x64.win64);
  EXPECT_EQ(x86.values, Expected(RegistrationValues("[X86DIR]\\Kestrel.dll", RegistrationScope::PerUser,
                                                    LibraryBits::Bits32), "[X86DIR]"));
  EXPECT_EQ(x64.values, Expected(RegistrationValues("[X64DIR]\\Kestrel.dll", RegistrationScope::PerUser,
                                                    LibraryBits::Bits64), "[X64DIR]"));

  // Each bitness's classes are served by its own file, and its type library is its platform's.
  for (const ComClass& c : LibraryClasses()) {
    const std::string server = "Software\\Classes\\CLSID\\" + std::string(c.clsid) + "\\InprocServer32";
    EXPECT_EQ(Find(x86.values, server, "")->text, "[X86DIR]Kestrel.dll") << c.name;
    EXPECT_EQ(Find(x64.values, server, "")->text, "[X64DIR]Kestrel.dll") << c.name;
  }
  const std::string typeLib = "Software\\Classes\\TypeLib\\" + std::string(kTypeLibId) + "\\1.0\\0\\";
  EXPECT_EQ(Find(x86.values, typeLib + "win32", "")->text, "[X86DIR]Kestrel.dll");
  EXPECT_EQ(Find(x64.values, typeLib + "win64", "")->text, "[X64DIR]Kestrel.dll");
  EXPECT_EQ(Find(x86.values, "Software\\Classes\\TypeLib\\" + std::string(kTypeLibId) + "\\1.0\\HELPDIR", "")->text,
            "[X86DIR]");
  // Both bitnesses of Office find the add-in.
  for (const InstallerComponent* library : {&x86, &x64}) {
    EXPECT_EQ(Find(library->values, std::string(kExcelAddinKey), "Description")->text, kAddinDescription);
  }

  // Hollin: its program quoted, and its interfaces also in the 64-bit view, without a file.
  const InstallerComponent& hollin = Component(components, "Hollin");
  EXPECT_EQ(hollin.directory, "X86DIR");
  EXPECT_EQ(Find(hollin.values, "Software\\Classes\\CLSID\\" + std::string(kCls64Clsid) + "\\LocalServer32", "")->text,
            "\"[X86DIR]Hollin.exe\"");
  const InstallerComponent& interfaces = Component(components, "HollinInterfaces64");
  EXPECT_TRUE(interfaces.win64);
  EXPECT_TRUE(interfaces.fileName.empty());
  for (const ComClass& c : LocalServerClasses()) {
    EXPECT_NE(Find(interfaces.values, "Software\\Classes\\Interface\\" + std::string(c.interfaceId), ""), nullptr);
  }
}

TEST(InstallerRegistry, TheX86InstallerCarriesThe32BitFilesAlone) {
  const auto components = InstallerComponents(InstallerArch::X86);
  ASSERT_EQ(components.size(), 2u);
  for (const InstallerComponent& c : components) {
    EXPECT_FALSE(c.win64) << c.id;
    EXPECT_EQ(c.directory, "X86DIR") << c.id;
  }
  const InstallerWix wix = InstallerWixSource(InstallerArch::X86);
  EXPECT_EQ(wix.components.find("X64DIR"), std::string::npos);
  EXPECT_EQ(wix.references.find("KestrelX64"), std::string::npos);
}

TEST(InstallerRegistry, TheWixSourceNamesEveryValueOnceAndLeavesTheChineseTextToTheDatabaseUpdate) {
  const InstallerWix wix = InstallerWixSource(InstallerArch::X64);
  size_t values = 0;
  for (const InstallerComponent& c : InstallerComponents(InstallerArch::X64)) {
    values += c.values.size();
    EXPECT_NE(wix.references.find("<ComponentRef Id=\"" + c.id + "\"/>"), std::string::npos) << c.id;
  }
  size_t written = 0;
  for (size_t at = wix.components.find("<RegistryValue "); at != std::string::npos;
       at = wix.components.find("<RegistryValue ", at + 1))
    ++written;
  EXPECT_EQ(written, values);
  // Every value under the installing scope's root; the load behaviour as a number.
  EXPECT_EQ(wix.components.find("Root=\"HKCU\""), std::string::npos);
  EXPECT_NE(wix.components.find("Name=\"LoadBehavior\" Type=\"integer\" Value=\"3\""), std::string::npos);
  // The quoted server command is escaped for XML.
  EXPECT_NE(wix.components.find("Value=\"&quot;[X86DIR]Hollin.exe&quot;\""), std::string::npos);
  // No byte outside ASCII in the WiX source; the description reaches the MSI through an update of
  // the very rows that carry it.
  EXPECT_TRUE(std::all_of(wix.components.begin(), wix.components.end(),
                          [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  for (const char* id : {"Reg_KestrelX86_", "Reg_KestrelX64_"}) {
    const size_t update = wix.textUpdates.find(std::string("SET `Value` = '") + std::string(kAddinDescription) +
                                               "' WHERE `Registry` = '" + id);
    ASSERT_NE(update, std::string::npos) << id;
    const size_t idStart = wix.textUpdates.find(id, update);
    const std::string rowId = wix.textUpdates.substr(idStart, wix.textUpdates.find('\'', idStart) - idStart);
    const size_t row = wix.components.find("Id=\"" + rowId + "\"");
    ASSERT_NE(row, std::string::npos) << rowId;
    const std::string line = wix.components.substr(row, wix.components.find('\n', row) - row);
    EXPECT_NE(line.find("Name=\"Description\""), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace kestrel
