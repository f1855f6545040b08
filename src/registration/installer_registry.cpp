// The installers' components and their WiX source, from the class table and the registration data.
#include "registration/installer_registry.h"

#include <stdexcept>
#include <utility>

namespace kestrel {
namespace {

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// A folder property of the installer ("[X64DIR]") ends in a backslash: the registration's
// "[X64DIR]\Kestrel.dll" becomes "[X64DIR]Kestrel.dll".
std::string WithoutSeparatorAfterFolder(std::string text) {
  for (size_t at = text.find("]\\"); at != std::string::npos; at = text.find("]\\", at + 1)) text.erase(at + 1, 1);
  return text;
}

std::vector<RegistryValue> InstallerValues(std::vector<RegistryValue> values, RegistryView view) {
  std::vector<RegistryValue> kept;
  for (RegistryValue& v : values) {
    if (v.view != view) continue;
    v.text = WithoutSeparatorAfterFolder(std::move(v.text));
    kept.push_back(std::move(v));
  }
  return kept;
}

InstallerComponent Library(LibraryBits bits) {
  const bool x64 = bits == LibraryBits::Bits64;
  InstallerComponent c;
  c.id = x64 ? "KestrelX64" : "KestrelX86";
  c.guid = x64 ? "{6F1A2C0E-3B7D-4E55-9A43-2D8C41B7E960}" : "{0D3E8B52-7C19-4A6F-B1E4-95A2C7D3F018}";
  c.directory = x64 ? "X64DIR" : "X86DIR";
  c.win64 = x64;
  c.fileName = "Kestrel.dll";
  c.source = c.id;
  c.values = InstallerValues(RegistrationValues("[" + c.directory + "]\\Kestrel.dll", RegistrationScope::PerUser, bits),
                             RegistryView::Running);
  return c;
}

}  // namespace

std::vector<InstallerComponent> InstallerComponents(InstallerArch arch) {
  std::vector<InstallerComponent> components;
  components.push_back(Library(LibraryBits::Bits32));

  // Hollin.exe is 32-bit on both; on 64-bit Windows its interfaces are also written to the 64-bit
  // view, where 64-bit clients marshal them (on 32-bit Windows there is one view, the running one).
  const std::vector<RegistryValue> hollin =
      LocalServerRegistrationValues("[X86DIR]\\Hollin.exe", RegistrationScope::PerUser);
  InstallerComponent server;
  server.id = "Hollin";
  server.guid = "{A4C7E913-58B2-4D06-8F3A-6E1B0D92C5A7}";
  server.directory = "X86DIR";
  server.fileName = "Hollin.exe";
  server.source = "Hollin";
  server.values = InstallerValues(hollin, RegistryView::Running);
  components.push_back(std::move(server));

  if (arch == InstallerArch::X64) {
    components.push_back(Library(LibraryBits::Bits64));
    InstallerComponent interfaces;
    interfaces.id = "HollinInterfaces64";
    interfaces.guid = "{3B95D0F6-1E2A-4C87-A7D4-0C6F52E8B391}";
    interfaces.directory = "X64DIR";
    interfaces.win64 = true;
    interfaces.values = InstallerValues(hollin, RegistryView::Bits64);
    components.push_back(std::move(interfaces));
  }
  return components;
}

namespace {

std::string XmlAttribute(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string SqlText(std::string_view text) {
  if (text.find('\'') != std::string_view::npos) {
    throw std::invalid_argument("a registry text with a quote cannot go into the installer: " + std::string(text));
  }
  return "'" + std::string(text) + "'";
}

void WriteValue(const RegistryValue& v, const std::string& id, bool keyPath, InstallerWix& wix) {
  if (!IsAscii(v.key) || !IsAscii(v.name)) {
    throw std::invalid_argument("a registry key or value name outside ASCII cannot go into the installer: " + v.key);
  }
  std::string& out = wix.components;
  out += "      <RegistryValue Id=\"" + id + "\" Root=\"HKMU\" Key=\"" + XmlAttribute(v.key) + "\"";
  if (!v.name.empty()) out += " Name=\"" + XmlAttribute(v.name) + "\"";
  if (v.type == RegistryType::Dword) {
    out += " Type=\"integer\" Value=\"" + std::to_string(v.dword) + "\"";
  } else if (IsAscii(v.text)) {
    out += " Type=\"string\" Value=\"" + XmlAttribute(v.text) + "\"";
  } else {
    out += " Type=\"string\" Value=\"-\"";
    wix.textUpdates += "UPDATE `Registry` SET `Value` = " + SqlText(v.text) + " WHERE `Registry` = '" + id + "'\n";
  }
  if (keyPath) out += " KeyPath=\"yes\"";
  out += "/>\n";
}

}  // namespace

InstallerWix InstallerWixSource(InstallerArch arch) {
  InstallerWix wix;
  const char* header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<!-- Made at build time from the class table and the registration data. -->\n"
                       "<Include>\n";
  wix.components = header;
  wix.references = header;
  const std::vector<InstallerComponent> components = InstallerComponents(arch);
  for (const char* folder : {"X86DIR", "X64DIR"}) {
    bool opened = false;
    for (const InstallerComponent& c : components) {
      if (c.directory != folder) continue;
      if (!opened) {
        wix.components += std::string("  <Directory Id=\"") + folder + "\" Name=\"" +
                          (c.directory == "X64DIR" ? "x64" : "x86") + "\">\n";
        opened = true;
      }
      wix.components += "    <Component Id=\"" + c.id + "\" Guid=\"" + c.guid + "\"" + (c.win64 ? " Win64=\"yes\"" : "") + ">\n";
      if (!c.fileName.empty()) {
        wix.components += "      <File Id=\"" + c.id + "File\" Name=\"" + c.fileName + "\" Source=\"$(var." + c.source +
                          ")\" KeyPath=\"yes\"/>\n";
      }
      for (size_t i = 0; i < c.values.size(); ++i) {
        WriteValue(c.values[i], "Reg_" + c.id + "_" + std::to_string(i + 1), c.fileName.empty() && i == 0, wix);
      }
      wix.components += "    </Component>\n";
      wix.references += "  <ComponentRef Id=\"" + c.id + "\"/>\n";
    }
    if (opened) wix.components += "  </Directory>\n";
  }
  wix.components += "</Include>\n";
  wix.references += "</Include>\n";
  return wix;
}

}  // namespace kestrel
