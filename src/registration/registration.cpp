// Registration as data: class, ProgID, type library and the host's add-in key.
#include "registration/registration.h"

#include <utility>

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

const std::vector<ComClass>& ComClasses() {
  using enum ThreadingModel;
  static const std::vector<ComClass> classes = {
      {"Connect", ComFactoryId::Connect, kConnectClsid, "_Connect", kConnectInterfaceId, "Kestrel.Connect"},
      {"ClsFunction", ComFactoryId::ClsFunction, "{B3D499AA-E647-4FF2-AC4E-0445F152BECD}", "_ClsFunction",
       "{359ACB90-56EB-4EA9-8E59-BFF26C43A56A}", "Kestrel worksheet functions", Apartment, ServerKind::InProcess,
       true},
      {"FunCad", ComFactoryId::FunCad, "{29844946-E551-4AB6-B574-A21BC94B4AAB}", "_FunCad", "{6E7BB11C-A340-4A7D-A4C0-4704825F3376}",
       "Kestrel CAD services"},
      {"Ini", ComFactoryId::Ini, "{451A8094-FD48-4DD1-8A38-51C489B93387}", "_Ini", "{DC6D39C2-4C3C-4308-B3B3-9F8E2020FC70}",
       "Kestrel INI file"},
      {"OpenSaveDlg", ComFactoryId::OpenSaveDlg, "{BC32A55C-5A9B-4966-ABE8-0FF12E657E3A}", "_OpenSaveDlg",
       "{85047170-7222-498D-8E5B-6DD4D8819642}", "Kestrel file and folder dialogs"},
      {"cSpeedString", ComFactoryId::SpeedString, "{26588427-8E20-462D-8F61-0BA2062C4DAC}", "_cSpeedString",
       "{E15CF093-8AE6-4C17-9D5F-18C165B9B04E}", "Kestrel string builder"},
      {"Cls64", ComFactoryId::Cls64, kCls64Clsid, "_Cls64", "{C02E7EC7-3D65-4D43-B941-65BA97455714}", "Hollin loader for 64-bit clients",
       Apartment, ServerKind::LocalServer, false, "Hollin"},
  };
  return classes;
}

namespace {

std::vector<ComClass> RowsOf(ServerKind kind) {
  std::vector<ComClass> rows;
  for (const ComClass& c : ComClasses()) {
    if (c.server == kind) rows.push_back(c);
  }
  return rows;
}

}  // namespace

const std::vector<ComClass>& LibraryClasses() {
  static const std::vector<ComClass> rows = RowsOf(ServerKind::InProcess);
  return rows;
}

const std::vector<ComClass>& LocalServerClasses() {
  static const std::vector<ComClass> rows = RowsOf(ServerKind::LocalServer);
  return rows;
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

namespace {

RegistryRoot ClassesRoot(RegistrationScope scope) {
  return scope == RegistrationScope::PerUser ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
}

// The values of one program's classes, type library and interfaces, as both servers write them.
class ClassValues {
 public:
  ClassValues(RegistrationScope scope, std::vector<RegistryValue>& values)
      : root_(ClassesRoot(scope)), values_(values) {}

  void Text(std::string key, std::string name, std::string data, RegistryView view = RegistryView::Running) {
    values_.push_back({root_, std::move(key), std::move(name), RegistryType::String, std::move(data), 0, view});
  }

  // serverKey "InprocServer32" or "LocalServer32", with the server's command as its value.
  void Class(const ComClass& c, std::string_view serverKey, const std::string& server, std::string_view typeLibId) {
    const std::string clsidKey = ClassesKey("CLSID\\" + std::string(c.clsid));
    const std::string progId = c.ProgId();
    const std::string versionedProgId = c.VersionedProgId();
    const std::string serverKeyName = clsidKey + "\\" + std::string(serverKey);
    Text(clsidKey, "", std::string(c.description));
    Text(serverKeyName, "", server);
    if (c.server == ServerKind::InProcess) {
      Text(serverKeyName, "ThreadingModel", c.threading == ThreadingModel::Apartment ? "Apartment" : "Both");
    }
    Text(clsidKey + "\\ProgID", "", versionedProgId);
    Text(clsidKey + "\\VersionIndependentProgID", "", progId);
    Text(clsidKey + "\\TypeLib", "", std::string(typeLibId));
    Text(clsidKey + "\\Version", "", "1.0");
    // An empty key: the host lists the class among its automation add-ins.
    if (c.automationAddin) Text(clsidKey + "\\Programmable", "", "");
    Text(ClassesKey(progId), "", std::string(c.description));
    Text(ClassesKey(progId) + "\\CLSID", "", std::string(c.clsid));
    Text(ClassesKey(progId) + "\\CurVer", "", versionedProgId);
    Text(ClassesKey(versionedProgId), "", std::string(c.description));
    Text(ClassesKey(versionedProgId) + "\\CLSID", "", std::string(c.clsid));
  }

  // files: (platform, path) pairs, "win32" or "win64" and the file with the library's resource.
  void TypeLibrary(std::string_view typeLibId, std::string_view name,
                   const std::vector<std::pair<std::string, std::string>>& files, const std::string& folder) {
    const std::string typeLibKey = ClassesKey("TypeLib\\" + std::string(typeLibId) + "\\1.0");
    Text(typeLibKey, "", std::string(name));
    for (const auto& [platform, path] : files) Text(typeLibKey + "\\0\\" + platform, "", path);
    Text(typeLibKey + "\\FLAGS", "", "0");
    Text(typeLibKey + "\\HELPDIR", "", folder);
  }

  void Interface(const ComClass& c, std::string_view typeLibId, RegistryView view) {
    const std::string key = ClassesKey("Interface\\" + std::string(c.interfaceId));
    Text(key, "", std::string(c.interfaceName), view);
    Text(key + "\\ProxyStubClsid32", "", std::string(kAutomationMarshaler), view);
    Text(key + "\\TypeLib", "", std::string(typeLibId), view);
    Text(key + "\\TypeLib", "Version", "1.0", view);
  }

 private:
  RegistryRoot root_;
  std::vector<RegistryValue>& values_;
};

void AddClassKeys(const ComClass& c, RegistryRoot root, std::vector<RegistryKey>& keys) {
  keys.push_back({root, ClassesKey("CLSID\\" + std::string(c.clsid))});
  keys.push_back({root, ClassesKey(c.ProgId())});
  keys.push_back({root, ClassesKey(c.VersionedProgId())});
}

}  // namespace

std::vector<RegistryValue> RegistrationValues(std::string_view modulePath, RegistrationScope scope) {
  return RegistrationValues(modulePath, scope, sizeof(void*) == 8 ? LibraryBits::Bits64 : LibraryBits::Bits32);
}

std::vector<RegistryValue> RegistrationValues(std::string_view modulePath, RegistrationScope scope, LibraryBits bits) {
  const std::string path(modulePath);
  std::vector<RegistryValue> values;
  ClassValues classes(scope, values);
  for (const ComClass& c : LibraryClasses()) classes.Class(c, "InprocServer32", path, kTypeLibId);
  classes.TypeLibrary(kTypeLibId, "Kestrel", {{bits == LibraryBits::Bits64 ? "win64" : "win32", path}}, FolderOf(path));
  for (const ComClass& c : LibraryClasses()) classes.Interface(c, kTypeLibId, RegistryView::Running);

  const std::string addinKey(kExcelAddinKey);
  auto user = [&](std::string name, std::string data) {
    values.push_back({RegistryRoot::CurrentUser, addinKey, std::move(name), RegistryType::String, std::move(data), 0});
  };
  user("FriendlyName", std::string(kAddinFriendlyName));
  user("Description", std::string(kAddinDescription));
  values.push_back({RegistryRoot::CurrentUser, addinKey, "LoadBehavior", RegistryType::Dword, "", kAddinLoadBehavior});
  for (const RegistryValue& shared : RegistrationSharedValues(scope)) values.push_back(shared);
  return values;
}

std::vector<RegistryValue> RegistrationSharedValues(RegistrationScope scope) {
  return {{ClassesRoot(scope), std::string(kWpsWhitelistKey), std::string(kConnectProgId), RegistryType::String, "1", 0}};
}

std::vector<RegistryKey> RegistrationKeys(RegistrationScope scope) {
  const RegistryRoot classesRoot = ClassesRoot(scope);
  std::vector<RegistryKey> keys;
  for (const ComClass& c : LibraryClasses()) AddClassKeys(c, classesRoot, keys);
  for (const ComInterface& i : LibraryInterfaces()) {
    keys.push_back({classesRoot, ClassesKey("Interface\\" + std::string(i.iid))});
  }
  keys.push_back({classesRoot, ClassesKey("TypeLib\\" + std::string(kTypeLibId))});
  keys.push_back({RegistryRoot::CurrentUser, std::string(kExcelAddinKey)});
  return keys;
}

std::vector<RegistryValue> LocalServerRegistrationValues(std::string_view exePath, RegistrationScope scope) {
  const std::string path(exePath);
  std::vector<RegistryValue> values;
  ClassValues classes(scope, values);
  // Quoted: COM appends " -Embedding" and starts the line, and the folder may hold blanks.
  const std::string command = "\"" + path + "\"";
  for (const ComClass& c : LocalServerClasses()) classes.Class(c, "LocalServer32", command, kHollinTypeLibId);
  classes.TypeLibrary(kHollinTypeLibId, "Hollin", {{"win32", path}, {"win64", path + "\\2"}}, FolderOf(path));
  for (const ComClass& c : LocalServerClasses()) {
    classes.Interface(c, kHollinTypeLibId, RegistryView::Running);
    classes.Interface(c, kHollinTypeLibId, RegistryView::Bits64);
  }
  return values;
}

std::vector<RegistryKey> LocalServerRegistrationKeys(RegistrationScope scope) {
  const RegistryRoot classesRoot = ClassesRoot(scope);
  std::vector<RegistryKey> keys;
  for (const ComClass& c : LocalServerClasses()) {
    AddClassKeys(c, classesRoot, keys);
    const std::string interfaceKey = ClassesKey("Interface\\" + std::string(c.interfaceId));
    keys.push_back({classesRoot, interfaceKey, RegistryView::Running});
    keys.push_back({classesRoot, interfaceKey, RegistryView::Bits64});
  }
  keys.push_back({classesRoot, ClassesKey("TypeLib\\" + std::string(kHollinTypeLibId))});
  return keys;
}

}  // namespace kestrel
