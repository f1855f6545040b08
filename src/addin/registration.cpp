// Registration as data: class, ProgID, type library and the host's add-in key.
#include "addin/registration.h"

namespace kestrel {
namespace {

// The system's automation marshaler serves every dual interface of the type library.
constexpr std::string_view kAutomationMarshaler = "{00020424-0000-0000-C000-000000000046}";

std::string ClassesKey(std::string_view sub) { return "Software\\Classes\\" + std::string(sub); }

std::string FolderOf(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace

const std::vector<ComClass>& LibraryClasses() {
  static const std::vector<ComClass> classes = {
      {kConnectClsid, kConnectProgId, "Kestrel.Connect"},
  };
  return classes;
}

const std::vector<ComInterface>& LibraryInterfaces() {
  static const std::vector<ComInterface> interfaces = {
      {kConnectInterfaceId, "_Connect"},
  };
  return interfaces;
}

std::string_view RootName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::vector<RegistryValue> RegistrationValues(std::string_view modulePath, RegistrationScope scope) {
  const RegistryRoot classesRoot =
      scope == RegistrationScope::PerUser ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
  const std::string path(modulePath);
  std::vector<RegistryValue> values;
  auto text = [&](RegistryRoot root, std::string key, std::string name, std::string data) {
    values.push_back({root, std::move(key), std::move(name), RegistryType::String, std::move(data), 0});
  };

  for (const ComClass& c : LibraryClasses()) {
    const std::string clsidKey = ClassesKey("CLSID\\" + std::string(c.clsid));
    text(classesRoot, clsidKey, "", std::string(c.description));
    text(classesRoot, clsidKey + "\\InprocServer32", "", path);
    text(classesRoot, clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment");
    text(classesRoot, clsidKey + "\\ProgID", "", std::string(c.progId));
    text(classesRoot, clsidKey + "\\TypeLib", "", std::string(kTypeLibId));
    const std::string progIdKey = ClassesKey(std::string(c.progId));
    text(classesRoot, progIdKey, "", std::string(c.description));
    text(classesRoot, progIdKey + "\\CLSID", "", std::string(c.clsid));
  }

  const std::string typeLibKey = ClassesKey("TypeLib\\" + std::string(kTypeLibId) + "\\1.0");
  text(classesRoot, typeLibKey, "", "Kestrel");
  text(classesRoot, typeLibKey + "\\0\\" + (sizeof(void*) == 8 ? "win64" : "win32"), "", path);
  text(classesRoot, typeLibKey + "\\FLAGS", "", "0");
  text(classesRoot, typeLibKey + "\\HELPDIR", "", FolderOf(path));

  for (const ComInterface& i : LibraryInterfaces()) {
    const std::string key = ClassesKey("Interface\\" + std::string(i.iid));
    text(classesRoot, key, "", std::string(i.name));
    text(classesRoot, key + "\\ProxyStubClsid32", "", std::string(kAutomationMarshaler));
    text(classesRoot, key + "\\TypeLib", "", std::string(kTypeLibId));
    text(classesRoot, key + "\\TypeLib", "Version", "1.0");
  }

  const std::string addinKey(kExcelAddinKey);
  text(RegistryRoot::CurrentUser, addinKey, "FriendlyName", std::string(kAddinFriendlyName));
  text(RegistryRoot::CurrentUser, addinKey, "Description", std::string(kAddinDescription));
  values.push_back({RegistryRoot::CurrentUser, addinKey, "LoadBehavior", RegistryType::Dword, "", kAddinLoadBehavior});
  return values;
}

std::vector<RegistryKey> RegistrationKeys(RegistrationScope scope) {
  const RegistryRoot classesRoot =
      scope == RegistrationScope::PerUser ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
  std::vector<RegistryKey> keys;
  for (const ComClass& c : LibraryClasses()) {
    keys.push_back({classesRoot, ClassesKey("CLSID\\" + std::string(c.clsid))});
    keys.push_back({classesRoot, ClassesKey(std::string(c.progId))});
  }
  for (const ComInterface& i : LibraryInterfaces()) {
    keys.push_back({classesRoot, ClassesKey("Interface\\" + std::string(i.iid))});
  }
  keys.push_back({classesRoot, ClassesKey("TypeLib\\" + std::string(kTypeLibId))});
  keys.push_back({RegistryRoot::CurrentUser, std::string(kExcelAddinKey)});
  return keys;
}

}  // namespace kestrel
