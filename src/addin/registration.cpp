// Registration as data: class, ProgID, type library and the host's add-in key.
#include "addin/registration.h"

#include "util/unicode.h"

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
  using enum ThreadingModel;
  static const std::vector<ComClass> classes = {
      {"Connect", kConnectClsid, "_Connect", kConnectInterfaceId, "Kestrel.Connect"},
      {"ClsFunction", "{B3D499AA-E647-4FF2-AC4E-0445F152BECD}", "_ClsFunction",
       "{359ACB90-56EB-4EA9-8E59-BFF26C43A56A}", "Kestrel worksheet functions", Apartment, ServerKind::InProcess,
       true},
      {"FunCad", "{29844946-E551-4AB6-B574-A21BC94B4AAB}", "_FunCad", "{6E7BB11C-A340-4A7D-A4C0-4704825F3376}",
       "Kestrel CAD services"},
      {"Ini", "{451A8094-FD48-4DD1-8A38-51C489B93387}", "_Ini", "{DC6D39C2-4C3C-4308-B3B3-9F8E2020FC70}",
       "Kestrel INI file"},
      {"OpenSaveDlg", "{BC32A55C-5A9B-4966-ABE8-0FF12E657E3A}", "_OpenSaveDlg",
       "{85047170-7222-498D-8E5B-6DD4D8819642}", "Kestrel file and folder dialogs"},
      {"cSpeedString", "{26588427-8E20-462D-8F61-0BA2062C4DAC}", "_cSpeedString",
       "{E15CF093-8AE6-4C17-9D5F-18C165B9B04E}", "Kestrel string builder"},
  };
  return classes;
}

const ComClass* FindLibraryClass(std::string_view clsid) {
  const std::string wanted = AsciiLower(clsid);
  for (const ComClass& c : LibraryClasses()) {
    if (AsciiLower(c.clsid) == wanted) return &c;
  }
  return nullptr;
}

std::vector<ComInterface> LibraryInterfaces() {
  std::vector<ComInterface> interfaces;
  for (const ComClass& c : LibraryClasses()) interfaces.push_back({c.interfaceId, c.interfaceName});
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
    if (c.server != ServerKind::InProcess) continue;  // the local server registers its own
    const std::string clsidKey = ClassesKey("CLSID\\" + std::string(c.clsid));
    const std::string progId = c.ProgId();
    const std::string versionedProgId = c.VersionedProgId();
    text(classesRoot, clsidKey, "", std::string(c.description));
    text(classesRoot, clsidKey + "\\InprocServer32", "", path);
    text(classesRoot, clsidKey + "\\InprocServer32", "ThreadingModel",
         c.threading == ThreadingModel::Apartment ? "Apartment" : "Both");
    text(classesRoot, clsidKey + "\\ProgID", "", versionedProgId);
    text(classesRoot, clsidKey + "\\VersionIndependentProgID", "", progId);
    text(classesRoot, clsidKey + "\\TypeLib", "", std::string(kTypeLibId));
    text(classesRoot, clsidKey + "\\Version", "", "1.0");
    // An empty key: the host lists the class among its automation add-ins.
    if (c.automationAddin) text(classesRoot, clsidKey + "\\Programmable", "", "");
    text(classesRoot, ClassesKey(progId), "", std::string(c.description));
    text(classesRoot, ClassesKey(progId) + "\\CLSID", "", std::string(c.clsid));
    text(classesRoot, ClassesKey(progId) + "\\CurVer", "", versionedProgId);
    text(classesRoot, ClassesKey(versionedProgId), "", std::string(c.description));
    text(classesRoot, ClassesKey(versionedProgId) + "\\CLSID", "", std::string(c.clsid));
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
    if (c.server != ServerKind::InProcess) continue;
    keys.push_back({classesRoot, ClassesKey("CLSID\\" + std::string(c.clsid))});
    keys.push_back({classesRoot, ClassesKey(c.ProgId())});
    keys.push_back({classesRoot, ClassesKey(c.VersionedProgId())});
  }
  for (const ComInterface& i : LibraryInterfaces()) {
    keys.push_back({classesRoot, ClassesKey("Interface\\" + std::string(i.iid))});
  }
  keys.push_back({classesRoot, ClassesKey("TypeLib\\" + std::string(kTypeLibId))});
  keys.push_back({RegistryRoot::CurrentUser, std::string(kExcelAddinKey)});
  return keys;
}

}  // namespace kestrel
